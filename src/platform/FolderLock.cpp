#include "platform/FolderLock.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

FolderLock::FolderLock(const QString& folder)
    : m_path(QDir(folder).filePath(lockFileName())), m_lock(std::make_unique<QLockFile>(m_path)) {
    // A lock is never taken over because of its age; a lock of a program that died on this
    // computer is recognised by its process number and taken over at once.
    m_lock->setStaleLockTime(0);
}

FolderLock::~FolderLock() = default;

QString FolderLock::lockFileName() {
    return QStringLiteral("Tarvel智能票据打印.lock");
}

FolderLock::Outcome FolderLock::acquire(QString* message) {
    if (m_lock->tryLock(0))
        return Outcome::Locked;
    const QString file = QDir::toNativeSeparators(m_path);
    switch (m_lock->error()) {
    case QLockFile::LockFailedError: {
        qint64 pid = 0;
        QString host;
        QString app;
        if (m_lock->getLockInfo(&pid, &host, &app) && !host.isEmpty() &&
            host != QSysInfo::machineHostName()) {
            *message = QStringLiteral("应用程序文件夹被另一台计算机（%1）上的程序锁定。\n"
                                      "如果那台计算机上的程序已经不在运行，请删除锁文件后再启动：%2")
                           .arg(host, file);
            return Outcome::Failed;
        }
        if (pid > 0) {
            *message = QStringLiteral("本程序已在使用这个应用程序文件夹（进程 %1）。").arg(pid);
            return Outcome::HeldByProgram;
        }
        *message = QStringLiteral("锁文件无法读取，请删除后再启动：%1").arg(file);
        return Outcome::Failed;
    }
    case QLockFile::PermissionError:
        *message = QStringLiteral("无法在应用程序文件夹中建立锁文件（没有写入权限）：%1").arg(file);
        return Outcome::Failed;
    default:
        *message = QStringLiteral("无法建立锁文件：%1").arg(file);
        return Outcome::Failed;
    }
}
