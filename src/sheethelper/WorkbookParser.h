#pragma once

#include "sheethelper/SheetCells.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Reads the active sheet of a workbook given as its bytes: legacy .xls (a compound file), or a
// zip-based .xlsx or .ods, told apart by content. Everything that is not a compound file must be a
// well-formed zip whose entries fit the file before any zip-based reader sees it. This is the part
// of the spreadsheet helper that meets the untrusted file; it runs only in that helper and in the
// fuzz target.
namespace WorkbookParser {

// path names the same bytes on disk, for the .xls library, which reads files only. Throws
// SpreadsheetError with a short detail for a damaged, encrypted or foreign file.
SheetCells parse(const QByteArray& bytes, const QString& path);

// Writes the stream of the workbook's active sheet (see SheetStream) record by record: the sheet,
// or a failure record.
using Output = std::function<void(const QByteArray&)>;
void encode(const QByteArray& bytes, const QString& path, const Output& write);

} // namespace WorkbookParser
