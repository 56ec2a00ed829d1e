#pragma once

#include "platform/SheetStream.h"

#include <QStringList>

#include <stdexcept>

// Receives a sheet as it is decoded: sheet() once, then row() for every row of the used range
// from the first to the last, empty rows included, each row's texts up to its last cell.
class SheetRowSink {
public:
    virtual ~SheetRowSink() = default;
    virtual void sheet(const QString& name, int rowCount, int columnCount) = 0;
    virtual void row(int index, const QStringList& cells) = 0;
};

// Decodes the helper's stream as its bytes arrive, holding at most one record. Nothing in the
// stream is trusted: a stream that breaks a rule, or reports a failure, throws Refused.
class SheetStreamDecoder {
public:
    class Refused : public std::runtime_error {
    public:
        Refused(SheetStream::FailureKind k, const QString& d)
            : std::runtime_error(d.toStdString()), kind(k), detail(d) {}
        SheetStream::FailureKind kind;
        QString detail;
    };

    explicit SheetStreamDecoder(SheetRowSink& sink) : m_sink(sink) {}

    void feed(const char* data, qsizetype size);
    // True once the whole sheet was delivered.
    bool finished() const { return m_finished; }

private:
    void decode(SheetStream::Tag tag, const QByteArray& payload);
    [[noreturn]] void broken(const QString& why) const;

    SheetRowSink& m_sink;
    QByteArray m_buffer;
    bool m_magicSeen = false;
    bool m_sheetSeen = false;
    bool m_finished = false;
    int m_rowCount = 0;
    int m_columnCount = 0;
    int m_nextRow = 0;
};
