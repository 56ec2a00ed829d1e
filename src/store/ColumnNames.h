#pragma once

#include <QString>
#include <QStringList>

// Item names become column names of a bill's history, pre-bill and auto-number tables, beside the
// program's own columns. SQLite tells column names apart ignoring the case of ASCII letters only,
// and a column named like its row id hides the row id; both are checked here, the way SQLite
// compares.
namespace ColumnNames {

// True when SQLite takes the two names for the same column.
bool same(const QString& a, const QString& b);

// The program's own columns of a bill's tables and SQLite's names of the row id.
const QStringList& reserved();
bool isReserved(const QString& name);
bool isRowIdName(const QString& name);

enum class Conflict { None, Reserved, Duplicate };
// Whether `name` can be an item name beside `others`.
Conflict conflictOf(const QStringList& others, const QString& name);

// Why `name` cannot be an item name beside `others` (a reserved name, or one that equals another
// item's name), in the operator's words; empty when it can.
QString itemNameConflict(const QStringList& others, const QString& name);

QString reservedMessage(const QString& name);

// The first conflict among a whole list of item names, empty when there is none.
QString firstConflict(const QStringList& names);

} // namespace ColumnNames
