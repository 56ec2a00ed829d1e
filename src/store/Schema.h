#pragma once

#include "store/Sql.h"

#include <QStringList>

// The tables a new installation starts with. The program is its own installer: a missing database
// file is created with these tables; an existing one is never overwritten.
namespace Schema {

// Column names of the reference tables after their key column, in table order.
QStringList ownAccountColumns();   // "本单位帐户"
QStringList businessUnitColumns(); // "业务单位"
QStringList purposeColumns();      // "票据用途"
QStringList contactColumns();      // "联系人", the 19 contact columns
QStringList otherContentColumns(); // "其他内容"

// Page-parameter table ("票据类型" / "H<n>Type"): 14 columns, key first.
QList<Sql::ColumnDef> pageTableColumns();
// Item table ("基本设置项" / "H<n>Item"): "BillItemNum" and the 18 item parameters.
QList<Sql::ColumnDef> itemTableColumns();

// The nine default bill types, type index 0 to 8.
QStringList defaultTypeNames();

// Creates the bill store and the definition database when their files are missing. Throws
// StoreError when a file cannot be created.
void ensureDatabases();

// Creates the tables of a bill store / definition database on an empty database.
void createBillStoreTables(const QSqlDatabase& db);
void createDefineTables(const QSqlDatabase& db);

} // namespace Schema
