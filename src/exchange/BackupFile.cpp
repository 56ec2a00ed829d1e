#include "exchange/BackupFile.h"

#include "platform/FileErrors.h"
#include "platform/RegularFile.h"

#include <QFileDevice>
#include <QIODevice>
#include <QMutex>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {
constexpr qint64 kTagSize = 6;
constexpr qint64 kLengthSize = 4;
constexpr qint64 kChunk = 1 << 20;
} // namespace

QByteArray BackupFile::versionTag() {
    return QByteArrayLiteral("B0.002");
}

QByteArray BackupFile::encodeLength(quint32 length) {
    QByteArray b(kLengthSize, '\0');
    for (int i = 0; i < kLengthSize; ++i)
        b[i] = char((length >> (8 * i)) & 0xFF);
    return b;
}

void BackupFile::fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

BackupFile::BackupFile(const QString& path) {
    // Only a regular file: a FIFO would block the import for good.
    QString why;
    if (!RegularFile::open(m_file, path, &why, QIODevice::Unbuffered))
        fail(QStringLiteral("无法打开备份文件 %1：%2").arg(path, why));
    m_size = m_file.size();
    if (m_size >= kTagSize && m_file.read(kTagSize) == versionTag()) {
        m_format = Format::Current;
        if (m_size < kTagSize + kLengthSize)
            damaged(QStringLiteral("文件在数据库长度之前结束"));
        m_dbOffset = kTagSize + kLengthSize;
        m_dbLength = readLength(kTagSize);
        if (m_dbLength > m_size - m_dbOffset)
            damaged(QStringLiteral("数据库长度超出文件末尾"));
    } else {
        m_format = Format::Legacy;
        m_dbOffset = 0;
        m_dbLength = m_size;
    }
    if (m_dbLength == 0)
        damaged(QStringLiteral("其中没有数据库"));
}

void BackupFile::damaged(const QString& detail) const {
    fail(QStringLiteral("备份文件 %1 已损坏：%2").arg(m_file.fileName(), detail));
}

quint32 BackupFile::readLength(qint64 offset) {
    if (!m_file.seek(offset))
        damaged(m_file.errorString());
    const QByteArray b = m_file.read(kLengthSize);
    if (b.size() != kLengthSize)
        damaged(QStringLiteral("长度无法读取"));
    quint32 v = 0;
    for (int i = 0; i < kLengthSize; ++i)
        v |= quint32(uchar(b[i])) << (8 * i);
    return v;
}

void BackupFile::extractDatabase(const QString& target) {
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        fail(QStringLiteral("无法建立临时数据库 %1：%2").arg(target, out.errorString()));
    copyRange(m_file, m_dbOffset, out, 0, m_dbLength);
}

void BackupFile::indexPictures(int count) {
    m_pictures.clear();
    if (m_format == Format::Legacy)
        return;
    qint64 pos = m_dbOffset + m_dbLength;
    for (int i = 0; i < count; ++i) {
        if (m_size - pos < kLengthSize)
            damaged(QStringLiteral("第 %1 个图片记录缺失").arg(i + 1));
        const qint64 length = readLength(pos);
        pos += kLengthSize;
        if (length > m_size - pos)
            damaged(QStringLiteral("第 %1 个图片的长度超出文件末尾").arg(i + 1));
        m_pictures.append({pos, length});
        pos += length;
    }
    if (pos != m_size)
        damaged(QStringLiteral("图片记录之后还有多余的数据"));
}

qint64 BackupFile::pictureLength(int index) const {
    return index >= 0 && index < m_pictures.size() ? m_pictures.at(index).length : 0;
}

bool BackupFile::extractPicture(int index, const QString& target) {
    if (pictureLength(index) == 0)
        return false;
    writePictureAt(index, target);
    return true;
}

void BackupFile::writePictureAt(int index, const QString& target) const {
    const Record& r = m_pictures.at(index);
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        fail(QStringLiteral("无法建立图片文件 %1：%2").arg(target, out.errorString()));
    copyRange(m_file, r.offset, out, 0, r.length);
    // The disk starts on the picture now rather than all at once when the import syncs.
    ::sync_file_range(out.handle(), 0, r.length, SYNC_FILE_RANGE_WRITE);
}

void BackupFile::writeAt(QFileDevice& to, qint64 offset, const char* data, qint64 length) {
    while (length > 0) {
        errno = 0;
        const ssize_t n = ::pwrite(to.handle(), data, size_t(length), off_t(offset));
        if (n <= 0)
            fail(DeviceWriteFailure(to, n < 0 ? errno : ENOSPC));
        data += n;
        offset += n;
        length -= n;
    }
}

void BackupFile::copyRange(const QFileDevice& from, qint64 fromOffset, QFileDevice& to, qint64 toOffset,
                           qint64 length) {
    off_t in = fromOffset;
    off_t out = toOffset;
    bool inKernel = true;
    bool first = true;
    QByteArray buffer;
    while (length > 0) {
        errno = 0;
        ssize_t n = -1;
        if (inKernel) {
            n = ::copy_file_range(from.handle(), &in, to.handle(), &out, size_t(length), 0);
            if (n < 0 && first &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
            if (n < 0)
                fail(DeviceWriteFailure(to, errno));
        } else {
            buffer.resize(std::min(length, kChunk));
            n = ::pread(from.handle(), buffer.data(), size_t(buffer.size()), in);
            if (n < 0)
                fail(DeviceReadFailure(from, errno));
            writeAt(to, out, buffer.constData(), n);
            in += n;
            out += n;
        }
        if (n == 0)
            fail(DeviceReadFailure(from, 0));
        length -= n;
        first = false;
    }
}

void BackupFile::extractPictures(const QStringList& targets, const std::atomic_bool* stop) {
    std::atomic<qsizetype> next{0};
    QMutex failureLock;
    QString failure;
    const qsizetype count = std::min<qsizetype>(targets.size(), m_pictures.size());
    const auto work = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            if (stop && *stop)
                return;
            if (targets.at(i).isEmpty() || m_pictures.at(i).length == 0)
                continue;
            try {
                writePictureAt(int(i), targets.at(i));
            } catch (const std::runtime_error& e) {
                const QMutexLocker lock(&failureLock);
                if (failure.isEmpty())
                    failure = QString::fromUtf8(e.what());
                next = count;
                return;
            }
        }
    };
    // Copying is the kernel's work: a second thread keeps a second core busy with it.
    std::thread helper(work);
    work();
    helper.join();
    if (!failure.isEmpty())
        fail(failure);
}
