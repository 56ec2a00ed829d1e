#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A table of named values for printing: a header row of item names, then one row per bill. It
// comes from a workbook (.xlsx, .xls, .ods, read through the spreadsheet reader like every other
// workbook) or from UTF-8 text with tab-separated fields ("-" for standard input).
struct ValuesFile {
    QString name;            // as given, for messages
    QStringList header;      // trimmed
    QList<QStringList> rows; // data rows without the empty ones
    QList<int> lineNumbers;  // the file's row (1-based, the header being row 1) of each data row

    // Throws SpreadsheetError naming the file when it cannot be read or has no header.
    static ValuesFile read(const QString& path);
};
