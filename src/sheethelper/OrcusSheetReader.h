#pragma once

#include "sheethelper/SheetCells.h"

#include <QByteArray>

// .xlsx and .ods workbooks through orcus.
namespace OrcusSheetReader {

enum class Format { Xlsx, Ods };

// Whether the bytes look like a workbook of that format.
bool detect(const QByteArray& bytes, Format format);
// The active sheet of the workbook. Throws SpreadsheetError for a damaged workbook.
SheetCells readActiveSheet(const QByteArray& bytes, Format format);

} // namespace OrcusSheetReader
