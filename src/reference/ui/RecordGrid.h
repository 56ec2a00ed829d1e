#pragma once

#include "reference/ReferenceTable.h"
#include "reference/ui/RecordGridDelegate.h"

#include <QStringList>

class QTableWidget;

// The record grids of the reference windows: a header row, whole-row selection, one data row per
// record. Grid row r (0-based) lists the table's record at position r and remembers its rowid; an
// empty table shows one empty row that stands for no record.
namespace RecordGrid {

QTableWidget* create(QWidget* parent, int rowHeight, RecordGridDelegate::Style style, bool centredHeader);

void setHeaders(QTableWidget* grid, const QStringList& headers);
QStringList headers(const QTableWidget* grid);
// Replaces the rows; no records give the one empty row.
void setRecords(QTableWidget* grid, const QList<StoredRecord>& records);
void setRecord(QTableWidget* grid, int row, const StoredRecord& record);
void setEmptyRow(QTableWidget* grid);
QStringList rowTexts(const QTableWidget* grid, int row);
// The rowid listed in a row; -1 for the empty row or a row out of range.
qint64 rowIdAt(const QTableWidget* grid, int row);
// Header and cells, header first, as the grid shows them.
QList<QStringList> allTexts(const QTableWidget* grid);

// Managers and the query result: widest text + 12 + pad per column.
void fitColumns(QTableWidget* grid, int pad);
// Width of "中国", the managers' pad.
int chinaPad(const QTableWidget* grid);

} // namespace RecordGrid
