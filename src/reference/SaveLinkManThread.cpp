#include "reference/SaveLinkManThread.h"

#include "reference/ReferenceSheets.h"

SaveLinkManThread::SaveLinkManThread(const QString& path) : m_path(path) {}

void SaveLinkManThread::run() {
    m_written =
        ReferenceSheets::exportTable(QStringLiteral("联系人"), ReferenceSheets::contacts(), m_path,
                                     [this](qint64 done, qint64 total) { reportProgress(done, total); });
}
