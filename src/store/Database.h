#pragma once

#include <QSqlDatabase>
#include <QString>

class QThread;

// The three databases of the program. Each thread gets its own named connection per database,
// because a connection may not cross threads.
enum class Db {
    Bill,   // DataBase/支票软件.mdb: the bill store proper
    Define, // DataBase/支票软件定义.mdb: table structures and the working template
    Backup, // tmp/Temporary.mdb: a backup's database while it is imported
};

namespace Database {

// Where the bill store lives: empty for the SQLite file of the application folder (the default),
// or a PostgreSQL server named by a URL postgresql://host[:port]/database[?user=name&...]. The
// definition and backup databases stay SQLite files of the application folder: they belong to
// one operator.
void setStoreUrl(const QString& url);
QString storeUrl();
bool isShared();

// The parts of a store URL; `error` says in the operator's words what is wrong with it. A password
// is refused: it belongs in libpq's password file or service file, not in the settings.
struct ServerAddress {
    QString host;
    int port = 5432;
    QString database;
    QString user;
    QString options; // libpq connection options, e.g. "sslmode=require;connect_timeout=10"
    QString error;
};
ServerAddress parseStoreUrl(const QString& url);
// Opens a connection to the server under the given name (not yet registered ones only); the
// caller removes it. Returns an empty string or the reason it failed.
QString openServer(const ServerAddress& address, const QString& connectionName);
// Connects to the store a URL names and disconnects again: an empty string when that worked, else
// the reason in the operator's words.
QString probeServer(const QString& url);

// The open connection of the calling thread; opened on first use. Throws StoreError when the file
// cannot be opened.
QSqlDatabase get(Db which);
// The SQLite file of a database (of the bill store too when it is shared: it is not used then).
QString filePath(Db which);
// What the operator is told the database is: the file, or the server's URL.
QString location(Db which);

// Closes and removes the calling thread's connections (workers call this before they end; tests
// call it before they switch application folders).
void closeThreadConnections();
// Closes one database's connection of the calling thread (before its file is replaced).
void close(Db which);

// While it lives, the calling thread opens and uses the connections of `owner` instead of its own;
// when it ends they belong to `owner`. A thread that opens a large store for the window's thread
// thus reads the store's schema once for both, and the window's first statement finds it read.
// Where `owner` has a connection already, the calling thread keeps to its own.
class ConnectionsOf {
public:
    explicit ConnectionsOf(QThread* owner);
    ~ConnectionsOf();
    ConnectionsOf(const ConnectionsOf&) = delete;
    ConnectionsOf& operator=(const ConnectionsOf&) = delete;

private:
    QThread* m_owner = nullptr;
};

} // namespace Database
