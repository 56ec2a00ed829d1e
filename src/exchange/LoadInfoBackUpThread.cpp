#include "exchange/LoadInfoBackUpThread.h"

LoadInfoBackUpThread::LoadInfoBackUpThread(const QString& backupPath) : m_path(backupPath) {}

void LoadInfoBackUpThread::run() {
    m_counts = {};
    BackupImport import(m_path);
    m_counts = import.importInformation();
}
