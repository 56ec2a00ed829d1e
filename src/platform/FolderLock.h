#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// One program works on an application folder at a time: the windows and the command line take the
// same lock file in the folder and hold it until they end.
class FolderLock {
public:
    enum class Outcome {
        Locked,        // this process holds the folder
        HeldByProgram, // a live program on this computer holds it
        Failed,        // anything else: no rights, a lock of another computer, a broken file
    };

    explicit FolderLock(const QString& folder);
    ~FolderLock();

    // Takes the lock; *message says, in the operator's words, why it could not be taken (for
    // HeldByProgram too, for callers that have to say so).
    Outcome acquire(QString* message);

    static QString lockFileName();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
