#include "store/Database.h"

#include "platform/AppPaths.h"
#include "store/StoreError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace {
const char* baseName(Db which) {
    switch (which) {
    case Db::Bill:
        return "MyDataBase";
    case Db::Define:
        return "MyDataBaseDefine";
    case Db::Backup:
        return "MyBackUpDataBase";
    }
    return "MyDataBase";
}

// The thread whose connections the calling thread uses in place of its own, if any.
thread_local QThread* t_connectionOwner = nullptr;

QString connectionName(Db which, QThread* thread) {
    return QStringLiteral("%1@%2")
        .arg(QLatin1String(baseName(which)))
        .arg(reinterpret_cast<quintptr>(thread));
}

QString connectionName(Db which) {
    return connectionName(which, t_connectionOwner ? t_connectionOwner : QThread::currentThread());
}
} // namespace

namespace Database {

QString filePath(Db which) {
    switch (which) {
    case Db::Bill:
        return AppPaths::billStoreFile();
    case Db::Define:
        return AppPaths::defineStoreFile();
    case Db::Backup:
        return AppPaths::backupStoreFile();
    }
    return {};
}

QSqlDatabase get(Db which) {
    const QString name = connectionName(which);
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() && db.databaseName() == filePath(which))
            return db;
        db.close();
        db.setDatabaseName(filePath(which));
        if (!db.open())
            throw StoreError(
                QStringLiteral("无法打开数据库 %1：%2").arg(filePath(which), db.lastError().text()));
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(filePath(which));
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        const QString err = db.lastError().text();
        throw StoreError(QStringLiteral("无法打开数据库 %1：%2").arg(filePath(which), err));
    }
    QSqlQuery(db).exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
    // In WAL mode a program that only reads the store (a viewer, a backup tool) never makes a
    // commit fail; the scratch database of a backup import needs no such care.
    if (which != Db::Backup)
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    return db;
}

void close(Db which) {
    const QString name = connectionName(which);
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

ConnectionsOf::ConnectionsOf(QThread* owner) {
    for (Db d : {Db::Bill, Db::Define, Db::Backup})
        if (QSqlDatabase::contains(connectionName(d, owner)))
            return;
    m_owner = owner;
    t_connectionOwner = owner;
}

ConnectionsOf::~ConnectionsOf() {
    if (!m_owner)
        return;
    for (Db d : {Db::Bill, Db::Define, Db::Backup}) {
        const QString name = connectionName(d);
        if (!QSqlDatabase::contains(name))
            continue;
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid())
            db.driver()->moveToThread(m_owner);
    }
    t_connectionOwner = nullptr;
}

void closeThreadConnections() {
    for (Db d : {Db::Bill, Db::Define, Db::Backup})
        close(d);
}

} // namespace Database
