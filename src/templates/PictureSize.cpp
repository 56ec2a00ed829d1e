#include "templates/PictureSize.h"

#include "platform/RegularFile.h"
#include "templates/TemplateError.h"

#include <QFile>
#include <QtEndian>

#include <cstdlib>

namespace {

int be16(const QByteArray& d, qsizetype at) {
    return (uchar(d.at(at)) << 8) | uchar(d.at(at + 1));
}

PictureSize jpegSize(const QByteArray& d) {
    const qsizetype n = d.size();
    int unit = -1;
    int density = 0;
    qsizetype pos = 2;
    while (pos + 1 < n) {
        if (uchar(d.at(pos)) != 0xFF || uchar(d.at(pos + 1)) == 0xFF) {
            ++pos;
            continue;
        }
        const qsizetype m = pos + 1; // the marker type byte
        const uchar type = uchar(d.at(m));
        const qsizetype have = std::min<qsizetype>(20, n - m);
        const bool hasLength = have >= 3;
        if (type == 0xE0 && have >= 13 && d.mid(m + 3, 4) == "JFIF") {
            unit = uchar(d.at(m + 10));
            density = be16(d, m + 11);
        } else if (type >= 0xC0 && type <= 0xC3) {
            if (unit < 0 || have < 8 || density == 0)
                return {};
            const int height = be16(d, m + 4);
            const int width = be16(d, m + 6);
            if (unit == 1)
                return {width * 254 / density, height * 254 / density};
            if (unit == 2)
                return {width * 100 / density, height * 100 / density};
            return {};
        }
        if (!hasLength)
            return {};
        const qsizetype next = pos + 2 + be16(d, m + 1);
        if (next > n)
            return {};
        // A segment length below 2 would not move the scan forward.
        pos = std::max(next, pos + 2);
    }
    return {};
}

PictureSize bitmapSize(const QByteArray& d) {
    if (d.size() < 42)
        return {};
    const auto* p = reinterpret_cast<const uchar*>(d.constData());
    const qint64 ppm = qFromLittleEndian<qint32>(p + 38);
    const qint64 ppi = static_cast<qint64>(ppm * 0.0254);
    if (ppi <= 0)
        return {};
    // A bitmap stored top-down records a negative height.
    const qint64 w = std::llabs(qFromLittleEndian<qint32>(p + 18));
    const qint64 h = std::llabs(qFromLittleEndian<qint32>(p + 22));
    return {static_cast<int>(w * 254 / ppi), static_cast<int>(h * 254 / ppi)};
}

} // namespace

PictureSize ReadPictureSize(const QString& path) {
    QFile file;
    QString why;
    if (!RegularFile::open(file, path, &why))
        throw TemplateError(QStringLiteral("无法打开图片文件“%1”：%2").arg(path, why));
    const QByteArray head = file.peek(3);
    if (head.size() == 3 && uchar(head.at(0)) == 0xFF && uchar(head.at(1)) == 0xD8 &&
        uchar(head.at(2)) == 0xFF)
        return jpegSize(file.readAll());
    if (head.startsWith("BM"))
        return bitmapSize(file.read(64));
    return {};
}
