#pragma once

#include <QByteArray>
#include <QString>

// Workbooks (.xlsx, .ods) are zip archives whose entries declare their own sizes, and the reading
// library allocates what they declare. This checks every entry against the file before the library
// sees it: the entry must lie inside the file, and its declared size must be one that its
// compressed bytes can really produce, within a bound far above any real sheet.
namespace ZipBounds {

constexpr qint64 kMaxEntrySize = qint64(256) * 1024 * 1024;

// True when the archive's directory and every entry fit; otherwise why says what is wrong.
bool check(const QByteArray& bytes, QString* why);

} // namespace ZipBounds
