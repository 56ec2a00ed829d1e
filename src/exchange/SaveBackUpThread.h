#pragma once

#include "platform/Worker.h"

#include <QSqlDatabase>
#include <QStringList>

// Writes the whole bill store into one backup file: a consistent image of the store database,
// then the background picture of every bill in master-control order. The file is written under a
// temporary name and only replaces the target when complete; it is then read back once and its
// checksum compared with that of the bytes written, and only after that is the store cleared, when
// that was asked for.
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
    // Writes the file and returns the checksum of everything written.
    quint64 writeBackup(const QByteArray& image, const QList<Picture>& pictures);
    void verifyBackup(qint64 expectedSize, quint64 expectedSum);

    QString m_path;
    bool m_clear = false;
    bool m_written = false;
    QStringList m_missing;
};
