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

// The open connection of the calling thread; opened on first use. Throws StoreError when the file
// cannot be opened.
QSqlDatabase get(Db which);
QString filePath(Db which);

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
