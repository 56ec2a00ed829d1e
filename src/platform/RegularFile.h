#pragma once

#include <QIODevice>
#include <QString>

class QFile;

// Files chosen by the operator may be anything with a name: opening a FIFO blocks until another
// process writes to it, and a device never ends. These open only a regular file (or a symbolic
// link to one), without ever blocking on anything else.
namespace RegularFile {

// Opens path read-only and returns the descriptor (close-on-exec), or -1 with the reason in *why.
int openForReading(const QString& path, QString* why);
// The same, handing the descriptor to file (which then owns it).
bool open(QFile& file, const QString& path, QString* why, QIODevice::OpenMode extraMode = {});

} // namespace RegularFile
