#include "FuzzEnvironment.h"

#include "platform/AppPaths.h"
#include "platform/Settings.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace FuzzEnvironment {

namespace {
QTemporaryDir* g_dir = nullptr;
QCoreApplication* g_app = nullptr;
} // namespace

void init() {
    if (g_dir)
        return;
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    g_app = new QCoreApplication(argc, argv);
    g_dir = new QTemporaryDir;
    AppPaths::setHome(g_dir->path());
    AppPaths::ensureFolders();
    Settings::ensureExists();
    Schema::ensureDatabases();
}

QString writeInput(const uint8_t* data, size_t size) {
    const QString path = AppPaths::tmpDir() + QStringLiteral("input.bin");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

} // namespace FuzzEnvironment
