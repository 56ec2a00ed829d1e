#include "query/SaveQueryThread.h"

#include "platform/SpreadsheetWriter.h"

SaveQueryThread::SaveQueryThread(const QString& path, const QList<QStringList>& rows)
    : m_path(path), m_rows(rows) {}

void SaveQueryThread::run() {
    SpreadsheetWriter writer(m_path);
    const qint64 total = m_rows.size();
    qint64 done = 0;
    for (const QStringList& row : m_rows) {
        writer.addRow(row.mid(1));
        if (++done % 250 == 0 || done == total)
            reportProgress(done, total);
    }
    writer.save();
}
