// Writes the practice cheque's definition file at build time, with the program's own writer, so
// that the shipped file always follows the format the program reads.
// Usage: make_sample_bill OUTPUT.BDF

#include "exchange/SampleCheque.h"
#include "platform/AppPaths.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Drawing the form needs fonts, not a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_bill OUTPUT.BDF\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "make_sample_bill: no temporary folder\n");
        return 1;
    }
    AppPaths::setHome(folder.path());
    QString error;
    bool ok = AppPaths::ensureFolders();
    if (ok) {
        try {
            Schema::ensureDatabases();
            ok = SampleCheque::write(output, &error);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
            ok = false;
        }
    }
    Database::closeThreadConnections();
    if (!ok) {
        std::fprintf(stderr, "make_sample_bill: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
