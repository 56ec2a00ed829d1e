#include "exchange/LoadBackUpThread.h"

LoadBackUpThread::LoadBackUpThread(const QString& backupPath) : m_path(backupPath) {}

void LoadBackUpThread::run() {
    m_counts = {};
    BackupImport import(m_path);
    m_counts = import.importAll([this](qint64 done, qint64 total) { reportProgress(done, total); });
}
