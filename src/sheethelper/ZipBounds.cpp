#include "sheethelper/ZipBounds.h"

namespace ZipBounds {

namespace {
// Deflate cannot expand by more than about 1032 to 1.
constexpr qint64 kMaxRatio = 1032;
constexpr qint64 kSlack = 64 * 1024;

quint32 u32(const QByteArray& b, qint64 at) {
    const auto* p = reinterpret_cast<const uchar*>(b.constData()) + at;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
quint16 u16(const QByteArray& b, qint64 at) {
    const auto* p = reinterpret_cast<const uchar*>(b.constData()) + at;
    return quint16(p[0] | p[1] << 8);
}
bool fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
}
bool plausible(qint64 compressed, qint64 uncompressed, quint16 method) {
    if (uncompressed > kMaxEntrySize)
        return false;
    if (method == 0)
        return uncompressed == compressed;
    return uncompressed <= compressed * kMaxRatio + kSlack;
}
} // namespace

bool check(const QByteArray& bytes, QString* why) {
    const qint64 size = bytes.size();
    constexpr qint64 kEnd = 22;
    if (size < kEnd)
        return fail(why, QStringLiteral("压缩目录缺失"));
    qint64 end = -1;
    for (qint64 at = size - kEnd; at >= 0 && at >= size - kEnd - 0xFFFF; --at) {
        if (u32(bytes, at) == 0x06054b50u) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return fail(why, QStringLiteral("压缩目录缺失"));
    const qint64 entries = u16(bytes, end + 10);
    const qint64 dirSize = u32(bytes, end + 12);
    const qint64 dirOffset = u32(bytes, end + 16);
    if (dirOffset + dirSize > end)
        return fail(why, QStringLiteral("压缩目录超出文件"));

    qint64 at = dirOffset;
    for (qint64 i = 0; i < entries; ++i) {
        constexpr qint64 kDirHeader = 46;
        if (at + kDirHeader > dirOffset + dirSize || u32(bytes, at) != 0x02014b50u)
            return fail(why, QStringLiteral("压缩目录损坏"));
        const quint16 method = u16(bytes, at + 10);
        const qint64 compressed = u32(bytes, at + 20);
        const qint64 uncompressed = u32(bytes, at + 24);
        const qint64 nameLength = u16(bytes, at + 28);
        const qint64 extraLength = u16(bytes, at + 30);
        const qint64 commentLength = u16(bytes, at + 32);
        const qint64 local = u32(bytes, at + 42);
        if (!plausible(compressed, uncompressed, method))
            return fail(why, QStringLiteral("压缩内容的长度不可信"));

        constexpr qint64 kLocalHeader = 30;
        if (local + kLocalHeader > dirOffset || u32(bytes, local) != 0x04034b50u)
            return fail(why, QStringLiteral("压缩内容损坏"));
        const quint16 localMethod = u16(bytes, local + 8);
        const qint64 localCompressed = u32(bytes, local + 18);
        const qint64 localUncompressed = u32(bytes, local + 22);
        const qint64 data = local + kLocalHeader + u16(bytes, local + 26) + u16(bytes, local + 28);
        // Sizes written after the data (bit 3) leave zeros in the local header.
        const bool trailingSizes = (u16(bytes, local + 6) & 0x8) != 0;
        if (!trailingSizes && !plausible(localCompressed, localUncompressed, localMethod))
            return fail(why, QStringLiteral("压缩内容的长度不可信"));
        if (data + compressed > dirOffset)
            return fail(why, QStringLiteral("压缩内容超出文件"));
        at += kDirHeader + nameLength + extraLength + commentLength;
    }
    return true;
}

} // namespace ZipBounds
