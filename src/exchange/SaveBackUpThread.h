#pragma once

#include "platform/Worker.h"

#include <QSqlDatabase>
#include <QStringList>

class ContentChecksum;

// Writes the whole bill store into one backup file: a consistent image of the store database,
// then the background picture of every bill in master-control order. The file is written under a
// temporary name and only replaces the target when complete and on the disk. When the store is to
// be cleared afterwards, the file is first read back once and its checksum compared with that of
// the bytes written; only after that is the store cleared.

class SaveBackUpThread : public Worker {
    Q_OBJECT
public:
    SaveBackUpThread(const QString& backupPath, bool clearAfterBackup);
    void run() override;

    // True once the backup file is complete and checked (an error after that came from clearing).
    bool backupWritten() const { return m_written; }
    // Bills whose picture file was missing; their records hold no picture.
    QStringList billsWithoutPicture() const { return m_missing; }

private:
    struct Picture {
        QString bill;
        QString file;
        qint64 size = 0;
    };
    QList<Picture> readPictures(const QSqlDatabase& db);
    // Writes the file; sums what it writes into sum when one is given.
    void writeBackup(const QByteArray& image, const QList<Picture>& pictures, ContentChecksum* sum);
    void verifyBackup(qint64 expectedSize, quint64 expectedSum);

    QString m_path;
    bool m_clear = false;
    bool m_written = false;
    QStringList m_missing;
};
