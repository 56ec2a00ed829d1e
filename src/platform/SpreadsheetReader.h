#pragma once

#include "platform/SheetTexts.h"

#include <QString>

// Reads workbooks without any spreadsheet application: .xlsx and .ods through orcus, legacy .xls
// through FreeXL. The kind of file is told by its content, not by its name.
namespace SpreadsheetReader {

// The sheet that was active when the workbook was saved. A legacy .xls does not tell which sheet
// that was: its first sheet holding any cell is read. Numbers read as their shortest text (up to
// 15 significant digits), truth values as TRUE/FALSE, dates as yyyy-MM-dd. Throws
// SpreadsheetError when the file cannot be read or is not a workbook.
SheetTexts readActiveSheet(const QString& path);

} // namespace SpreadsheetReader
