#pragma once

#include <QString>

class QIODevice;

// Why reading or writing a file failed, in the operator's words and naming the file: a full disk,
// missing rights, a read-only disk, a disk error; otherwise the system's own text. errnoValue is
// errno taken right after the failed call.
QString FileWriteFailure(const QString& path, int errnoValue, const QString& systemText);
QString FileReadFailure(const QString& path, int errnoValue, const QString& systemText);

// The same for a device: its file name when it is a file.
QString DeviceWriteFailure(const QIODevice& device, int errnoValue);
QString DeviceReadFailure(const QIODevice& device, int errnoValue);
