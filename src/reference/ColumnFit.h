#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Column widths of the record grids, from the widths of their texts. `rows` holds every row of the
// grid, header row first; `clientWidth` is the width the grid offers, which the last column fills
// when the columns need less.
namespace ColumnFit {

using TextWidth = std::function<int(const QString&)>;

// Managers and the query result: the widest text of a column + 12, then + pad (the width of "中国",
// or 0); one pixel per grid line is counted against the client width.
QList<int> managerWidths(const QList<QStringList>& rows, const TextWidth& width, int pad, int clientWidth);

// Selection dialog: the widest text of a column, at least two units (the width of "中"), + one unit.
QList<int> selectionWidths(const QList<QStringList>& rows, const TextWidth& width, int unit, int clientWidth);

} // namespace ColumnFit
