#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// Writes an .xlsx workbook of one sheet, row after row, every cell formatted as text ("@") so that
// long digit strings such as account numbers stay text. The workbook is built under a temporary
// name beside the target and replaces the target only when it is complete, so an existing file
// survives any failure.
class SpreadsheetWriter {
public:
    // Throws SpreadsheetError when the target's folder cannot be written.
    explicit SpreadsheetWriter(const QString& path);
    ~SpreadsheetWriter();
    SpreadsheetWriter(const SpreadsheetWriter&) = delete;
    SpreadsheetWriter& operator=(const SpreadsheetWriter&) = delete;

    // Appends a row below the last one. Throws SpreadsheetError past the sheet's limits.
    void addRow(const QStringList& texts);
    int rowsWritten() const;
    // Completes the workbook and puts it in place of the target. Throws SpreadsheetError.
    void save();

    // The .xlsx name to write for a chosen name: ".xls" becomes ".xlsx", a name without a
    // suffix gets ".xlsx", any other name stays.
    static QString xlsxName(const QString& chosen);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
