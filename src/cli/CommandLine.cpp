#include "cli/CommandLine.h"

#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "platform/AppPaths.h"
#include "platform/FolderLock.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/ui/CupsPrinting.h"
#include "platform/ui/Prompter.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QDir>
#include <QGuiApplication>

#include <functional>
#include <map>

namespace {

const QString kGlobalHelp = QStringLiteral(
    "用法：tarvel [--home DIR] [--store URL] COMMAND ...\n"
    "不带命令时打开程序的窗口；带命令时不开窗口，也不需要显示器。\n"
    "\n"
    "  --home DIR      应用程序文件夹（默认：程序所在的文件夹可写并有 DataBase 时用它，否则用户数据文件夹）\n"
    "  --store URL     共享数据库 postgresql://服务器:端口/数据库名?user=用户名（默认：设置文件的 Store=，\n"
    "                  没有时用应用程序文件夹中的数据库）；密码写在 ~/.pgpass 中\n"
    "  --help, -h      显示帮助；tarvel COMMAND --help 显示命令的帮助\n"
    "  --version       显示版本\n"
    "\n"
    "命令：\n"
    "  import-bill FILE.BDF --type TYPE [--name NAME] [--replace]   导入票据定义文件\n"
    "  bills                                                        列出所有票据\n"
    "  print --bill TYPE/NAME --values FILE [--printer NAME | --pdf OUT.pdf] [--dry-run]\n"
    "                                                               按数据文件逐行打印票据\n"
    "  history --bill TYPE/NAME --from YYYY-MM-DD --to YYYY-MM-DD [--xlsx OUT]\n"
    "                                                               统计查询打印记录\n"
    "  void --bill TYPE/NAME --number N --reason TEXT               作废一条打印记录\n"
    "  backup export FILE.SBF [--clear] | backup import FILE.SBF [--info-only]\n"
    "                                                               导出、导入系统备份\n"
    "  units import|export FILE                                     导入、导出业务单位\n"
    "  contacts import|export FILE                                  导入、导出联系人\n"
    "  store copy --to URL | --from URL                             "
    "把本地数据库复制到空的共享数据库，或反过来\n"
    "\n"
    "退出码：0 成功，1 工作失败（标准错误输出说明原因），2 用法错误。\n"
    "程序的窗口打开着同一个应用程序文件夹时，命令拒绝运行。");

using Command = std::function<int(const QStringList&)>;
const std::map<QString, Command>& commands() {
    static const std::map<QString, Command> table{{QStringLiteral("import-bill"), Commands::importBill},
                                                  {QStringLiteral("bills"), Commands::bills},
                                                  {QStringLiteral("print"), Commands::print},
                                                  {QStringLiteral("history"), Commands::history},
                                                  {QStringLiteral("void"), Commands::voidRecord},
                                                  {QStringLiteral("backup"), Commands::backup},
                                                  {QStringLiteral("units"), Commands::units},
                                                  {QStringLiteral("contacts"), Commands::contacts},
                                                  {QStringLiteral("store"), Commands::store}};
    return table;
}

struct GlobalArgs {
    QString home;
    QString store;
    bool help = false;
    bool version = false;
    QString command;
    QStringList rest;
};

GlobalArgs parseGlobal(const QStringList& args) {
    GlobalArgs g;
    int i = 1;
    for (; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--home")) {
            if (i + 1 >= args.size())
                throw CommandError::usage(QStringLiteral("--home 后面缺少文件夹"));
            g.home = args.at(++i);
        } else if (a.startsWith(QLatin1String("--home="))) {
            g.home = a.mid(7);
        } else if (a == QLatin1String("--store")) {
            if (i + 1 >= args.size())
                throw CommandError::usage(QStringLiteral("--store 后面缺少数据库地址"));
            g.store = args.at(++i);
        } else if (a.startsWith(QLatin1String("--store="))) {
            g.store = a.mid(8);
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            g.help = true;
        } else if (a == QLatin1String("--version")) {
            g.version = true;
        } else if (a.startsWith(QLatin1Char('-'))) {
            throw CommandError::usage(QStringLiteral("未知的选项：%1").arg(a));
        } else {
            g.command = a;
            break;
        }
    }
    if (!g.command.isEmpty())
        g.rest = args.mid(i + 1);
    return g;
}

