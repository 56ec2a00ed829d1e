// One desk of a shared store printing a bill many times, for the test of several desks printing
// at once: print_on_shared_store HOME STORE_URL BILL_NAME COUNT. The printer takes every job; the
// records go through the same two-step commit as a real print. Exits 0 when every print was
// recorded, 1 with the reason otherwise.
#include "issuing/FilledBill.h"
#include "issuing/PrintRecords.h"
#include "platform/AppPaths.h"
#include "platform/Settings.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: print_on_shared_store HOME STORE_URL BILL_NAME COUNT\n");
        return 2;
    }
    try {
        AppPaths::setHome(args.at(1));
        AppPaths::ensureFolders();
        Settings::ensureExists();
        Database::setStoreUrl(args.at(2));
        Schema::ensureDatabases();
        BillStore store;
        store.ensureBillTypeTable();
        MainItemFlag entry;
        for (const MainItemFlag& e : store.allBillEntries())
            if (e.billName == args.at(3))
                entry = e;
        if (entry.billName.isEmpty()) {
            std::fprintf(stderr, "no bill %s\n", qPrintable(args.at(3)));
            return 1;
        }
        store.loadWorkingTemplate(entry);
        FilledBill bill = LoadWorkingBill(96);
        LoadRememberedItems(entry.autoTable, bill, Remembered::All);
        const int count = args.at(4).toInt();
        for (int i = 0; i < count; ++i) {
            const PrintOutcome outcome = PrintAndRecord(entry, bill, 0, QDateTime::currentDateTime(),
                                                        [](QString*) { return true; }, {});
            if (outcome.kind != PrintOutcome::Recorded) {
                std::fprintf(stderr, "print %d: %s\n", i + 1, qPrintable(outcome.message));
                return 1;
            }
        }
    } catch (const StoreError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
