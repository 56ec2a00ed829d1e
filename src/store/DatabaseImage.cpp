#include "store/DatabaseImage.h"

#include "store/Sql.h"
#include "store/StoreError.h"

#include <QSqlDriver>

#include <sqlite3.h>

#include <memory>

namespace DatabaseImage {

QByteArray serialize(const QSqlDatabase& db, qint64 maxBytes) {
    const qint64 pages = Sql::scalar(db, QStringLiteral("PRAGMA page_count")).toLongLong();
    const qint64 pageSize = Sql::scalar(db, QStringLiteral("PRAGMA page_size")).toLongLong();
    if (pages * pageSize > maxBytes)
        throw StoreError(QStringLiteral("数据库超过 4GB，无法写入备份文件"));
    const QVariant handle = db.driver()->handle();
    sqlite3* connection = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                              ? *static_cast<sqlite3* const*>(handle.data())
                              : nullptr;
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

} // namespace DatabaseImage
