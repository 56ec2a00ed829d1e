#pragma once

#include "templates/BillTemplate.h"

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>

class BillStore;

// Reading and writing templates in their two tables. The working template lives in the
// definition database ("票据类型", "基本设置项"); every bill has its own pair in the bill store,
// so each operation takes the database and the table name. Store failures throw StoreError.

// Column names of the 18 item parameters, in table order (after "BillItemNum").
QStringList itemParameterColumns();

// An item from one row of an item table: the key from the first column, the 18 parameters by
// column name; a flag counts as set when it is not 0. Throws StoreError when a column is missing.
TemplateItem ReadItemRow(const QSqlRecord& row);

// Writes the item into the row whose "BillItemNum" is the item's key, or appends a row when the
// key is -1. Always writes name, position, size, font, spacing, alignment and print flag; unless
// positionsOnly is set, also the other nine parameters. Flags are written as 1 or 0. Returns the
// row's key, or -1 when no row has the item's key (nothing is written then).
int WriteItemRow(const QSqlDatabase& db, const QString& table, const TemplateItem& item, bool positionsOnly);

// Frees all slots, forgets the deleted keys and reads the table's rows in table order into the
// slots (at most MaxItems). The caller lays the items out for its canvas.
void LoadTemplateItems(const QSqlDatabase& db, const QString& table, BillTemplate& tpl);

// Writes every used item (new rows for key -1; an item whose key is no longer in the table is
// skipped), deletes the rows of the deleted keys, all in one transaction, then loads the items
// again so that new items carry their keys and the order follows the table.
void SaveTemplateItems(const QSqlDatabase& db, const QString& table, BillTemplate& tpl);

// The page row of a page-parameter table; defaults when the table has no row.
PageParameters readPageRow(const QSqlDatabase& db, const QString& table);
// Writes the page row in one step, appending it when the table is empty. "图象数据" is left alone.
void writePageRow(const QSqlDatabase& db, const QString& table, const PageParameters& page);

// The type index of read-back page parameters: a stored type name that is not yet a bill type is
// registered as a new one; the name's index in the (new) list is used, otherwise the stored index;
// an index outside the list becomes 0.
int resolveTypeIndex(BillStore& store, const PageParameters& page);