int report(const CommandError& e) {
    Console::err(QStringLiteral("tarvel：") + e.message());
    if (e.kind() == CommandError::Usage)
        Console::err(QStringLiteral("用法见 tarvel --help"));
    return e.kind();
}

} // namespace

namespace CommandLine {

bool isCommand(int argc, char* argv[]) {
    int i = 1;
    while (i < argc) {
        if (qstrcmp(argv[i], "--home") == 0 || qstrcmp(argv[i], "--store") == 0)
            i += 2;
        else if (qstrncmp(argv[i], "--home=", 7) == 0 || qstrncmp(argv[i], "--store=", 8) == 0)
            i += 1;
        else
            break;
    }
    if (i >= argc)
        return false;
    const QByteArray a(argv[i]);
    return !a.startsWith('-') || a == "--help" || a == "-h" || a == "--version";
}

int run(int argc, char* argv[]) {
    // No window-system connection: fonts and painting work on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Tarvel智能票据打印"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TARVEL_VERSION));

    GlobalArgs global;
    try {
        global = parseGlobal(QCoreApplication::arguments());
        if (global.version && global.command.isEmpty()) {
            Console::out(QStringLiteral("tarvel %1").arg(QStringLiteral(TARVEL_VERSION)));
            return 0;
        }
        if (global.command.isEmpty()) {
            if (!global.help)
                throw CommandError::usage(QStringLiteral("缺少命令"));
            Console::out(kGlobalHelp);
            return 0;
        }
        const auto command = commands().find(global.command);
        if (command == commands().end())
            throw CommandError::usage(QStringLiteral("未知的命令：%1").arg(global.command));
        QStringList rest = global.rest;
        if (global.help)
            rest.prepend(QStringLiteral("--help"));
        // Asking for help needs no folder.
        if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h")))
            return command->second(rest);

        if (!global.home.isEmpty())
            AppPaths::setHome(global.home);
        if (!AppPaths::ensureFolders())
            throw CommandError::failure(QStringLiteral("无法创建应用程序文件夹：%1").arg(AppPaths::home()));
        // The same lock as the windows take: one user of a folder at a time.
        FolderLock lock(AppPaths::home());
        QString lockMessage;
        switch (lock.acquire(&lockMessage)) {
        case FolderLock::Outcome::Locked:
            break;
        case FolderLock::Outcome::HeldByProgram:
            throw CommandError::failure(
                QStringLiteral("应用程序文件夹 %1 正被程序的窗口或另一个命令使用，请关闭后再运行。")
                    .arg(QDir::toNativeSeparators(AppPaths::home())));
        case FolderLock::Outcome::Failed:
            throw CommandError::failure(lockMessage);
        }
        Fonts::installSubstitutions();
        Printing::install(std::make_unique<CupsPrinting>());
        const QString storeUrl = global.store.isEmpty() ? Settings::store() : global.store;
        if (!storeUrl.isEmpty()) {
            const Database::ServerAddress address = Database::parseStoreUrl(storeUrl);
            if (!address.error.isEmpty())
                throw CommandError::usage(address.error);
        }
        Database::setStoreUrl(storeUrl);
        // Copying a store opens both stores itself.
        if (global.command == QLatin1String("store"))
            return command->second(rest);
        Schema::ensureDatabases();
        BillStore store;
        store.removeLeftovers();
        store.ensureBillTypeTable();
        return command->second(rest);
    } catch (const CommandError& e) {
        return report(e);
    } catch (const std::exception& e) {
        Console::err(QStringLiteral("tarvel：") + describeException(e));
        return CommandError::Failure;
    }
}

} // namespace CommandLine
