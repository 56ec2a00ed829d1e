#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

int openForReading(const QString& path, QString* why) {
    // Non-blocking, so that a FIFO without a writer is opened at once (and then refused) instead of
    // waiting for one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (why)
            *why = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (why)
            *why = QStringLiteral("不是普通文件");
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool open(QFile& file, const QString& path, QString* why, QIODevice::OpenMode extraMode) {
    const int fd = openForReading(path, why);
    if (fd < 0)
        return false;
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly | extraMode, QFileDevice::AutoCloseHandle)) {
        if (why)
            *why = file.errorString();
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace RegularFile
