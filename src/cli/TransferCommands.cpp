#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "exchange/LoadBackUpThread.h"
#include "exchange/LoadInfoBackUpThread.h"
#include "exchange/SaveBackUpThread.h"
#include "exchange/StoreCopy.h"
#include "platform/SpreadsheetWriter.h"
#include "reference/LoadBussAccountThread.h"
#include "reference/LoadLinkManThread.h"
#include "reference/SaveBussAccountThread.h"
#include "reference/SaveLinkManThread.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QFileInfo>

// The long transfers run the windows' workers on this thread, their progress on standard error.

namespace {

// Runs the worker; false with the message in *error when it threw.
bool runWorker(Worker& worker, const QString& label, QString* error) {
    ProgressReport progress(label);
    QObject::connect(&worker, &Worker::progress,
                     [&progress](qint64 done, qint64 total) { progress.update(done, total); });
    try {
        worker.run();
        return true;
    } catch (const std::exception& e) {
        *error = QString::fromUtf8(e.what());
        return false;
    }
}

QString existingFile(const QString& path, const QString& missing) {
    if (!QFileInfo(path).isFile())
        throw CommandError::failure(QStringLiteral("%1：%2").arg(missing, path));
    return path;
}

} // namespace

namespace Commands {

int backup(const QStringList& args) {
    Parsed a;
    parse(a, args, {{QStringLiteral("clear"), QString()}, {QStringLiteral("info-only"), QString()}},
          QStringLiteral(
              "用法：tarvel backup export FILE.SBF [--clear]\n"
              "      tarvel backup import FILE.SBF [--info-only]\n"
              "export      导出系统备份（整个票据库和票据背景图片）；文件写完并检查无误后才替换同名文件\n"
              "  --clear   备份完成后清除系统记录\n"
              "import      导入系统备份：同类型同名称的票据合并记录，其余票据新增，并追加基本信息\n"
              "  --info-only  只导入基本信息（本单位帐户、业务单位、用途、联系人等），不导入票据"),
          2, 2);
    if (a.helpShown)
        return 0;
    const QString action = a.positional.at(0);
    const QString path = a.positional.at(1);
    QString error;
    if (action == QLatin1String("export")) {
        if (a.isSet(QStringLiteral("info-only")))
            throw CommandError::usage(QStringLiteral("--info-only 只用于 backup import"));
        SaveBackUpThread worker(path, a.isSet(QStringLiteral("clear")));
        if (!runWorker(worker, QStringLiteral("正在导出系统备份"), &error)) {
            if (worker.backupWritten())
                throw CommandError::failure(
                    QStringLiteral("系统备份已导出到 %1，但清除系统记录失败：%2").arg(path, error));
            throw CommandError::failure(
                QStringLiteral("导出系统备份 %1 失败：%2\n没有写入备份文件，系统记录没有改变。")
                    .arg(path, error));
        }
        if (!worker.summary().isEmpty())
            Console::err(worker.summary());
        Console::err(QStringLiteral("系统备份已导出到 %1").arg(path));
        return 0;
    }
    if (action == QLatin1String("import")) {
        if (a.isSet(QStringLiteral("clear")))
            throw CommandError::usage(QStringLiteral("--clear 只用于 backup export"));
        existingFile(path, QStringLiteral("没有备份文件"));
        bool ok = false;
        QString summary;
        if (a.isSet(QStringLiteral("info-only"))) {
            LoadInfoBackUpThread worker(path);
            ok = runWorker(worker, QStringLiteral("正在导入系统信息备份"), &error);
            summary = worker.summary();
        } else {
            LoadBackUpThread worker(path);
            ok = runWorker(worker, QStringLiteral("正在导入系统备份"), &error);
            summary = worker.summary();
        }
        if (!ok)
            throw CommandError::failure(
                QStringLiteral("导入系统备份 %1 失败：%2\n系统记录没有改变。").arg(path, error));
        Console::err(summary.isEmpty() ? QStringLiteral("系统备份 %1 已导入").arg(path) : summary);
        return 0;
    }
    throw CommandError::usage(QStringLiteral("backup 后面应为 export 或 import：%1").arg(action));
}

namespace {
template <typename Load, typename Save>
int transfer(const QStringList& args, const QString& command, const QString& what) {
    Parsed a;
    parse(a, args, {},
          QStringLiteral(
              "用法：tarvel %1 import FILE | tarvel %1 export FILE\n"
              "import   从 Excel 文件（.xlsx、.xls、.ods）导入%2，每行一条新记录，全部导入或全不导入\n"
              "export   把全部%2导出到 .xlsx 文件（.xls 的名称写成 .xlsx）；写完后才替换同名文件")
              .arg(command, what),
          2, 2);
    if (a.helpShown)
        return 0;
    const QString action = a.positional.at(0);
    QString error;
    if (action == QLatin1String("import")) {
        const QString path = existingFile(a.positional.at(1), QStringLiteral("没有这个文件"));
        Load worker(path);
        if (!runWorker(worker, QStringLiteral("正在导入%1信息").arg(what), &error))
            throw CommandError::failure(
                QStringLiteral("从 %1 导入%2失败：%3\n没有导入任何记录。").arg(path, what, error));
        Console::err(QStringLiteral("已从 %1 导入 %2 条%3").arg(path).arg(worker.recordsAdded()).arg(what));
        return 0;
    }
    if (action == QLatin1String("export")) {
        const QString path = SpreadsheetWriter::xlsxName(a.positional.at(1));
        Save worker(path);
        if (!runWorker(worker, QStringLiteral("正在导出%1信息").arg(what), &error))
            throw CommandError::failure(
                QStringLiteral("导出%1到 %2 失败：%3\n没有写入Excel文件，原有的同名文件保持不变。")
                    .arg(what, path, error));
        Console::err(QStringLiteral("已把 %1 条%2导出到 %3").arg(worker.recordsWritten()).arg(what, path));
        return 0;
    }
    throw CommandError::usage(QStringLiteral("%1 后面应为 import 或 export：%2").arg(command, action));
}
} // namespace

int units(const QStringList& args) {
    return transfer<LoadBussAccountThread, SaveBussAccountThread>(args, QStringLiteral("units"),
                                                                  QStringLiteral("业务单位"));
}

int contacts(const QStringList& args) {
    return transfer<LoadLinkManThread, SaveLinkManThread>(args, QStringLiteral("contacts"),
                                                          QStringLiteral("联系人"));
}

} // namespace Commands

