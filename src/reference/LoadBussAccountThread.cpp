#include "reference/LoadBussAccountThread.h"

#include "platform/SpreadsheetReader.h"
#include "reference/ReferenceSheets.h"

LoadBussAccountThread::LoadBussAccountThread(const QString& path) : m_path(path) {}

void LoadBussAccountThread::run() {
    const SheetTexts sheet = SpreadsheetReader::readActiveSheet(m_path);
    m_added =
        ReferenceSheets::importSheet(sheet, QStringLiteral("业务单位"), ReferenceSheets::businessUnits(),
                                     [this](qint64 done, qint64 total) { reportProgress(done, total); });
}
