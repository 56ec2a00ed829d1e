// Definition files come from other machines: the checker and the reader must refuse anything
// malformed without crashing or reading out of bounds.
#include "FuzzEnvironment.h"
#include "exchange/BillDefineFile.h"

#include <QDir>
#include <QFile>

#include "platform/AppPaths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzEnvironment::init();
    const QString path = FuzzEnvironment::writeInput(data, size);
    QString error;
    BillDefineFile::check(path);
    try {
        BillDefineFile::read(path, &error);
    } catch (...) {
    }
    // Pictures written by accepted inputs would fill the disk.
    for (const QString& f : QDir(AppPaths::pictureDir()).entryList(QDir::Files))
        QFile::remove(AppPaths::pictureDir() + f);
    return 0;
}
