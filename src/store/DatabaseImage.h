#pragma once

#include <QSqlDatabase>
#include <QString>

namespace DatabaseImage {

// The size in bytes writeFile will give the connection's main database, inside the transaction it
// is called in; -1 for a shared store, whose copy's size is known only once it is written. Throws
// StoreError when the database is larger than maxBytes.
qint64 expectedSize(const QSqlDatabase& db, qint64 maxBytes);

// Writes the connection's main database as one consistent state into a new SQLite file at path
// (none, or an empty file), read through the connection itself: committed changes still in its
// write-ahead log are included, and inside a transaction the copy shows the state the
// transaction's other reads see. A shared store's tables are copied into the file. The copy is
// marked as a database without a write-ahead log, so that it opens as a plain file wherever it
// goes. Returns its size in bytes. Throws StoreError when the database cannot be read, the file
// cannot be written, or the database is larger than maxBytes.
qint64 writeFile(const QSqlDatabase& db, const QString& path, qint64 maxBytes);

// Makes the main database of target a page-for-page copy of source's, in one transaction of
// target's: afterwards it holds exactly what source holds, and nothing of what it held before.
// Both are SQLite connections without an open transaction; a target with a write-ahead log needs
// the same page size. Throws StoreError when the copy fails; target is then unchanged.
void replaceContents(const QSqlDatabase& target, const QSqlDatabase& source);

} // namespace DatabaseImage
