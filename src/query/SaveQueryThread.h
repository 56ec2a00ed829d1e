#pragma once

#include "platform/Worker.h"

#include <QList>
#include <QString>
#include <QStringList>

// Exports the query list to an .xlsx workbook: list row r becomes sheet row r + 1 (the header row
// is sheet row 1), list column c becomes sheet column c; column 0, the sequence number, is left out.
// The rows are a copy taken on the window thread.
class SaveQueryThread : public Worker {
    Q_OBJECT
public:
    SaveQueryThread(const QString& path, const QList<QStringList>& rows);
    void run() override;

private:
    QString m_path;
    QList<QStringList> m_rows;
};
