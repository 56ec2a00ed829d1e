#include "store/Dialect.h"

#include "store/Sql.h"
#include "store/StoreError.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

using Sql::q;

namespace Dialect {

namespace {
// Self-numbering columns of PostgreSQL tables, per connection and table, so that writes with
// explicit keys do not ask the catalogue each time.
QHash<QString, QStringList>& identityCache() {
    static thread_local QHash<QString, QStringList> cache;
    return cache;
}

QString cacheKey(const QSqlDatabase& db, const QString& table) {
    return db.connectionName() + QLatin1Char('\n') + table;
}

// A PostgreSQL type as the program names it.
QString programType(const QString& pgType) {
    if (pgType == QLatin1String("bigint") || pgType == QLatin1String("integer"))
        return QStringLiteral("INTEGER");
    if (pgType == QLatin1String("smallint"))
        return QStringLiteral("SMALLINT");
    if (pgType.startsWith(QLatin1String("character")))
        return QStringLiteral("VARCHAR(255)");
    if (pgType == QLatin1String("text"))
        return QStringLiteral("TEXT");
    if (pgType == QLatin1String("bytea"))
        return QStringLiteral("BLOB");
    if (pgType == QLatin1String("double precision") || pgType == QLatin1String("real"))
        return QStringLiteral("DOUBLE");
    return pgType.toUpper();
}

// A column type of the program (or of an old store) on PostgreSQL. Texts have no length limit
// there, as SQLite enforces none.
QString postgresType(const QString& type) {
    const QString t = type.trimmed().toUpper();
    if (t == QLatin1String("SMALLINT"))
        return QStringLiteral("SMALLINT");
    if (t.contains(QLatin1String("INT")))
        return QStringLiteral("BIGINT");
    if (t.contains(QLatin1String("CHAR")))
        return QStringLiteral("VARCHAR");
    if (t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CLOB")))
        return QStringLiteral("TEXT");
    if (t.contains(QLatin1String("BLOB")) || t.isEmpty())
        return QStringLiteral("BYTEA");
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
        t.contains(QLatin1String("DOUB")))
        return QStringLiteral("DOUBLE PRECISION");
    // NUMERIC, DATETIME and other names an old store may carry keep their values as text.
    return QStringLiteral("TEXT");
}

QStringList identityColumns(const QSqlDatabase& db, const QString& table) {
    const QString key = cacheKey(db, table);
    const auto found = identityCache().constFind(key);
    if (found != identityCache().cend())
        return *found;
    QStringList names;
    QSqlQuery query = Sql::exec(db,
                                QStringLiteral("SELECT a.attname FROM pg_attribute a WHERE a.attrelid = "
                                               "to_regclass(?) AND a.attnum > 0 AND NOT a.attisdropped AND "
                                               "a.attidentity <> '' AND a.attname <> ?"),
                                {q(table), rowKeyColumn()});
    while (query.next())
        names << query.value(0).toString();
    identityCache().insert(key, names);
    return names;
}
} // namespace

Backend backendOf(const QSqlDatabase& db) {
    return db.driverName() == QLatin1String("QPSQL") ? Backend::PostgreSQL : Backend::SQLite;
}

QString rowKeyColumn() {
    return QStringLiteral("rowid");
}

QString beginWrite(const QSqlDatabase& db) {
    // SQLite takes the write lock at once, so that a transaction never fails half-way for
    // another writer; PostgreSQL locks rows as they are written.
    return isPostgres(db) ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE");
}

QString beginSnapshot(const QSqlDatabase& db) {
    return isPostgres(db) ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                          : QStringLiteral("BEGIN");
}

QStringList tableNames(const QSqlDatabase& db) {
    QStringList names;
    QSqlQuery query = Sql::exec(
        db, isPostgres(db)
                ? QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = current_schema()")
                : QStringLiteral(
                      "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

sqlite3* sqliteHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

bool tableExists(const QSqlDatabase& db, const QString& table) {
    if (isPostgres(db))
        return Sql::scalar(db,
                           QStringLiteral("SELECT count(*) FROM pg_class WHERE oid = to_regclass(?) AND "
                                          "relkind IN ('r', 'p')"),
                           {q(table)})
                   .toInt() > 0;
    // SQLite keeps its schema in a hash: asking it costs the same with five tables or fifty
    // thousand, where reading sqlite_master goes through all of them. The statement before brings
    // the connection's schema up to date with what other connections changed.
    if (sqlite3* connection = sqliteHandle(db)) {
        Sql::exec(db, QStringLiteral("SELECT 1 FROM main.sqlite_master LIMIT 0"));
        return sqlite3_table_column_metadata(connection, "main", table.toUtf8().constData(), nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    return Sql::scalar(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?"),
                       {table})
               .toInt() > 0;
}

QList<Sql::ColumnDef> columns(const QSqlDatabase& db, const QString& table) {
    QList<Sql::ColumnDef> cols;
    if (isPostgres(db)) {
        QSqlQuery query = Sql::exec(
            db,
            QStringLiteral(
                "SELECT a.attname, format_type(a.atttypid, NULL), a.attnotnull, a.attidentity <> '' "
                "FROM pg_attribute a WHERE a.attrelid = to_regclass(?) AND a.attnum > 0 AND NOT "
                "a.attisdropped ORDER BY a.attnum"),
            {q(table)});
        while (query.next()) {
            Sql::ColumnDef c;
            c.name = query.value(0).toString();
            if (c.name == rowKeyColumn())
                continue;
            c.type = programType(query.value(1).toString());
            c.primaryKey = query.value(3).toBool();
            c.notNull = query.value(2).toBool();
            cols << c;
        }
        return cols;
    }
    QSqlQuery query = Sql::exec(db, QStringLiteral("PRAGMA table_info(%1)").arg(q(table)));
    while (query.next()) {
        Sql::ColumnDef c;
        c.name = query.value(1).toString();
        c.type = query.value(2).toString().toUpper();
        c.notNull = query.value(3).toInt() != 0;
        c.primaryKey = query.value(5).toInt() != 0;
        cols << c;
    }
    return cols;
}

QString tableBody(const QSqlDatabase& db, const QList<Sql::ColumnDef>& cols) {
    const bool pg = isPostgres(db);
    QStringList defs;
    for (const Sql::ColumnDef& c : cols) {
        QString def = q(c.name) + QLatin1Char(' ');
        if (!pg) {
            def += c.type;
            if (c.primaryKey)
                def += QStringLiteral(" PRIMARY KEY");
            else if (c.notNull)
                def += QStringLiteral(" NOT NULL");
        } else if (c.primaryKey) {
            // SQLite's integer primary key: numbers new rows itself, takes given numbers too.
            def += QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY UNIQUE NOT NULL");
        } else {
            def += postgresType(c.type);
            if (c.notNull)
                def += QStringLiteral(" NOT NULL");
        }
        defs << def;
    }
    // Last, so that the program's columns keep their positions.
    if (pg)
        defs << q(rowKeyColumn()) + QStringLiteral(" BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    return defs.join(QStringLiteral(", "));
}

void forgetTable(const QSqlDatabase& db, const QString& table) {
    identityCache().remove(cacheKey(db, table));
}

void renumberAfterExplicitKeys(const QSqlDatabase& db, const QString& table,
                               const QStringList& writtenColumns) {
    if (!isPostgres(db) || writtenColumns.isEmpty())
        return;
    for (const QString& column : identityColumns(db, table))
        if (writtenColumns.contains(column))
            Sql::exec(db,
                      QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), coalesce(max(%1), 0) + 1, "
                                     "false) FROM %2")
                          .arg(q(column), q(table)),
                      {q(table), column});
}

QVariant bindable(const QSqlDatabase& db, const QVariant& value) {
    if (!isPostgres(db))
        return value;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return value.toInt();
    default:
        return value;
    }
}

QString causeOfState(const QString& state) {
    if (state == QLatin1String("40001") || state == QLatin1String("40P01") || state == QLatin1String("55P03"))
        return QStringLiteral("共享数据库正被其他操作员修改，请稍后再试");
    if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01"))
        return QStringLiteral("与共享数据库的连接已断开，请检查网络和数据库服务器");
    if (state == QLatin1String("53100"))
        return QStringLiteral("数据库服务器的磁盘空间不足");
    if (state == QLatin1String("25006"))
        return QStringLiteral("共享数据库是只读的，无法写入");
    if (state == QLatin1String("42501"))
        return QStringLiteral("没有写入共享数据库的权限");
    return {};
}

QString integerPrefix(const QSqlDatabase& db, const QString& text) {
    if (isPostgres(db))
        return QStringLiteral(
                   "coalesce(CAST(substring(%1 from '^[[:space:]]*([+-]?[0-9]{1,18})') AS BIGINT), 0)")
            .arg(text);
    return QStringLiteral("CAST(%1 AS INTEGER)").arg(text);
}

QString findText(const QSqlDatabase& db, const QString& text, const QString& literal) {
    QString quoted = literal;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return (isPostgres(db) ? QStringLiteral("strpos(%1, '%2')") : QStringLiteral("instr(%1, '%2')"))
        .arg(text, quoted);
}

void lockForNumbering(const QSqlDatabase& db, const QString& table) {
    if (isPostgres(db))
        Sql::exec(db, QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(q(table)));
}

} // namespace Dialect
