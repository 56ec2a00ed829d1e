#pragma once

#include "exchange/BackupImport.h"
#include "platform/Worker.h"

// Appends the reference records of a system backup (own accounts, contacts, purposes, other
// content, business units) to the live store; bills and pictures are left alone.
class LoadInfoBackUpThread : public Worker {
    Q_OBJECT
public:
    explicit LoadInfoBackUpThread(const QString& backupPath);
    void run() override;

    BackupImport::Counts counts() const { return m_counts; }

private:
    QString m_path;
    BackupImport::Counts m_counts;
};
