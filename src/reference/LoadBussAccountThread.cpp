#include "reference/LoadBussAccountThread.h"

#include "platform/SpreadsheetReader.h"
#include "reference/ReferenceSheets.h"

LoadBussAccountThread::LoadBussAccountThread(const QString& path) : m_path(path) {}

void LoadBussAccountThread::run() {
    SpreadsheetReader::Options options;
    options.cancel = cancelFlag();
    m_added = ReferenceSheets::importFile(
        m_path, QStringLiteral("业务单位"), ReferenceSheets::businessUnits(),
        [this](qint64 done, qint64 total) { reportProgress(done, total); }, options);
}
