#include "platform/SheetStreamDecoder.h"

namespace {
using SheetStream::FailureKind;
using SheetStream::Tag;

constexpr qint64 kRecordHead = 5;

quint32 numberAt(const QByteArray& b, qint64 at) {
    const auto* p = reinterpret_cast<const uchar*>(b.constData()) + at;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// Reads a payload field by field; running past its end is a broken stream.
class Payload {
public:
    explicit Payload(const QByteArray& b) : m_b(b) {}
    bool number(quint32* v) {
        if (m_b.size() - m_at < 4)
            return false;
        *v = numberAt(m_b, m_at);
        m_at += 4;
        return true;
    }
    bool text(QString* t, qint64 maxBytes) {
        quint32 n = 0;
        if (!number(&n) || n > maxBytes || n > quint64(m_b.size() - m_at))
            return false;
        *t = QString::fromUtf8(m_b.constData() + m_at, qsizetype(n));
        m_at += n;
        return true;
    }
    bool atEnd() const { return m_at == m_b.size(); }

private:
    const QByteArray& m_b;
    qint64 m_at = 0;
};
} // namespace

void SheetStreamDecoder::broken(const QString& why) const {
    throw Refused(FailureKind::Damaged, QStringLiteral("读取程序的输出不完整（%1）").arg(why));
}

void SheetStreamDecoder::feed(const char* data, qsizetype size) {
    m_buffer.append(data, size);
    if (!m_magicSeen) {
        const qint64 n = SheetStream::kMagic.size();
        if (m_buffer.size() < n) {
            if (!SheetStream::kMagic.startsWith(m_buffer))
                broken(QStringLiteral("开头不对"));
            return;
        }
        if (!m_buffer.startsWith(SheetStream::kMagic))
            broken(QStringLiteral("开头不对"));
        m_buffer.remove(0, n);
        m_magicSeen = true;
    }
    qint64 at = 0;
    while (m_buffer.size() - at >= kRecordHead) {
        if (m_finished)
            broken(QStringLiteral("结束后还有内容"));
        const qint64 length = numberAt(m_buffer, at + 1);
        if (length > SheetStream::kMaxRecordBytes)
            broken(QStringLiteral("记录过长"));
        if (m_buffer.size() - at - kRecordHead < length)
            break;
        decode(Tag(m_buffer.at(at)), m_buffer.mid(at + kRecordHead, length));
        at += kRecordHead + length;
    }
    m_buffer.remove(0, at);
}

void SheetStreamDecoder::decode(Tag tag, const QByteArray& payload) {
    Payload p(payload);
    switch (tag) {
    case Tag::Failure: {
        quint32 kind = 0;
        QString detail;
        if (!p.number(&kind) || !p.text(&detail, SheetStream::kMaxTextBytes))
            broken(QStringLiteral("失败记录不完整"));
        const auto k = FailureKind(kind);
        throw Refused(
            k == FailureKind::BeyondLimits || k == FailureKind::Encrypted ? k : FailureKind::Damaged, detail);
    }
    case Tag::Sheet: {
        quint32 rows = 0;
        quint32 columns = 0;
        QString name;
        if (m_sheetSeen || !p.number(&rows) || !p.number(&columns) ||
            !p.text(&name, SheetStream::kMaxTextBytes) || !p.atEnd())
            broken(QStringLiteral("工作表记录不对"));
        if (rows > SheetStream::kMaxRows || columns > SheetStream::kMaxColumns)
            throw Refused(FailureKind::BeyondLimits, QString());
        m_sheetSeen = true;
        m_rowCount = int(rows);
        m_columnCount = int(columns);
        m_sink.sheet(name, m_rowCount, m_columnCount);
        return;
    }
    case Tag::Row: {
        quint32 row = 0;
        quint32 count = 0;
        if (!m_sheetSeen || !p.number(&row) || !p.number(&count) || row < quint32(m_nextRow) ||
            row >= quint32(m_rowCount) || count > quint32(m_columnCount))
            broken(QStringLiteral("行记录不对"));
        QStringList cells;
        for (quint32 i = 0; i < count; ++i) {
            quint32 column = 0;
            QString text;
            if (!p.number(&column) || column < quint32(cells.size()) || column >= quint32(m_columnCount) ||
                !p.text(&text, SheetStream::kMaxTextBytes))
                broken(QStringLiteral("单元格记录不对"));
            while (cells.size() < qsizetype(column))
                cells.append(QString());
            cells.append(text);
        }
        if (!p.atEnd())
            broken(QStringLiteral("行记录不对"));
        while (m_nextRow < int(row))
            m_sink.row(m_nextRow++, {});
        m_sink.row(m_nextRow++, cells);
        return;
    }
    case Tag::End:
        if (!m_sheetSeen || !payload.isEmpty())
            broken(QStringLiteral("结束记录不对"));
        while (m_nextRow < m_rowCount)
            m_sink.row(m_nextRow++, {});
        m_finished = true;
        return;
    }
    broken(QStringLiteral("未知的记录"));
}
