#pragma once

#include "sheethelper/SheetCells.h"

#include <QByteArray>
#include <QString>

// Legacy .xls workbooks (BIFF in a compound file) through FreeXL.
namespace XlsSheetReader {

bool detect(const QByteArray& head);
// The sheet that was active when the workbook was saved, read from the file at path whose content
// is bytes. Throws SpreadsheetError for a damaged, encrypted or unreadable workbook.
SheetCells readActiveSheet(const QString& path, const QByteArray& bytes);

} // namespace XlsSheetReader
