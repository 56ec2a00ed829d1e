#include "exchange/ui/BackupCommands.h"

#include "exchange/LoadBackUpThread.h"
#include "exchange/LoadInfoBackUpThread.h"
#include "exchange/SaveBackUpThread.h"
#include "platform/ui/Prompter.h"

#include <QFileInfo>

namespace {
// Files copied from other systems often carry the extension in lower case.
const QString kFilter = QStringLiteral("备份文件(*.SBF *.sbf)");
const QString kSuffix = QStringLiteral("SBF");
} // namespace

BackupCommands::BackupCommands(QWidget* parent, Runner runner)
    : m_parent(parent), m_runner(std::move(runner)) {}

BackupCommands::Refresh BackupCommands::exportBackup() {
    Prompter& prompter = Prompter::instance();
    const QString path =
        prompter.saveFile(m_parent, {QStringLiteral("导出备份文件"), kFilter, kSuffix, QString()});
    if (path.isEmpty())
        return Refresh::None;
    // The old file is replaced only once the new one is complete.
    if (QFileInfo::exists(path) &&
        !prompter.question(m_parent, QStringLiteral("已经有同名的文件，覆盖吗 ？")))
        return Refresh::None;
    const bool clear = prompter.question(m_parent, QStringLiteral("备份后清除系统记录吗？"));

    SaveBackUpThread worker(path, clear);
    QString error;
    if (!m_runner(m_parent, QStringLiteral("正在导出系统备份"), worker, &error)) {
        if (worker.backupWritten())
            prompter.error(m_parent,
                           QStringLiteral("系统备份已导出到 %1，但清除系统记录失败：\n%2").arg(path, error));
        else
            prompter.error(
                m_parent,
                QStringLiteral("导出系统备份失败：\n%1\n没有写入备份文件，系统记录没有改变。").arg(error));
    } else if (!worker.summary().isEmpty()) {
        prompter.notice(m_parent, worker.summary());
    }
    return clear ? Refresh::All : Refresh::CurrentType;
}

QString BackupCommands::chooseBackupToImport() {
    Prompter& prompter = Prompter::instance();
    const QString path =
        prompter.openFile(m_parent, {QStringLiteral("导入备份文件"), kFilter, kSuffix, QString()});
    if (path.isEmpty())
        return {};
    if (!QFileInfo(path).isFile()) {
        prompter.notice(m_parent, QStringLiteral("没有备份文件"));
        return {};
    }
    return path;
}

BackupCommands::Refresh BackupCommands::importBackup() {
    const QString path = chooseBackupToImport();
    if (path.isEmpty())
        return Refresh::None;
    LoadBackUpThread worker(path);
    QString error;
    if (!m_runner(m_parent, QStringLiteral("正在导入系统备份"), worker, &error))
        Prompter::instance().error(m_parent,
                                   QStringLiteral("导入系统备份失败：\n%1\n系统记录没有改变。").arg(error));
    return Refresh::All;
}

BackupCommands::Refresh BackupCommands::importInformation() {
    const QString path = chooseBackupToImport();
    if (path.isEmpty())
        return Refresh::None;
    LoadInfoBackUpThread worker(path);
    QString error;
    if (!m_runner(m_parent, QStringLiteral("正在导入系统信息备份"), worker, &error))
        Prompter::instance().error(m_parent,
                                   QStringLiteral("导入信息失败：\n%1\n系统记录没有改变。").arg(error));
    return Refresh::None;
}
