#include "sheethelper/SheetCells.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cmath>

void SheetCells::markUsed(qint64 row, qint64 column) {
    if (row < 0 || column < 0)
        return;
    m_rowCount = std::max(m_rowCount, row + 1);
    m_columnCount = std::max(m_columnCount, column + 1);
}

void SheetCells::setText(qint64 row, qint64 column, const QString& text) {
    if (row < 0 || column < 0)
        return;
    markUsed(row, column);
    if (row >= kMaxRows || column >= kMaxColumns)
        return; // the sheet is refused as a whole
    m_cells.push_back({int(row), int(column), text});
}

std::vector<SheetCells::Cell> SheetCells::takeCells() {
    std::stable_sort(m_cells.begin(), m_cells.end(), [](const Cell& a, const Cell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    std::vector<Cell> out;
    out.reserve(m_cells.size());
    for (Cell& c : m_cells) {
        if (!out.empty() && out.back().row == c.row && out.back().column == c.column)
            out.back().text = std::move(c.text);
        else
            out.push_back(std::move(c));
    }
    m_cells.clear();
    return out;
}

QString SheetCells::numberText(double value) {
    if (std::isnan(value) || std::isinf(value))
        return {};
    // The shortest text that a spreadsheet's general format shows for the number.
    return QString::number(value, 'g', 15);
}

QString SheetCells::dateText(int year, int month, int day, int hour, int minute, double second) {
    const QDate date(year, month, day);
    const QString d = date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
    if (hour == 0 && minute == 0 && second == 0)
        return d;
    const QTime time(hour, minute, int(second));
    const QString t = time.isValid() ? time.toString(QStringLiteral("hh:mm:ss")) : QString();
    return d.isEmpty() ? t : d + QLatin1Char(' ') + t;
}
