#include "store/DatabaseImage.h"

#include "store/BillStore.h"
#include "store/Dialect.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QThread>

#include <sqlite3.h>

#include <memory>

namespace DatabaseImage {

namespace {
QByteArray serializeFile(const QSqlDatabase& db, qint64 maxBytes);

// A shared store's tables copied into a database in memory, whose image is then taken: a backup
// holds an SQLite database whichever store it comes from. The pictures go into a backup as
// picture records, not as a table.
QByteArray copyOfShared(const QSqlDatabase& shared, qint64 maxBytes) {
    const QString name =
        QStringLiteral("SharedImage@%1").arg(reinterpret_cast<quintptr>(QThread::currentThread()));
    QByteArray image;
    QString failure;
    {
        QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        copy.setDatabaseName(QStringLiteral(":memory:"));
        if (!copy.open()) {
            failure = copy.lastError().text();
        } else {
            try {
                Sql::Transaction tx(copy);
                for (const QString& table : Sql::tableNames(shared)) {
                    if (table == BillStore::pictureTable())
                        continue;
                    Sql::createTable(copy, table, Sql::columns(shared, table));
                    const QStringList cols = Sql::columnNames(copy, table);
                    Sql::appendRows(shared, table, cols, copy, table, cols);
                }
                tx.commit();
                image = serializeFile(copy, maxBytes);
            } catch (const StoreError& e) {
                failure = e.message();
            }
            copy.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw StoreError(QStringLiteral("无法取得共享数据库的映像：%1").arg(failure));
    return image;
}

QByteArray serializeFile(const QSqlDatabase& db, qint64 maxBytes) {
    const qint64 pages = Sql::scalar(db, QStringLiteral("PRAGMA page_count")).toLongLong();
    const qint64 pageSize = Sql::scalar(db, QStringLiteral("PRAGMA page_size")).toLongLong();
    if (pages * pageSize > maxBytes)
        throw StoreError(QStringLiteral("数据库超过 4GB，无法写入备份文件"));
    sqlite3* connection = Dialect::sqliteHandle(db);
    if (!connection)
        throw StoreError(QStringLiteral("数据库映像只能从 SQLite 数据库取得"));
    sqlite3_int64 size = 0;
    const std::unique_ptr<unsigned char, decltype(&sqlite3_free)> bytes(
        sqlite3_serialize(connection, "main", &size, 0), &sqlite3_free);
    if (!bytes)
        throw StoreError(
            QStringLiteral("无法取得数据库映像：%1").arg(QString::fromUtf8(sqlite3_errmsg(connection))));
    QByteArray image(reinterpret_cast<const char*>(bytes.get()), qsizetype(size));
    // File format bytes 18 and 19: 1 is a rollback-journal database, 2 one with a write-ahead log.
    if (image.size() >= 20) {
        image[18] = 1;
        image[19] = 1;
    }
    return image;
}
} // namespace

QByteArray serialize(const QSqlDatabase& db, qint64 maxBytes) {
    return Dialect::isPostgres(db) ? copyOfShared(db, maxBytes) : serializeFile(db, maxBytes);
}

void replaceContents(const QSqlDatabase& target, const QSqlDatabase& source) {
    sqlite3* to = Dialect::sqliteHandle(target);
    sqlite3* from = Dialect::sqliteHandle(source);
    if (!to || !from)
        throw StoreError(QStringLiteral("数据库只能从 SQLite 数据库整体复制"));
    sqlite3_backup* copy = sqlite3_backup_init(to, "main", from, "main");
    if (!copy)
        throw StoreError(QStringLiteral("无法写入数据库：%1").arg(QString::fromUtf8(sqlite3_errmsg(to))));
    // All pages in one step: the target takes them in one transaction of its own, which its
    // journal or write-ahead log undoes if the program stops half-way.
    const int step = sqlite3_backup_step(copy, -1);
    const int finish = sqlite3_backup_finish(copy);
    if (step != SQLITE_DONE || finish != SQLITE_OK) {
        const int code = step != SQLITE_DONE ? step : finish;
        throw StoreError(QStringLiteral("无法写入数据库：%1")
                             .arg(Sql::causeOf(QSqlError(QString::fromUtf8(sqlite3_errstr(code)), QString(),
                                                         QSqlError::StatementError, QString::number(code)))));
    }
}

} // namespace DatabaseImage
