#include "store/Sql.h"

#include "store/StoreError.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include <sqlite3.h>

namespace Sql {

QString q(const QString& identifier) {
    QString s = identifier;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString causeOf(const QSqlError& error) {
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
    if (!db.databaseName().isEmpty())
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
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(db, query.lastError(), sql);
    for (const QVariant& v : values)
        query.addBindValue(v);
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
    // SQLite keeps its schema in a hash: asking it costs the same with five tables or fifty
    // thousand, where reading sqlite_master goes through all of them. The statement before brings
    // the connection's schema up to date with what other connections changed.
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        exec(db, QStringLiteral("SELECT 1 FROM main.sqlite_master LIMIT 0"));
        sqlite3* connection = *static_cast<sqlite3* const*>(handle.data());
        return sqlite3_table_column_metadata(connection, "main", table.toUtf8().constData(), nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
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
