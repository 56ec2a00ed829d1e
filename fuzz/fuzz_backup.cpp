// Backup files are untrusted: the reader must refuse damaged ones without crashing, reading out of
// bounds or changing the store.
#include "FuzzEnvironment.h"
#include "exchange/BackupImport.h"
#include "platform/AppPaths.h"
#include "store/BillStore.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzEnvironment::init();
    const QString path = FuzzEnvironment::writeInput(data, size);
    try {
        BackupImport import(path);
        import.importAll();
    } catch (...) {
    }
    // Keep the live store small between inputs.
    try {
        BillStore store;
        store.ensureBillTypeTable();
        store.clearStore();
        store.ensureBillTypeTable();
    } catch (...) {
    }
    for (const QString& f : QDir(AppPaths::pictureDir()).entryList(QDir::Files))
        QFile::remove(AppPaths::pictureDir() + f);
    return 0;
}
