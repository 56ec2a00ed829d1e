#pragma once

#include "platform/Worker.h"

#include <QSqlDatabase>
#include <QStringList>

// Writes the whole bill store into one backup file: a consistent image of the store database,
// then the background picture of every bill in master-control order. The file is written under a
// temporary name and only replaces the target when complete and on the disk. When the store is to
// be cleared afterwards, the file is first read back once and compared with the database image
// and the pictures it was made from; only after that is the store cleared.

class SaveBackUpThread : public Worker {
    Q_OBJECT
public:
    SaveBackUpThread(const QString& backupPath, bool clearAfterBackup);
    void run() override;

    // True once the backup file is complete and checked (an error after that came from clearing).
    bool backupWritten() const { return m_written; }
    // Bills whose picture file was missing; their records hold no picture.
    QStringList billsWithoutPicture() const { return m_missing; }

    // A bill's picture as listed for the backup; an empty file when it has none.
    struct Picture {
        QString bill;
        QString file;
        qint64 size = 0;
    };

private:
    QList<Picture> readPictures(const QSqlDatabase& db);

    QString m_path;
    bool m_clear = false;
    bool m_written = false;
    QStringList m_missing;
};
