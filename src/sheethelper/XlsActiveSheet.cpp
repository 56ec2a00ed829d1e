#include "sheethelper/XlsActiveSheet.h"

#include <QList>

#include <optional>

namespace XlsActiveSheet {

namespace {
constexpr quint32 kEndOfChain = 0xFFFFFFFEu;
constexpr quint32 kFreeSector = 0xFFFFFFFFu;
constexpr qint64 kHeaderSize = 512;
constexpr qint64 kDirEntrySize = 128;

class Bytes {
public:
    explicit Bytes(const QByteArray& b) : m_b(b) {}
    qint64 size() const { return m_b.size(); }
    bool has(qint64 at, qint64 n) const { return at >= 0 && n >= 0 && at <= size() && n <= size() - at; }
    quint16 u16(qint64 at) const {
        const auto* p = reinterpret_cast<const uchar*>(m_b.constData()) + at;
        return quint16(p[0] | p[1] << 8);
    }
    quint32 u32(qint64 at) const {
        const auto* p = reinterpret_cast<const uchar*>(m_b.constData()) + at;
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    }
    QByteArray mid(qint64 at, qint64 n) const { return m_b.mid(at, n); }

private:
    const QByteArray& m_b;
};

// A compound file: sectors addressed through the allocation table, each chain followed at most as
// many steps as the file has sectors, so a looping chain ends.
class CompoundFile {
public:
    explicit CompoundFile(const QByteArray& b) : m_bytes(b) {}

