#pragma once

#include <QByteArray>
#include <QSqlDatabase>

namespace DatabaseImage {

// The bytes of the connection's main database file as one consistent state, read through the
// connection itself (committed changes still in its write-ahead log included). Called inside a
// transaction, the image shows the state the transaction's other reads see. The image is marked
// as a database without a write-ahead log, so that it opens as a plain file wherever it goes.
// Throws StoreError when the database cannot be read or is larger than maxBytes.
QByteArray serialize(const QSqlDatabase& db, qint64 maxBytes);

// Makes the main database of target a page-for-page copy of source's, in one transaction of
// target's: afterwards it holds exactly what source holds, and nothing of what it held before.
// Both are SQLite connections without an open transaction; a target with a write-ahead log needs
// the same page size. Throws StoreError when the copy fails; target is then unchanged.
void replaceContents(const QSqlDatabase& target, const QSqlDatabase& source);

} // namespace DatabaseImage
