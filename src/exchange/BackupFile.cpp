#include "exchange/BackupFile.h"

#include "exchange/ContentChecksum.h"
#include "platform/FileErrors.h"
#include "platform/RegularFile.h"

#include <QFileDevice>
#include <QIODevice>
#include <QMutex>
#include <QStringList>

#include <cerrno>
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

namespace {
// Copies between two files inside the kernel, from their current positions, without taking the
// bytes through this program's memory. False when the files do not allow it (other file systems,
// pipes); then nothing was copied.
bool copyInKernel(QIODevice& from, QIODevice& to, qint64 length) {
    auto* in = qobject_cast<QFileDevice*>(&from);
    auto* out = qobject_cast<QFileDevice*>(&to);
    if (!in || !out || in->handle() < 0 || out->handle() < 0 || from.isSequential() || to.isSequential())
        return false;
    errno = 0;
    if (!out->flush())
        BackupFile::fail(DeviceWriteFailure(to, errno));
    // Explicit offsets: a buffered reader's descriptor may stand ahead of what it has handed out.
    off_t inOffset = in->pos();
    off_t outOffset = out->pos();
    qint64 left = length;
    bool first = true;
    while (left > 0) {
        const ssize_t n =
            ::copy_file_range(in->handle(), &inOffset, out->handle(), &outOffset, size_t(left), 0);
        if (n < 0 && first && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            return false;
        if (n < 0)
            BackupFile::fail(DeviceWriteFailure(to, errno));
        if (n == 0)
            BackupFile::fail(DeviceReadFailure(from, 0));
        left -= n;
        first = false;
    }
    if (!in->seek(in->pos() + length))
        BackupFile::fail(DeviceReadFailure(from, errno));
    if (!out->seek(out->pos() + length))
        BackupFile::fail(DeviceWriteFailure(to, errno));
    return true;
}
} // namespace

void BackupFile::copyBytes(QIODevice& from, QIODevice& to, qint64 length, ContentChecksum* sum) {
    // A sum needs the bytes in memory.
    if (!sum && copyInKernel(from, to, length))
        return;
    QByteArray buffer;
    while (length > 0) {
        errno = 0;
        buffer = from.read(std::min(length, kChunk));
        if (buffer.isEmpty())
            fail(DeviceReadFailure(from, errno));
        if (sum)
            sum->add(buffer);
        errno = 0;
        if (to.write(buffer) != buffer.size())
            fail(DeviceWriteFailure(to, errno));
        length -= buffer.size();
    }
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
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("无法建立临时数据库 %1：%2").arg(target, out.errorString()));
    if (!m_file.seek(m_dbOffset))
        damaged(m_file.errorString());
    copyBytes(m_file, out, m_dbLength);
    errno = 0;
    if (!out.flush())
        fail(DeviceWriteFailure(out, errno));
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
    off_t offset = r.offset;
    qint64 left = r.length;
    bool inKernel = true;
    QByteArray buffer;
    while (left > 0) {
        errno = 0;
        ssize_t n = -1;
        if (inKernel) {
            n = ::copy_file_range(m_file.handle(), &offset, out.handle(), nullptr, size_t(left), 0);
            if (n < 0 && left == r.length &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
            if (n < 0)
                fail(DeviceWriteFailure(out, errno));
        } else {
            buffer.resize(std::min(left, kChunk));
            n = ::pread(m_file.handle(), buffer.data(), size_t(buffer.size()), offset);
            if (n < 0)
                fail(DeviceReadFailure(m_file, errno));
            if (n > 0 && out.write(buffer.constData(), n) != n)
                fail(DeviceWriteFailure(out, errno));
            offset += n;
        }
        if (n == 0)
            fail(DeviceReadFailure(m_file, 0));
        left -= n;
    }
}

void BackupFile::extractPictures(const QStringList& targets) {
    std::atomic<qsizetype> next{0};
    QMutex failureLock;
    QString failure;
    const qsizetype count = std::min<qsizetype>(targets.size(), m_pictures.size());
    const auto work = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
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
