#include "platform/FileErrors.h"

#include <QDir>
#include <QFileDevice>

#include <cerrno>

namespace {
QString causeOf(int err, const QString& systemText) {
    switch (err) {
    case ENOSPC:
        return QStringLiteral("磁盘空间不足");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("超出了磁盘配额");
#endif
    case EACCES:
    case EPERM:
        return QStringLiteral("没有访问权限");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case EIO:
        return QStringLiteral("读写磁盘时出错");
    case EFBIG:
        return QStringLiteral("文件太大");
    default:
        break;
    }
    if (systemText.isEmpty() || systemText == QLatin1String("Unknown error"))
        return QStringLiteral("未知错误（%1）").arg(err);
    return systemText;
}

QString nameOf(const QIODevice& device) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    return file ? file->fileName() : QString();
}
} // namespace

QString FileWriteFailure(const QString& path, int errnoValue, const QString& systemText) {
    return QStringLiteral("写入文件 %1 失败：%2")
        .arg(QDir::toNativeSeparators(path), causeOf(errnoValue, systemText));
}

QString FileReadFailure(const QString& path, int errnoValue, const QString& systemText) {
    return QStringLiteral("读取文件 %1 失败：%2")
        .arg(QDir::toNativeSeparators(path), causeOf(errnoValue, systemText));
}

QString DeviceWriteFailure(const QIODevice& device, int errnoValue) {
    return FileWriteFailure(nameOf(device), errnoValue, device.errorString());
}

QString DeviceReadFailure(const QIODevice& device, int errnoValue) {
    return FileReadFailure(nameOf(device), errnoValue, device.errorString());
}
