#pragma once

#include "platform/SheetTexts.h"
#include "platform/SpreadsheetReader.h"

#include <QList>
#include <QString>

#include <functional>

// Business units and contacts in spreadsheets: one header row, then one record per row.
namespace ReferenceSheets {

// A sheet column: its header text and the table column it holds.
struct SheetColumn {
    QString header;
    QString column;
};
using Layout = QList<SheetColumn>;
using Progress = std::function<void(qint64 done, qint64 total)>;

// "单位名称", "银行帐号", "开户银行", "省", "市", "识别码" in columns A to F.
Layout businessUnits();
// The 19 contact columns, each headed by its own name.
Layout contacts();

// Appends one record per sheet row after the header row, all in one transaction: an empty row
// gives an empty record, and nothing is ever merged or replaced. A sheet column whose header
// matches a layout header exactly fills that table column, wherever it stands; other columns are
// skipped. Returns the number of records added; throws StoreError (nothing added).
int importSheet(const SheetTexts& sheet, const QString& table, const Layout& layout,
                const Progress& progress = {});

// The same for the active sheet of a workbook file, read through the spreadsheet helper and
// stored row by row as it arrives, so that memory does not grow with the number of rows. Throws
// SpreadsheetError (file refused), SpreadsheetReader::Cancelled or StoreError; nothing is added
// then.
int importFile(const QString& path, const QString& table, const Layout& layout, const Progress& progress = {},
               const SpreadsheetReader::Options& options = {});

// Writes the header row and every record of the table, in table order, to an .xlsx file, all cells
// as text. Returns the number of records written; throws StoreError or SpreadsheetError (an
// existing file is then left as it was).
int exportTable(const QString& table, const Layout& layout, const QString& path,
                const Progress& progress = {});

} // namespace ReferenceSheets