    bool load() {
        static const char magic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
        if (!m_bytes.has(0, kHeaderSize) || m_bytes.mid(0, 8) != QByteArray::fromRawData(magic, 8))
            return false;
        const quint16 shift = m_bytes.u16(0x1E);
        const quint16 miniShift = m_bytes.u16(0x20);
        if ((shift != 9 && shift != 12) || miniShift != 6)
            return false;
        m_sectorSize = qint64(1) << shift;
        m_sectorCount = (m_bytes.size() - kHeaderSize + m_sectorSize - 1) / m_sectorSize;
        m_miniCutoff = m_bytes.u32(0x38);

        // The allocation table's own sectors: 109 in the header, the rest in a chain of DIFAT sectors.
        QList<quint32> fatSectors;
        const qint64 fatCount = m_bytes.u32(0x2C);
        if (fatCount > m_sectorCount)
            return false;
        for (qint64 i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
            fatSectors << m_bytes.u32(0x4C + 4 * i);
        quint32 difat = m_bytes.u32(0x44);
        for (qint64 steps = 0; fatSectors.size() < fatCount; ++steps) {
            if (steps > m_sectorCount || !inFile(difat))
                return false;
            const qint64 at = offsetOf(difat);
            const qint64 perSector = m_sectorSize / 4 - 1;
            for (qint64 i = 0; i < perSector && fatSectors.size() < fatCount; ++i)
                fatSectors << m_bytes.u32(at + 4 * i);
            difat = m_bytes.u32(at + 4 * perSector);
        }
        for (quint32 s : std::as_const(fatSectors)) {
            if (!inFile(s))
                return false;
            const qint64 at = offsetOf(s);
            for (qint64 i = 0; i < m_sectorSize / 4; ++i)
                m_fat << m_bytes.u32(at + 4 * i);
        }

        const auto directory = chain(m_bytes.u32(0x30), m_fat, false, -1);
        if (!directory)
            return false;
        m_directory = *directory;
        if (m_directory.size() < kDirEntrySize)
            return false;
        // The root entry owns the mini stream that holds the small streams.
        const Bytes dir(m_directory);
        if (uchar(m_directory.at(0x42)) != 5)
            return false;
        const auto miniStream = chain(dir.u32(0x74), m_fat, false, dir.u32(0x78));
        if (miniStream)
            m_miniStream = *miniStream;
        const quint32 miniFatStart = m_bytes.u32(0x3C);
        if (miniFatStart != kEndOfChain && miniFatStart != kFreeSector) {
            const auto miniFat = chain(miniFatStart, m_fat, false, -1);
            if (miniFat) {
                const Bytes mf(*miniFat);
                for (qint64 at = 0; at + 4 <= mf.size(); at += 4)
                    m_miniFat << mf.u32(at);
            }
        }
        return true;
    }

    // The stream of that name directly below the root, or nothing.
    std::optional<QByteArray> stream(const QString& name) const {
        const Bytes dir(m_directory);
        for (qint64 at = 0; at + kDirEntrySize <= dir.size(); at += kDirEntrySize) {
            const quint16 nameBytes = dir.u16(at + 0x40);
            if (uchar(m_directory.at(at + 0x42)) != 2 || nameBytes < 2 || nameBytes > 64)
                continue;
            QString entry;
            for (qint64 i = 0; i + 2 < nameBytes; i += 2)
                entry += QChar(dir.u16(at + i));
            if (entry.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            const qint64 size = dir.u32(at + 0x78);
            const quint32 start = dir.u32(at + 0x74);
            if (size < m_miniCutoff)
                return chain(start, m_miniFat, true, size);
            return chain(start, m_fat, false, size);
        }
        return std::nullopt;
    }

private:
    qint64 offsetOf(quint32 sector) const { return kHeaderSize + qint64(sector) * m_sectorSize; }
    bool inFile(quint32 sector) const { return qint64(sector) < m_sectorCount; }

    // The bytes of a chain, cut to size when size >= 0.
    std::optional<QByteArray> chain(quint32 start, const QList<quint32>& table, bool mini,
                                    qint64 size) const {
        const qint64 unit = mini ? 64 : m_sectorSize;
        const qint64 limit = mini ? m_miniStream.size() / 64 : m_sectorCount;
        if (size > limit * unit)
            return std::nullopt;
        QByteArray out;
        quint32 s = start;
        for (qint64 steps = 0; s != kEndOfChain; ++steps) {
            if (steps >= limit || qint64(s) >= limit || qint64(s) >= table.size())
                return std::nullopt;
            if (mini) {
                out += m_miniStream.mid(qint64(s) * 64, 64);
            } else {
                const qint64 at = offsetOf(s);
                out += m_bytes.mid(at, std::min(m_sectorSize, m_bytes.size() - at));
            }
            if (size >= 0 && out.size() >= size)
                break;
            s = table.at(s);
        }
        if (size >= 0) {
            if (out.size() < size)
                return std::nullopt;
            out.truncate(size);
        }
        return out;
    }

    Bytes m_bytes;
    qint64 m_sectorSize = 512;
    qint64 m_sectorCount = 0;
    qint64 m_miniCutoff = 4096;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QByteArray m_directory;
    QByteArray m_miniStream;
};

struct BoundSheet {
    QString name;
    bool worksheet = false;
};

// A BIFF8 short Unicode string (length, flags, then Latin-1 or UTF-16 characters); a BIFF5 name is
// in the workbook's code page and is left undecoded.
QString sheetName(const Bytes& record, qint64 at, qint64 end, bool biff8) {
    if (!biff8 || !record.has(at, 2) || at + 2 > end)
        return {};
    const qint64 count = uchar(record.mid(at, 1).at(0));
    const bool wide = (uchar(record.mid(at + 1, 1).at(0)) & 1) != 0;
    const qint64 bytes = wide ? count * 2 : count;
    if (at + 2 + bytes > end)
        return {};
    QString name;
    for (qint64 i = 0; i < count; ++i)
        name += wide ? QChar(record.u16(at + 2 + 2 * i)) : QChar(uchar(record.mid(at + 2 + i, 1).at(0)));
    return name;
}
} // namespace

Choice find(const QByteArray& bytes) {
    CompoundFile file(bytes);
    if (!file.load())
        return {};
    auto stream = file.stream(QStringLiteral("Workbook"));
    if (!stream)
        stream = file.stream(QStringLiteral("Book"));
    if (!stream)
        return {};

    const Bytes s(*stream);
    QList<BoundSheet> sheets;
    int selectedTab = -1;
    bool biff8 = false;
    for (qint64 at = 0; s.has(at, 4);) {
        const quint16 type = s.u16(at);
        const qint64 length = s.u16(at + 2);
        const qint64 data = at + 4;
        if (!s.has(data, length))
            break;
        if (type == 0x0809 && length >= 2 && at == 0) // BOF of the globals
            biff8 = s.u16(data) == 0x0600;
        else if (type == 0x0085 && length >= 6) // BOUNDSHEET
            sheets.append({sheetName(s, data + 6, data + length, biff8), uchar(stream->at(data + 5)) == 0});
        else if (type == 0x003D && length >= 12 && selectedTab < 0) // WINDOW1
            selectedTab = s.u16(data + 10);
        else if (type == 0x000A) // EOF of the globals
            break;
        at = data + length;
    }
    if (selectedTab < 0 || selectedTab >= sheets.size() || !sheets.at(selectedTab).worksheet)
        return {};
    Choice choice;
    choice.found = true;
    choice.name = sheets.at(selectedTab).name;
    choice.worksheetIndex = 0;
    for (int i = 0; i < selectedTab; ++i)
        choice.worksheetIndex += sheets.at(i).worksheet ? 1 : 0;
    return choice;
}

} // namespace XlsActiveSheet
