#include "reference/ColumnFit.h"

#include <algorithm>

namespace ColumnFit {

namespace {
QList<int> widest(const QList<QStringList>& rows, const TextWidth& width) {
    qsizetype columns = 0;
    for (const QStringList& r : rows)
        columns = std::max(columns, r.size());
    QList<int> w(columns, 0);
    for (const QStringList& r : rows)
        for (qsizetype c = 0; c < r.size(); ++c)
            w[c] = std::max(w[c], width(r.at(c)));
    return w;
}

void fillClient(QList<int>& w, int total, int clientWidth) {
    if (!w.isEmpty() && total < clientWidth)
        w.last() += clientWidth - total;
}
} // namespace

QList<int> managerWidths(const QList<QStringList>& rows, const TextWidth& width, int pad, int clientWidth) {
    QList<int> w = widest(rows, width);
    int total = int(w.size()) + 1;
    for (int& c : w) {
        c += 12 + pad;
        total += c;
    }
    fillClient(w, total, clientWidth);
    return w;
}

QList<int> selectionWidths(const QList<QStringList>& rows, const TextWidth& width, int unit,
                           int clientWidth) {
    QList<int> w = widest(rows, width);
    int total = 0;
    for (int& c : w) {
        c = std::max(c, 2 * unit) + unit;
        total += c;
    }
    fillClient(w, total, clientWidth);
    return w;
}

} // namespace ColumnFit
