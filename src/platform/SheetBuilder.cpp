#include "platform/SheetBuilder.h"

#include <QDate>
#include <QTime>

#include <cmath>

void SheetBuilder::markUsed(int row, int column) {
    if (row < 0 || column < 0)
        return;
    m_sheet.rowCount = std::max(m_sheet.rowCount, row + 1);
    m_sheet.columnCount = std::max(m_sheet.columnCount, column + 1);
}

void SheetBuilder::setText(int row, int column, const QString& text) {
    if (row < 0 || column < 0)
        return;
    markUsed(row, column);
    if (m_sheet.rows.size() <= row)
        m_sheet.rows.resize(row + 1);
    QStringList& r = m_sheet.rows[row];
    if (r.size() <= column)
        r.resize(column + 1);
    r[column] = text;
}

QString SheetBuilder::numberText(double value) {
    if (std::isnan(value) || std::isinf(value))
        return {};
    // The shortest text that a spreadsheet's general format shows for the number.
    return QString::number(value, 'g', 15);
}

QString SheetBuilder::dateText(int year, int month, int day, int hour, int minute, double second) {
    const QDate date(year, month, day);
    const QString d = date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
    if (hour == 0 && minute == 0 && second == 0)
        return d;
    const QTime time(hour, minute, int(second));
    const QString t = time.isValid() ? time.toString(QStringLiteral("hh:mm:ss")) : QString();
    return d.isEmpty() ? t : d + QLatin1Char(' ') + t;
}
