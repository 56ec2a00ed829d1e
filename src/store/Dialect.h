#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

struct sqlite3;

namespace Sql {
struct ColumnDef;
}

// Everything that differs between the embedded SQLite store and a shared PostgreSQL store. The
// rest of the program speaks one SQL: quoted identifiers, bound values, the column types INTEGER,
// SMALLINT, VARCHAR(n), TEXT and BLOB, and the row key "rowid" of every table.
namespace Dialect {

enum class Backend { SQLite, PostgreSQL };
Backend backendOf(const QSqlDatabase& db);
inline bool isPostgres(const QSqlDatabase& db) {
    return backendOf(db) == Backend::PostgreSQL;
}

// The column every table of a PostgreSQL store carries as its row identity, under the name of
// SQLite's implicit one, so that statements naming rows are the same on both. Item names and
// columns of backups are refused when they take it.
QString rowKeyColumn();

// The longest table or column name PostgreSQL keeps whole, in UTF-8 bytes.
inline constexpr int kMaxNameBytes = 63;

// Opens a transaction that is going to write.
QString beginWrite(const QSqlDatabase& db);
// Opens a transaction in which every read sees the same state of the store.
QString beginSnapshot(const QSqlDatabase& db);

// SQLite's own handle of the connection, or nullptr when it is not an SQLite connection.
sqlite3* sqliteHandle(const QSqlDatabase& db);

QStringList tableNames(const QSqlDatabase& db);
bool tableExists(const QSqlDatabase& db, const QString& table);
// Columns in their order, with types in the program's own names; the row-key column is left out.
QList<Sql::ColumnDef> columns(const QSqlDatabase& db, const QString& table);
// The body of a CREATE TABLE for the columns.
QString tableBody(const QSqlDatabase& db, const QList<Sql::ColumnDef>& cols);
// Forgets what was learnt of a table that is created or dropped.
void forgetTable(const QSqlDatabase& db, const QString& table);
// After rows were written with explicit values in a self-numbering column: new rows are numbered
// after the highest of them (SQLite does so by itself).
void renumberAfterExplicitKeys(const QSqlDatabase& db, const QString& table,
                               const QStringList& writtenColumns);

// A value as the back-end stores it in the program's column types (PostgreSQL has no implicit
// conversion of a boolean to a number).
QVariant bindable(const QSqlDatabase& db, const QVariant& value);

// The cause of a PostgreSQL failure (its SQLSTATE) in the operator's words, or an empty string when
// the code is not one the operator can act on.
QString causeOfState(const QString& sqlState);

// Expressions that never fail on a stored text: the integer its leading digits make (0 when it
// starts with none), and the 1-based position of a literal in it (0 when absent). Both may be
// used in an index.
QString integerPrefix(const QSqlDatabase& db, const QString& textExpression);
QString findText(const QSqlDatabase& db, const QString& textExpression, const QString& literal);

// Inside a write transaction: keeps other connections from taking numbers of the table until the
// transaction ends. SQLite's write transaction already excludes every other writer.
void lockForNumbering(const QSqlDatabase& db, const QString& table);

} // namespace Dialect
