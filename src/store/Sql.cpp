#include "store/Sql.h"

#include "store/Dialect.h"
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

QString causeOf(const QSqlError& error) {
    // PostgreSQL reports a five-character SQLSTATE; SQLite's result codes have at most four digits.
    const QString native = error.nativeErrorCode();
    if (native.size() == 5) {
        const QString cause = Dialect::causeOfState(native);
        return cause.isEmpty() ? error.text() : cause;
    }
    // SQLite's primary result code is the low byte of an extended one.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    if (ok) {
        switch (code) {
        case 5: // SQLITE_BUSY
        case 6: // SQLITE_LOCKED
            return QStringLiteral("数据库文件正被其他程序使用，请关闭其他程序后再试");
        case 8: // SQLITE_READONLY
            return QStringLiteral("数据库文件是只读的，无法写入");
        case 10: // SQLITE_IOERR
            return QStringLiteral("读写磁盘时出错");
        case 11: // SQLITE_CORRUPT
        case 26: // SQLITE_NOTADB
            return QStringLiteral("数据库文件已损坏或不是本程序的数据库");
        case 13: // SQLITE_FULL
            return QStringLiteral("磁盘空间不足");
        case 14: // SQLITE_CANTOPEN
            return QStringLiteral("无法打开数据库文件");
        default:
            break;
        }
    }
    return error.text();
}

namespace {
[[noreturn]] void fail(const QSqlDatabase& db, const QSqlError& error, const QString& sql) {
    const QString cause = causeOf(error);
    QString message = QStringLiteral("数据库错误：%1").arg(cause);
    if (Dialect::isPostgres(db))
        message +=
            QStringLiteral("\n数据库：%1:%2/%3").arg(db.hostName()).arg(db.port()).arg(db.databaseName());
    else if (!db.databaseName().isEmpty())
        message += QStringLiteral("\n文件：%1").arg(db.databaseName());
    // The raw text and statement help whoever reads a report; the cause comes first.
    if (cause != error.text())
        message += QStringLiteral("\n（%1）").arg(error.text());
    message += QLatin1Char('\n') + sql;
    throw StoreError(message);
}
} // namespace

QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery query(db);
    // PostgreSQL's driver streams a forward-only result row by row and loses it when the
    // connection runs another statement meanwhile; its results are read whole instead.
    query.setForwardOnly(!Dialect::isPostgres(db));
    // PostgreSQL prepares only queries and row changes; a statement without values runs as it is.
    if (values.isEmpty() && Dialect::isPostgres(db)) {
        if (!query.exec(sql))
            fail(db, query.lastError(), sql);
        return query;
    }
    if (!query.prepare(sql))
        fail(db, query.lastError(), sql);
    for (const QVariant& v : values)
        query.addBindValue(Dialect::bindable(db, v));
    if (!query.exec())
        fail(db, query.lastError(), sql);
    return query;
}

QVariant scalar(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery query = exec(db, sql, values);
    if (query.next())
        return query.value(0);
    return {};
}

bool tableExists(const QSqlDatabase& db, const QString& table) {
    return Dialect::tableExists(db, table);
}

QStringList tableNames(const QSqlDatabase& db) {
    return Dialect::tableNames(db);
}

QList<ColumnDef> columns(const QSqlDatabase& db, const QString& table) {
    const QList<ColumnDef> cols = Dialect::columns(db, table);
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

QString createTableStatement(const QSqlDatabase& db, const QString& table, const QList<ColumnDef>& cols) {
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(q(table), Dialect::tableBody(db, cols));
}

void createTable(const QSqlDatabase& db, const QString& table, const QList<ColumnDef>& cols) {
    Dialect::forgetTable(db, table);
    exec(db, createTableStatement(db, table, cols));
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
    Dialect::forgetTable(db, table);
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

QString selectAll(const QSqlDatabase& db, const QString& table) {
    if (!Dialect::isPostgres(db))
        return QStringLiteral("SELECT * FROM %1").arg(q(table));
    QStringList quoted;
    for (const QString& c : columnNames(db, table))
        quoted << q(c);
    return QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(QLatin1Char(',')), q(table));
}

QList<QVariantList> allRows(const QSqlDatabase& db, const QString& table) {
    QList<QVariantList> rows;
    QSqlQuery query = exec(db, selectAll(db, table) + naturalOrder());
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

namespace {
QString insertStatement(const QString& table, const QStringList& cols) {
    if (cols.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(q(table));
    QStringList quoted;
    QStringList marks;
    for (const QString& c : cols) {
        quoted << q(c);
        marks << QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(q(table), quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}
} // namespace

void insertRow(const QSqlDatabase& db, const QString& table, const QStringList& cols,
               const QVariantList& values) {
    exec(db, insertStatement(table, cols), values);
    Dialect::renumberAfterExplicitKeys(db, table, cols);
}

qint64 insertRowReturning(const QSqlDatabase& db, const QString& table, const QStringList& cols,
                          const QVariantList& values, const QString& column) {
    QSqlQuery query =
        exec(db, insertStatement(table, cols) + QStringLiteral(" RETURNING ") + q(column), values);
    const qint64 value = query.next() ? query.value(0).toLongLong() : -1;
    query.finish();
    Dialect::renumberAfterExplicitKeys(db, table, cols);
    return value;
}

int appendRows(const QSqlDatabase& srcDb, const QString& srcTable, const QStringList& srcCols,
               const QSqlDatabase& dstDb, const QString& dstTable, const QStringList& dstCols) {
    QStringList quoted;
    for (const QString& c : srcCols)
        quoted << q(c);
    QSqlQuery rows =
        exec(srcDb, QStringLiteral("SELECT %1 FROM %2")
                            .arg(quoted.isEmpty() ? QStringLiteral("1") : quoted.join(QLatin1Char(',')),
                                 q(srcTable)) +
                        naturalOrder());
    Transaction tx(dstDb);
    const QString sql = insertStatement(dstTable, dstCols);
    QSqlQuery insert(dstDb);
    if (!insert.prepare(sql))
        fail(dstDb, insert.lastError(), sql);
    int count = 0;
    while (rows.next()) {
        for (int i = 0; i < dstCols.size(); ++i)
            insert.bindValue(i, Dialect::bindable(dstDb, rows.value(i)));
        if (!insert.exec())
            fail(dstDb, insert.lastError(), sql);
        ++count;
    }
    Dialect::renumberAfterExplicitKeys(dstDb, dstTable, dstCols);
    tx.commit();
    return count;
}

void copyAllRows(const QSqlDatabase& srcDb, const QString& srcTable, const QSqlDatabase& dstDb,
                 const QString& dstTable) {
    const QStringList srcCols = columnNames(srcDb, srcTable);
    const QStringList dstCols = columnNames(dstDb, dstTable);
    const int n = std::min(srcCols.size(), dstCols.size());
    appendRows(srcDb, srcTable, srcCols.mid(0, n), dstDb, dstTable, dstCols.mid(0, n));
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
        exec(m_db, Dialect::beginWrite(m_db));
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
    int& d = depth()[m_db.connectionName()];
    if (!m_outer) {
        --d;
        m_done = true;
        return;
    }
    try {
        exec(m_db, QStringLiteral("COMMIT"));
    } catch (...) {
        // A COMMIT that failed (a reader holding the file, a full disk) leaves SQLite inside the
        // transaction; end it here so that the connection stays usable and nothing half-done
        // is committed later by someone else's COMMIT.
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        d = 0;
        m_done = true;
        throw;
    }
    d = 0;
    m_done = true;
}

} // namespace Sql