namespace Commands {

int store(const QStringList& args) {
    Parsed a;
    parse(
        a, args,
        {{QStringLiteral("to"), QString(), QStringLiteral("URL")},
         {QStringLiteral("from"), QString(), QStringLiteral("URL")}},
        QStringLiteral(
            "用法：tarvel [--home DIR] store copy --to URL | --from URL\n"
            "copy --to URL     把应用程序文件夹中的数据库（票据、记录、基本信息、图片）复制到空的共享数据库\n"
            "copy --from URL   把共享数据库复制到应用程序文件夹中空的数据库\n"
            "URL 形如 postgresql://服务器:端口/数据库名?user=用户名；目标不是空的时拒绝复制"),
        1, 1);
    if (a.helpShown)
        return 0;
    if (a.positional.at(0) != QLatin1String("copy"))
        throw CommandError::usage(QStringLiteral("store 后面应为 copy：%1").arg(a.positional.at(0)));
    const bool to = a.isSet(QStringLiteral("to"));
    const bool from = a.isSet(QStringLiteral("from"));
    if (to == from)
        throw CommandError::usage(QStringLiteral("store copy 需要 --to URL 或 --from URL 之一"));
    const QString url = a.value(to ? QStringLiteral("to") : QStringLiteral("from"));
    const Database::ServerAddress address = Database::parseStoreUrl(url);
    if (!address.error.isEmpty())
        throw CommandError::usage(address.error);
    ProgressReport progress(QStringLiteral("正在复制数据库"));
    try {
        const StoreCopy::Result result =
            StoreCopy::copy(to ? QString() : url, to ? url : QString(),
                            [&progress](qint64 done, qint64 total) { progress.update(done, total); });
        Console::err(QStringLiteral("已复制 %1 个票据、%2 条基本信息到 %3")
                         .arg(result.bills)
                         .arg(result.references)
                         .arg(to ? url : QStringLiteral("本地数据库")));
    } catch (const StoreError& e) {
        throw CommandError::failure(
            QStringLiteral("复制数据库失败：%1\n目标数据库没有改变。").arg(e.message()));
    }
    return 0;
}

} // namespace Commands
