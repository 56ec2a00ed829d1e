#include "platform/FileModes.h"

#include <QDirIterator>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {
bool g_restricted = false;
mode_t g_userUmask = 022;

mode_t currentUmask() {
    const mode_t m = ::umask(077);
    ::umask(m);
    return m;
}
} // namespace

namespace FileModes {

void createOwnerOnly() {
    if (g_restricted)
        return;
    g_userUmask = ::umask(077);
    g_restricted = true;
}

QFileDevice::Permissions exportPermissions() {
    const mode_t mode = 0666 & ~(g_restricted ? g_userUmask : currentUmask());
    QFileDevice::Permissions p;
    if (mode & S_IRUSR)
        p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        p |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        p |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        p |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        p |= QFileDevice::WriteOther;
    return p;
}

bool makeOwnerOnly(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode) || st.st_uid != ::geteuid())
        return true;
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) == 0)
        return true;
    return ::chmod(native.constData(), st.st_mode & ~(S_IRWXG | S_IRWXO) & 07777) == 0;
}

bool makeTreeOwnerOnly(const QString& folder) {
    bool ok = makeOwnerOnly(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = makeOwnerOnly(it.next()) && ok;
    return ok;
}

} // namespace FileModes
