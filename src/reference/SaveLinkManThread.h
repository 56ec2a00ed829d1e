#pragma once

#include "platform/Worker.h"

#include <QString>

// Exports every contact, all 19 columns, to an .xlsx workbook, replacing the file only once it is complete.
class SaveLinkManThread : public Worker {
    Q_OBJECT
public:
    explicit SaveLinkManThread(const QString& path);
    void run() override;
    int recordsWritten() const { return m_written; }

private:
    QString m_path;
    int m_written = 0;
};
