#include "platform/AppPaths.h"

#include "platform/FileModes.h"
#include "platform/FolderLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString g_home;

QString withSeparator(QString dir) {
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

// Where an installed program finds what it ships, relative to its executable.
QString shipped(const QString& name) {
    const QString exeDir = QCoreApplication::applicationDirPath();
    for (const QString& dir : {exeDir, exeDir + QStringLiteral("/" TARVEL_SHARE_FROM_BIN)}) {
        const QString path = QDir::cleanPath(dir + QLatin1Char('/') + name);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}
} // namespace

namespace AppPaths {

QString chooseHome(const QString& homeOption, const QString& executableDir, const QString& userDataDir) {
    if (!homeOption.isEmpty())
        return withSeparator(homeOption);
    const QFileInfo exe(executableDir);
    if (exe.isDir() && exe.isWritable() && QFileInfo(executableDir + QStringLiteral("/DataBase")).isDir())
        return withSeparator(executableDir);
    return withSeparator(userDataDir);
}

void setHome(const QString& dir) {
    g_home = withSeparator(dir);
}

QString home() {
    if (g_home.isEmpty())
        g_home = chooseHome(QString(), QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return g_home;
}

QString tmpDir() {
    return home() + QStringLiteral("tmp/");
}
QString pictureDir() {
    return home() + QStringLiteral("BackImage/");
}
QString dataBaseDir() {
    return home() + QStringLiteral("DataBase/");
}

QString billStoreFile() {
    return dataBaseDir() + QStringLiteral("支票软件.mdb");
}
QString defineStoreFile() {
    return dataBaseDir() + QStringLiteral("支票软件定义.mdb");
}
QString backupStoreFile() {
    return tmpDir() + QStringLiteral("Temporary.mdb");
}
QString settingsFile() {
    return home() + QStringLiteral("Tarvel智能票据打印.ini");
}
QString lockFile() {
    return home() + FolderLock::lockFileName();
}

QString helpFile() {
    return home() + QStringLiteral("Tarvel智能票据打印-帮助.html");
}
QString sampleBillFile() {
    return shipped(QStringLiteral("示例支票.BDF"));
}

bool ensureFolders() {
    QDir root(home());
    bool ok = true;
    for (const char* sub : {"tmp", "BackImage", "DataBase"})
        ok = root.mkpath(QString::fromLatin1(sub)) && ok;
    return ok;
}

bool restrictToOwner() {
    bool ok = FileModes::makeOwnerOnly(home());
    for (const QString& folder : {tmpDir(), pictureDir(), dataBaseDir()})
        ok = FileModes::makeTreeOwnerOnly(folder) && ok;
    for (const QString& file : {settingsFile(), lockFile()})
        if (QFileInfo::exists(file))
            ok = FileModes::makeOwnerOnly(file) && ok;
    return ok;
}

} // namespace AppPaths
