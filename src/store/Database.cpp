#include "store/Database.h"

#include "platform/AppPaths.h"
#include "store/StoreError.h"

#include <QHash>
#include <QMutex>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

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

QString& sharedStoreUrl() {
    static QString url;
    return url;
}

// What each connection was opened on, so that a change of folder or store reopens it. Connections
// are per thread, but one thread may open them for another.
class OpenedOn {
public:
    QString value(const QString& name) {
        const QMutexLocker lock(&m_mutex);
        return m_places.value(name);
    }
    void insert(const QString& name, const QString& place) {
        const QMutexLocker lock(&m_mutex);
        m_places.insert(name, place);
    }
    void remove(const QString& name) {
        const QMutexLocker lock(&m_mutex);
        m_places.remove(name);
    }

private:
    QMutex m_mutex;
    QHash<QString, QString> m_places;
};

OpenedOn& openedOn() {
    static OpenedOn places;
    return places;
}

[[noreturn]] void cannotOpen(Db which, const QString& reason) {
    throw StoreError(QStringLiteral("无法打开数据库 %1：%2").arg(Database::location(which), reason));
}

QSqlDatabase openSqlite(Db which, const QString& name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(Database::filePath(which));
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        cannotOpen(which, db.lastError().text());
    QSqlQuery(db).exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
    // In WAL mode a program that only reads the store (a viewer, a backup tool) never makes a
    // commit fail; the scratch database of a backup import needs no such care.
    if (which != Db::Backup)
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    return db;
}
} // namespace

namespace Database {

void setStoreUrl(const QString& url) {
    sharedStoreUrl() = url.trimmed();
}

QString storeUrl() {
    return sharedStoreUrl();
}

bool isShared() {
    return !sharedStoreUrl().isEmpty();
}

ServerAddress parseStoreUrl(const QString& text) {
    ServerAddress a;
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres"))) {
        a.error = QStringLiteral("数据库地址应为 postgresql://服务器:端口/数据库名?user=用户名");
        return a;
    }
    if (!url.password().isEmpty()) {
        a.error = QStringLiteral("数据库地址中不能写密码，请把密码写在 ~/.pgpass 文件中");
        return a;
    }
    a.host = url.host().isEmpty() ? QStringLiteral("localhost") : url.host();
    a.port = url.port(5432);
    a.database = url.path().mid(1);
    a.user = url.userName();
    if (a.database.isEmpty() || a.database.contains(QLatin1Char('/'))) {
        a.error = QStringLiteral("数据库地址中没有数据库名");
        return a;
    }
    QStringList options;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("user")) {
            a.user = value;
        } else if (key == QLatin1String("password")) {
            a.error = QStringLiteral("数据库地址中不能写密码，请把密码写在 ~/.pgpass 文件中");
            return a;
        } else if (key.isEmpty() ||
                   !std::all_of(key.cbegin(), key.cend(),
                                [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }) ||
                   value.contains(QLatin1Char(';'))) {
            a.error = QStringLiteral("数据库地址中的选项“%1”不合法").arg(key);
            return a;
        } else {
            // libpq's quoting: the value in single quotes, quotes and backslashes escaped.
            QString quoted = value;
            quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                .replace(QLatin1Char('\''), QStringLiteral("\\'"));
            options << key + QStringLiteral("='") + quoted + QLatin1Char('\'');
        }
    }
    if (!std::any_of(options.cbegin(), options.cend(),
                     [](const QString& o) { return o.startsWith(QLatin1String("connect_timeout=")); }))
        options << QStringLiteral("connect_timeout=10");
    a.options = options.join(QLatin1Char(';'));
    return a;
}

QString openServer(const ServerAddress& address, const QString& connectionName) {
    if (!address.error.isEmpty())
        return address.error;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("没有安装 PostgreSQL 数据库驱动（libqt6sql6-psql）");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(address.host);
    db.setPort(address.port);
    db.setDatabaseName(address.database);
    db.setUserName(address.user);
    db.setConnectOptions(address.options);
    if (!db.open())
        return db.lastError().text().trimmed();
    QSqlQuery setup(db);
    setup.exec(QStringLiteral("SET client_min_messages = warning"));
    // A print waits for another desk's print of the same bill, but not for ever.
    setup.exec(QStringLiteral("SET lock_timeout = '60s'"));
    return {};
}

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

QString probeServer(const QString& url) {
    const QString name =
        QStringLiteral("StoreProbe@%1").arg(reinterpret_cast<quintptr>(QThread::currentThread()));
    const QString failure = openServer(parseStoreUrl(url), name);
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
    return failure;
}

QString location(Db which) {
    return which == Db::Bill && isShared() ? storeUrl() : filePath(which);
}

QSqlDatabase get(Db which) {
    const QString name = connectionName(which);
    const QString place = location(which);
    if (QSqlDatabase::contains(name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            if (db.isOpen() && openedOn().value(name) == place)
                return db;
        }
        close(which);
    }
    openedOn().insert(name, place);
    if (which == Db::Bill && isShared()) {
        const QString failure = openServer(parseStoreUrl(place), name);
        if (!failure.isEmpty()) {
            QSqlDatabase::removeDatabase(name);
            openedOn().remove(name);
            cannotOpen(which, failure);
        }
        return QSqlDatabase::database(name, false);
    }
    try {
        return openSqlite(which, name);
    } catch (...) {
        QSqlDatabase::removeDatabase(name);
        openedOn().remove(name);
        throw;
    }
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
    openedOn().remove(name);
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
