#pragma once

#include "platform/Worker.h"

#include <QString>

// Imports contacts from a workbook's active sheet: one new record per row, in one transaction.
class LoadLinkManThread : public Worker {
    Q_OBJECT
public:
    explicit LoadLinkManThread(const QString& path);
    void run() override;
    bool cancellable() const override { return true; }
    int recordsAdded() const { return m_added; }

private:
    QString m_path;
    int m_added = 0;
};
