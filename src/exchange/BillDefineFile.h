#pragma once

#include <QString>

// A bill definition file (*.BDF) carries one template between machines: a 256-byte header with a
// checksum, the page values, the item rows and the background picture. It is written from and read
// into the working template ("票据类型" and "基本设置项" of the definition database); texts are GBK
// in the file.
class BillDefineFile {
public:
    // The message for a file that is missing or fails any test of the format.
    static QString invalidFileMessage();

    // Writes the working template with its picture to path. The file is replaced only when it was
    // written completely; an existing file survives any failure. Returns false with the reason in
    // *error (a text GBK cannot hold, a missing picture, a write failure, a store error).
    static bool write(const QString& path, QString* error);

    // True when the file exists, carries the magic and its checksum matches.
    static bool check(const QString& path);

    // Replaces the working template with the file's content and writes its picture to a new
    // picture file, whose path goes into "图象数据格式". A file that fails the check or whose
    // lengths and counts do not fit changes nothing; *error then holds invalidFileMessage().
    static bool read(const QString& path, QString* error);
};
