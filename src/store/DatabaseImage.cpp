#include "store/DatabaseImage.h"

#include "platform/FileErrors.h"
#include "store/BillStore.h"
#include "store/Dialect.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>

#include <sqlite3.h>

#include <cerrno>

namespace DatabaseImage {

namespace {

QString tooLarge() {
    return QStringLiteral("数据库超过 4GB，无法写入备份文件");
}

QString causeOfCode(int code) {
    return Sql::causeOf(QSqlError(QString::fromUtf8(sqlite3_errstr(code)), QString(),
                                  QSqlError::StatementError, QString::number(code)));
}

// A connection of SQLite's own to one file, closed when it goes out of scope.
class FileConnection {
public:
    FileConnection(const QString& path, int flags)
        : m_code(sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr)) {}
    ~FileConnection() { sqlite3_close(m_db); }
    FileConnection(const FileConnection&) = delete;
    FileConnection& operator=(const FileConnection&) = delete;

    sqlite3* handle() const { return m_db; }
    bool isOpen() const { return m_code == SQLITE_OK; }
    QString lastError() const {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(m_code));
    }

private:
    sqlite3* m_db = nullptr;
    int m_code = SQLITE_OK;
};

// The copy is written once and read a few times before it is thrown away: no journal, no syncs.
bool makeScratch(sqlite3* db) {
    return sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr) ==
           SQLITE_OK;
}

// A shared store's tables copied into an SQLite file: a backup holds an SQLite database whichever
// store it comes from. The pictures go into a backup as picture records, not as a table.
void copyShared(const QSqlDatabase& shared, const QString& path) {
    const QString name =
        QStringLiteral("SharedImage@%1").arg(reinterpret_cast<quintptr>(QThread::currentThread()));
    QString failure;
    {
        QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        copy.setDatabaseName(path);
        if (!copy.open()) {
            failure = copy.lastError().text();
        } else {
            try {
                if (!makeScratch(Dialect::sqliteHandle(copy)))
                    throw StoreError(copy.lastError().text());
                Sql::Transaction tx(copy);
                for (const QString& table : Sql::tableNames(shared)) {
                    if (table == BillStore::pictureTable())
                        continue;
                    Sql::createTable(copy, table, Sql::columns(shared, table));
                    const QStringList cols = Sql::columnNames(copy, table);
                    Sql::appendRows(shared, table, cols, copy, table, cols);
                }
                tx.commit();
            } catch (const StoreError& e) {
                failure = e.message();
            }
            copy.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw StoreError(QStringLiteral("无法取得共享数据库的映像：%1").arg(failure));
}

// Page for page through the connection, inside whatever transaction it has open.
void copySqlite(const QSqlDatabase& db, const QString& path) {
    sqlite3* from = Dialect::sqliteHandle(db);
    if (!from)
        throw StoreError(QStringLiteral("数据库映像只能从 SQLite 数据库取得"));
    const FileConnection to(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!to.isOpen() || !makeScratch(to.handle()))
        throw StoreError(QStringLiteral("无法建立数据库映像 %1：%2").arg(path, to.lastError()));
    sqlite3_backup* copy = sqlite3_backup_init(to.handle(), "main", from, "main");
    if (!copy)
        throw StoreError(QStringLiteral("无法取得数据库映像：%1").arg(to.lastError()));
    const int step = sqlite3_backup_step(copy, -1);
    const int finish = sqlite3_backup_finish(copy);
    if (step != SQLITE_DONE || finish != SQLITE_OK)
        throw StoreError(
            QStringLiteral("无法取得数据库映像：%1").arg(causeOfCode(step != SQLITE_DONE ? step : finish)));
}

} // namespace

qint64 expectedSize(const QSqlDatabase& db, qint64 maxBytes) {
    if (Dialect::isPostgres(db))
        return -1;
    const qint64 size = Sql::scalar(db, QStringLiteral("PRAGMA page_count")).toLongLong() *
                        Sql::scalar(db, QStringLiteral("PRAGMA page_size")).toLongLong();
    if (size > maxBytes)
        throw StoreError(tooLarge());
    return size;
}

qint64 writeFile(const QSqlDatabase& db, const QString& path, qint64 maxBytes) {
    if (Dialect::isPostgres(db))
        copyShared(db, path);
    else
        copySqlite(db, path);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw StoreError(QStringLiteral("无法打开数据库映像 %1：%2").arg(path, file.errorString()));
    const qint64 size = file.size();
    if (size > maxBytes)
        throw StoreError(tooLarge());
    // File format bytes 18 and 19: 1 is a rollback-journal database, 2 one with a write-ahead log.
    errno = 0;
    if (size >= 20 && (!file.seek(18) || file.write("\x01\x01", 2) != 2 || !file.flush()))
        throw StoreError(DeviceWriteFailure(file, errno));
    return size;
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
    if (step != SQLITE_DONE || finish != SQLITE_OK)
        throw StoreError(
            QStringLiteral("无法写入数据库：%1").arg(causeOfCode(step != SQLITE_DONE ? step : finish)));
}

} // namespace DatabaseImage
