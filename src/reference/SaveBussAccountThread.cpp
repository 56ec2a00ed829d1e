#include "reference/SaveBussAccountThread.h"

#include "reference/ReferenceSheets.h"

SaveBussAccountThread::SaveBussAccountThread(const QString& path) : m_path(path) {}

void SaveBussAccountThread::run() {
    m_written =
        ReferenceSheets::exportTable(QStringLiteral("业务单位"), ReferenceSheets::businessUnits(), m_path,
                                     [this](qint64 done, qint64 total) { reportProgress(done, total); });
}
