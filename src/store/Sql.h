#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

// Table operations by table and column name. Names are always quoted identifiers (item names and
// names from backup files can hold any character); values are always bound.
namespace Sql {

// "name" with inner quotes doubled.
QString q(const QString& identifier);

struct ColumnDef {
    QString name;
    QString type; // INTEGER, SMALLINT, VARCHAR(255), TEXT, BLOB
    bool notNull = false;
    bool primaryKey = false; // an integer primary key numbers new rows itself
};

// The cause of a database failure in the operator's words: a locked file, a full disk, a read-only
// or damaged file; anything else keeps the driver's own text.
QString causeOf(const QSqlError& error);

// Runs a statement with bound values; throws StoreError on failure.
QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
// The first column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

bool tableExists(const QSqlDatabase& db, const QString& table);
QStringList tableNames(const QSqlDatabase& db);
QList<ColumnDef> columns(const QSqlDatabase& db, const QString& table);
QStringList columnNames(const QSqlDatabase& db, const QString& table);

void createTable(const QSqlDatabase& db, const QString& table, const QList<ColumnDef>& cols);
// The statement createTable runs; on SQLite also the definition SQLite keeps of the table.
QString createTableStatement(const QSqlDatabase& db, const QString& table, const QList<ColumnDef>& cols);
// Creates a table with the structure of another one (column names, types, required flags, key);
// text columns become VARCHAR(255).
void createTableLike(const QSqlDatabase& srcDb, const QString& srcTable, const QSqlDatabase& dstDb,
                     const QString& dstTable);
void dropTable(const QSqlDatabase& db, const QString& table);
void emptyTable(const QSqlDatabase& db, const QString& table);
int rowCount(const QSqlDatabase& db, const QString& table);

// Rows in the table's natural order (the order in which they were appended). Every table has a row
// key named rowid: SQLite's own, or an explicit column on a shared store.
QString naturalOrder();
// "SELECT <every column of the program> FROM table", without the row key.
QString selectAll(const QSqlDatabase& db, const QString& table);
QList<QVariantList> allRows(const QSqlDatabase& db, const QString& table);
// The rowid of the row at a 0-based position in natural order, or -1 when there is none.
qint64 rowIdAt(const QSqlDatabase& db, const QString& table, int position);

// Appends a row; values are matched to the given columns.
void insertRow(const QSqlDatabase& db, const QString& table, const QStringList& cols,
               const QVariantList& values);
// Appends a row and returns the value of one of its columns (rowid, or a self-numbering key).
qint64 insertRowReturning(const QSqlDatabase& db, const QString& table, const QStringList& cols,
                          const QVariantList& values, const QString& column = QStringLiteral("rowid"));
// Appends every row of one table to another table, possibly of another database, in natural
// order: the source columns go to the destination columns of the same position. Returns the
// number of rows.
int appendRows(const QSqlDatabase& srcDb, const QString& srcTable, const QStringList& srcCols,
               const QSqlDatabase& dstDb, const QString& dstTable, const QStringList& dstCols);
// Appends every row of one table to another, columns matched by position (as many as both have).
void copyAllRows(const QSqlDatabase& srcDb, const QString& srcTable, const QSqlDatabase& dstDb,
                 const QString& dstTable);

// Everything done between construction and commit() happens whole or not at all. Transactions
// nest: an inner one joins the outer one, and only the outermost commit ends it.
class Transaction {
public:
    explicit Transaction(const QSqlDatabase& db);
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    QSqlDatabase m_db;
    bool m_outer = false;
    bool m_done = false;
};

} // namespace Sql
