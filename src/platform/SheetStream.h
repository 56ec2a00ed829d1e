#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// How the spreadsheet helper (tarvel-sheet) sends the cells of one sheet to the program over a
// pipe. The stream starts with kMagic; then come records, each a tag byte, the length of its
// payload (unsigned 32-bit little endian) and the payload:
//   Sheet:   row count, column count, sheet name
//   Row:     row index, cell count, then per cell its column and its text (rows ascending, only
//            rows holding a cell, columns ascending within a row)
//   End:     nothing; the sheet is complete
//   Failure: a FailureKind and a detail text; the workbook cannot be read
// Numbers are unsigned 32-bit little endian, texts a byte length and UTF-8. Every length and
// count is bounded below, so that the reader never holds more than one bounded record.
namespace SheetStream {

inline const QByteArray kMagic = QByteArrayLiteral("TVSHEET1");

// The largest sheet a workbook can hold.
constexpr qint64 kMaxRows = 1048576;
constexpr qint64 kMaxColumns = 16384;
// A cell holds at most 32767 characters, each at most 3 bytes of UTF-8.
constexpr qint64 kMaxTextBytes = 32767 * 3;
constexpr qint64 kMaxRecordBytes = qint64(64) * 1024 * 1024;

enum class Tag : char { Sheet = 'S', Row = 'R', End = 'E', Failure = 'F' };
enum class FailureKind : quint32 { Damaged = 1, BeyondLimits = 2, Encrypted = 3 };

struct Cell {
    int column = 0;
    QString text;
};

inline void appendNumber(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

inline void appendText(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    appendNumber(out, quint32(utf8.size()));
    out.append(utf8);
}

inline QByteArray record(Tag tag, const QByteArray& payload) {
    QByteArray out;
    out.append(char(tag));
    appendNumber(out, quint32(payload.size()));
    out.append(payload);
    return out;
}

inline QByteArray sheetRecord(const QString& name, quint32 rows, quint32 columns) {
    QByteArray p;
    appendNumber(p, rows);
    appendNumber(p, columns);
    appendText(p, name);
    return record(Tag::Sheet, p);
}

inline QByteArray rowRecord(quint32 row, const QList<Cell>& cells) {
    QByteArray p;
    appendNumber(p, row);
    appendNumber(p, quint32(cells.size()));
    for (const Cell& c : cells) {
        appendNumber(p, quint32(c.column));
        appendText(p, c.text);
    }
    return record(Tag::Row, p);
}

inline QByteArray endRecord() {
    return record(Tag::End, {});
}

inline QByteArray failureRecord(FailureKind kind, const QString& detail) {
    QByteArray p;
    appendNumber(p, quint32(kind));
    appendText(p, detail);
    return record(Tag::Failure, p);
}

} // namespace SheetStream
