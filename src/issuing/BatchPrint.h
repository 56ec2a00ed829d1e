#pragma once

#include "issuing/FilledBill.h"
#include "issuing/PrintRecords.h"
#include "issuing/RowFilling.h"
#include "store/MainItemFlag.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct PrintJobSetup;

// 批量打印: the rows of a data file (a workbook or tab-separated text, as the command line reads
// them) matched column by column to the input items of a bill, reviewed as they will print, and
// printed one after the other, each exactly as 打  印 prints a bill. The run keeps, row by row,
// what happened, so that after any interruption the operator knows which rows were printed and
// goes on from the first that was not.

// A bill ready for filling rows: its entry, its active items with their screen boxes, and its
// background picture.
struct BatchBill {
    MainItemFlag entry;
    FilledBill blank;
    QImage background;
    int screenDpi = 96;

    // Loads the working template of the entry (the working template is replaced). Throws
    // StoreError or TemplateError.
    static BatchBill load(const MainItemFlag& entry, int screenDpi);
    // What a new bill starts with now: the defaults and the remembered values as stored.
    FilledBill start() const;
};

// Which column of the data feeds each input item (and the currency): item name → column header.
// An item not in the map is left at its default.
using ColumnMapping = QHash<QString, QString>;

// The names a column can be matched to: the bill's input items in order, then "币种" when the bill
// offers a currency choice.
QStringList MappableNames(const FilledBill& blank);

// Matches columns to items: a column whose header is an item's name at once, then the remembered
// choice for an item when that column is in the header.
ColumnMapping MatchColumns(const FilledBill& blank, const QStringList& header,
                           const ColumnMapping& remembered);

// The remembered mapping of a bill, kept in the settings under the bill's type and name.
ColumnMapping RememberedMapping(const MainItemFlag& entry);
bool RememberMapping(const MainItemFlag& entry, const ColumnMapping& mapping);

struct BatchRow {
    enum class State { Ready, Error, Printed, PreBilled, Failed };
    int line = 0;        // the data file's row (the header is row 1)
    QStringList cells;   // the row's cells in the data file's column order
    FilledRow filled;    // as reviewed: values, currency, errors
    QStringList texts;   // what would print, one per printed item
    bool chosen = false; // chosen for printing
    State state = State::Ready;
    QString numbers; // the automatic numbers it printed with ("、" between several)
    QString message; // why it cannot print, or how its print failed
    // The values the operator left in the bill filling window for this row, which stand in for
    // its cells from then on.
    std::optional<FilledBill> corrected;
    int correctedCurrency = 0;
};

// The review: every data row filled in file order as if each were printed after the one before
// (automatic numbers advancing over the rows that can print), errors marked. Rows that can print
// are chosen. Throws StoreError when a reference table cannot be read.
QList<BatchRow> ReviewRows(const BatchBill& bill, const QStringList& header, const QList<QStringList>& rows,
                           const QList<int>& lines, const ColumnMapping& mapping);

// Fills one row again from the bill's present start (after a correction, or just before it
// prints), keeping its place and choice.
void RefillRow(const BatchBill& bill, const QStringList& header, const ColumnMapping& mapping, BatchRow& row);

// Takes the values corrected in the bill filling window as the row's: no error stands any more,
// and the row prints those values with the numbers of its moment.
void CorrectBatchRow(const BatchBill& bill, BatchRow& row, const FilledBill& values, int currency);

// The totals of the chosen rows that can print or have printed: for every amount item counted in
// the statistics, one text per currency ("￥1,234.50"), exact decimals.
struct BatchTotal {
    QString item;
    QStringList perCurrency;
};
QList<BatchTotal> ChosenTotals(const BatchBill& bill, const QList<BatchRow>& rows);

// Prints one row as 打  印 does (filled afresh from the store's present numbers, history row,
// numbers advanced, two-step commit) on the printer of the setup and records the outcome in the
// row. Returns the outcome; a row that is not Ready or has errors prints nothing (NotPrinted).
PrintOutcome PrintBatchRow(const BatchBill& bill, const QStringList& header, const ColumnMapping& mapping,
                           BatchRow& row, const PrintJobSetup& setup);

// Keeps the row as a pre-bill of the bill. Throws StoreError.
void PreBillBatchRow(const BatchBill& bill, BatchRow& row);

// The review list with its states, numbers and totals as an .xlsx for the accountant. Throws
// SpreadsheetError.
void ExportReview(const QString& path, const BatchBill& bill, const QList<BatchRow>& rows);

// The state as the list shows it: "可打印", "有错误", "已打印", "已预开票", "打印失败".
QString StateText(BatchRow::State state);
