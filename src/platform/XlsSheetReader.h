#pragma once

#include "platform/SheetTexts.h"

#include <QByteArray>
#include <QString>

// Legacy .xls workbooks (BIFF in a compound file) through FreeXL.
namespace XlsSheetReader {

bool detect(const QByteArray& head);
// The first sheet holding any cell (FreeXL does not tell which sheet was active). Throws
// SpreadsheetError for a damaged, encrypted or unreadable workbook.
SheetTexts readFirstUsedSheet(const QString& path);

} // namespace XlsSheetReader
