#include "reference/LoadLinkManThread.h"

#include "platform/SpreadsheetReader.h"
#include "reference/ReferenceSheets.h"

LoadLinkManThread::LoadLinkManThread(const QString& path) : m_path(path) {}

void LoadLinkManThread::run() {
    const SheetTexts sheet = SpreadsheetReader::readActiveSheet(m_path);
    m_added =
        ReferenceSheets::importSheet(sheet, QStringLiteral("联系人"), ReferenceSheets::contacts(),
                                     [this](qint64 done, qint64 total) { reportProgress(done, total); });
}
