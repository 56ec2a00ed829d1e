#pragma once

#include "exchange/BackupImport.h"
#include "platform/Worker.h"

// Imports a system backup into the live store: bills of the same type and name are merged, the
// others added as new bills with their pictures, and the reference records appended. The import
// happens whole or not at all.
class LoadBackUpThread : public Worker {
    Q_OBJECT
public:
    explicit LoadBackUpThread(const QString& backupPath);
    void run() override;

    BackupImport::Counts counts() const { return m_counts; }

private:
    QString m_path;
    BackupImport::Counts m_counts;
};
