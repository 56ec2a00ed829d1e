#include "app/ui/TMainForm.h"
#include "app/ui/TWelcomForm.h"
#include "cli/CommandLine.h"
#include "platform/AppPaths.h"
#include "platform/FileModes.h"
#include "platform/FolderLock.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/Translations.h"
#include "platform/ui/CupsPrinting.h"
#include "platform/ui/Prompter.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>

#include <exception>

int main(int argc, char* argv[]) {
    // Bank data: whatever the program creates is its user's alone.
    FileModes::createOwnerOnly();
    if (CommandLine::isCommand(argc, argv))
        return CommandLine::run(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvel智能票据打印"));
    Translations::installChinese();

    QCommandLineParser parser;
    parser.addOption({QStringLiteral("home"), QStringLiteral("application folder"), QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("no-splash"), QStringLiteral("start without the splash window")});
    parser.addOption({QStringLiteral("store"),
                      QStringLiteral("shared store postgresql://host:port/database?user=name"),
                      QStringLiteral("URL")});
    parser.process(app);
    if (parser.isSet(QStringLiteral("home")))
        AppPaths::setHome(parser.value(QStringLiteral("home")));

    try {
        if (!AppPaths::ensureFolders())
            throw std::runtime_error(
                QStringLiteral("无法创建应用程序文件夹：%1").arg(AppPaths::home()).toStdString());
        // Files an older version left readable by others are tightened, without asking.
        AppPaths::restrictToOwner();

        // One running program per application folder: a second start beside a live one leaves
        // quietly; any other reason the folder cannot be locked is told.
        FolderLock lock(AppPaths::home());
        QString lockMessage;
        switch (lock.acquire(&lockMessage)) {
        case FolderLock::Outcome::Locked:
            break;
        case FolderLock::Outcome::HeldByProgram:
            return 0;
        case FolderLock::Outcome::Failed:
            Prompter::instance().error(nullptr, lockMessage);
            return 1;
        }

        Fonts::installSubstitutions();
        Settings::ensureExists();
        // The shared store named on the command line or in the settings, else the folder's own.
        const QString storeUrl =
            parser.isSet(QStringLiteral("store")) ? parser.value(QStringLiteral("store")) : Settings::store();
        if (!storeUrl.isEmpty()) {
            const QString problem = Database::parseStoreUrl(storeUrl).error;
            if (!problem.isEmpty()) {
                Prompter::instance().error(nullptr, problem);
                return 1;
            }
        }
        Database::setStoreUrl(storeUrl);
        Printing::install(std::make_unique<CupsPrinting>());

        if (!parser.isSet(QStringLiteral("no-splash"))) {
            auto* splash = new TWelcomForm;
            splash->exec();
        }

        // The window is painted before the store is read: with thousands of bills, opening the
        // store (its schema holds five tables a bill) is the longest part of the start.
        TMainForm main([] { Schema::ensureDatabases(); }, [] { BillStore().removeLeftovers(); });
        QObject::connect(&main, &TMainForm::storeFailed, &app, [] { QCoreApplication::exit(1); });
        // Fill the screen even where no window manager maximises the window.
        main.setGeometry(main.screen()->availableGeometry());
        main.showMaximized();
        return app.exec();
    } catch (const std::exception& e) {
        Prompter::instance().error(nullptr, describeException(e));
        return 1;
    }
}
