#include "reference/LoadLinkManThread.h"

#include "platform/SpreadsheetReader.h"
#include "reference/ReferenceSheets.h"

LoadLinkManThread::LoadLinkManThread(const QString& path) : m_path(path) {}

void LoadLinkManThread::run() {
    SpreadsheetReader::Options options;
    options.cancel = cancelFlag();
    m_added = ReferenceSheets::importFile(
        m_path, QStringLiteral("联系人"), ReferenceSheets::contacts(),
        [this](qint64 done, qint64 total) { reportProgress(done, total); }, options);
}
