#pragma once

#include <QString>

#include <vector>

// Collects the cells of one sheet as a reader meets them, in any order, and tracks the used range.
// Cells are kept sparsely, so a single cell far down the sheet costs no more than one near the top;
// cells beyond the largest sheet a workbook can hold only widen the used range.
class SheetCells {
public:
    struct Cell {
        int row = 0;
        int column = 0;
        QString text;
    };

    // A .xlsx sheet holds at most this many rows and columns; nothing larger is taken.
    static constexpr qint64 kMaxRows = 1048576;
    static constexpr qint64 kMaxColumns = 16384;

    explicit SheetCells(const QString& name = QString()) : m_name(name) {}

    // 0-based row and column.
    void setText(qint64 row, qint64 column, const QString& text);
    // A cell that holds no value but counts as used (a formatted blank cell).
    void markUsed(qint64 row, qint64 column);

    bool isEmpty() const { return m_rowCount == 0; }
    const QString& name() const { return m_name; }
    qint64 rowCount() const { return m_rowCount; }
    qint64 columnCount() const { return m_columnCount; }
    bool beyondLimits() const { return m_rowCount > kMaxRows || m_columnCount > kMaxColumns; }

    // The cells ordered by row, then column; of two texts given for one cell the later one wins.
    std::vector<Cell> takeCells();

    static QString numberText(double value);
    static QString dateText(int year, int month, int day, int hour, int minute, double second);

private:
    QString m_name;
    qint64 m_rowCount = 0;
    qint64 m_columnCount = 0;
    std::vector<Cell> m_cells;
};
