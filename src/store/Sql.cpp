#include "store/Sql.h"

#include "store/StoreError.h"

#include <QHash>
#include <QSqlError>
#include <QSqlRecord>

namespace Sql {

QString q(const QString& identifier) {
    QString s = identifier;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw StoreError(QStringLiteral("数据库错误：%1\n%2").arg(query.lastError().text(), sql));
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec())
        throw StoreError(QStringLiteral("数据库错误：%1\n%2").arg(query.lastError().text(), sql));
    return query;
}

QVariant scalar(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery query = exec(db, sql, values);
    if (query.next())
        return query.value(0);
    return {};
}

bool tableExists(const QSqlDatabase& db, const QString& table) {
    return scalar(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?"),
                  {table})
               .toInt() > 0;
}

QStringList tableNames(const QSqlDatabase& db) {
    QStringList names;
    QSqlQuery query = exec(
        db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QList<ColumnDef> columns(const QSqlDatabase& db, const QString& table) {
    QList<ColumnDef> cols;
    QSqlQuery query = exec(db, QStringLiteral("PRAGMA table_info(%1)").arg(q(table)));
    while (query.next()) {
        ColumnDef c;
        c.name = query.value(1).toString();
        c.type = query.value(2).toString().toUpper();
        c.notNull = query.value(3).toInt() != 0;
        c.primaryKey = query.value(5).toInt() != 0;
        cols << c;
    }
    if (cols.isEmpty())
        throw StoreError(QStringLiteral("数据表不存在：%1").arg(table));
    return cols;
}

QStringList columnNames(const QSqlDatabase& db, const QString& table) {
    QStringList names;
    for (const ColumnDef& c : columns(db, table))
        names << c.name;
    return names;
}

void createTable(const QSqlDatabase& db, const QString& table, const QList<ColumnDef>& cols) {
    QStringList defs;
    for (const ColumnDef& c : cols) {
        QString def = q(c.name) + QLatin1Char(' ') + c.type;
        if (c.primaryKey)
            def += QStringLiteral(" PRIMARY KEY");
        else if (c.notNull)
            def += QStringLiteral(" NOT NULL");
        defs << def;
    }
    exec(db, QStringLiteral("CREATE TABLE %1 (%2)").arg(q(table), defs.join(QStringLiteral(", "))));
}

void createTableLike(const QSqlDatabase& srcDb, const QString& srcTable, const QSqlDatabase& dstDb,
                     const QString& dstTable) {
    QList<ColumnDef> cols = columns(srcDb, srcTable);
    for (ColumnDef& c : cols)
        if (c.type.startsWith(QLatin1String("VARCHAR")) || c.type.startsWith(QLatin1String("CHAR")))
            c.type = QStringLiteral("VARCHAR(255)");
    createTable(dstDb, dstTable, cols);
}

void dropTable(const QSqlDatabase& db, const QString& table) {
    exec(db, QStringLiteral("DROP TABLE %1").arg(q(table)));
}

void emptyTable(const QSqlDatabase& db, const QString& table) {
    exec(db, QStringLiteral("DELETE FROM %1").arg(q(table)));
}

int rowCount(const QSqlDatabase& db, const QString& table) {
    return scalar(db, QStringLiteral("SELECT count(*) FROM %1").arg(q(table))).toInt();
}

QString naturalOrder() {
    return QStringLiteral(" ORDER BY rowid");
}

QList<QVariantList> allRows(const QSqlDatabase& db, const QString& table) {
    QList<QVariantList> rows;
    QSqlQuery query = exec(db, QStringLiteral("SELECT * FROM %1").arg(q(table)) + naturalOrder());
    const int n = query.record().count();
    while (query.next()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << query.value(i);
        rows << row;
    }
    return rows;
}

qint64 rowIdAt(const QSqlDatabase& db, const QString& table, int position) {
    if (position < 0)
        return -1;
    QVariant v = scalar(db,
                        QStringLiteral("SELECT rowid FROM %1").arg(q(table)) + naturalOrder() +
                            QStringLiteral(" LIMIT 1 OFFSET ?"),
                        {position});
    return v.isValid() ? v.toLongLong() : -1;
}

void insertRow(const QSqlDatabase& db, const QString& table, const QStringList& cols,
               const QVariantList& values) {
    QStringList quoted;
    QStringList marks;
    for (const QString& c : cols) {
        quoted << q(c);
        marks << QStringLiteral("?");
    }
    exec(db,
         QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
             .arg(q(table), quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
         values);
}

void copyAllRows(const QSqlDatabase& srcDb, const QString& srcTable, const QSqlDatabase& dstDb,
                 const QString& dstTable) {
    const QStringList srcCols = columnNames(srcDb, srcTable);
    const QStringList dstCols = columnNames(dstDb, dstTable);
    const int n = std::min(srcCols.size(), dstCols.size());
    const QStringList targetCols = dstCols.mid(0, n);
    Transaction tx(dstDb);
    for (const QVariantList& row : allRows(srcDb, srcTable))
        insertRow(dstDb, dstTable, targetCols, row.mid(0, n));
    tx.commit();
}

namespace {
QHash<QString, int>& depth() {
    static thread_local QHash<QString, int> d;
    return d;
}
} // namespace

Transaction::Transaction(const QSqlDatabase& db) : m_db(db) {
    int& d = depth()[db.connectionName()];
    if (d == 0) {
        exec(m_db, QStringLiteral("BEGIN IMMEDIATE"));
        m_outer = true;
    }
    ++d;
}

Transaction::~Transaction() {
    if (m_done)
        return;
    int& d = depth()[m_db.connectionName()];
    --d;
    // An inner transaction left without commit is unwinding with an exception; the outermost
    // one rolls everything back when that exception reaches it.
    if (m_outer) {
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        d = 0;
    }
}

void Transaction::commit() {
    if (m_done)
        return;
    m_done = true;
    int& d = depth()[m_db.connectionName()];
    --d;
    if (m_outer)
        exec(m_db, QStringLiteral("COMMIT"));
}

} // namespace Sql
