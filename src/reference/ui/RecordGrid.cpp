#include "reference/ui/RecordGrid.h"

#include "reference/ColumnFit.h"

#include <QHeaderView>
#include <QTableWidget>

namespace RecordGrid {

namespace {
const int kRowIdRole = Qt::UserRole + 1;
}

QTableWidget* create(QWidget* parent, int rowHeight, RecordGridDelegate::Style style, bool centredHeader) {
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(QStringLiteral("recordList"));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->horizontalHeader()->setDefaultAlignment(centredHeader ? Qt::AlignCenter
                                                                : Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setWordWrap(false);
    grid->setItemDelegate(new RecordGridDelegate(grid, style));
    return grid;
}

void setHeaders(QTableWidget* grid, const QStringList& headers) {
    grid->setColumnCount(int(headers.size()));
    grid->setHorizontalHeaderLabels(headers);
}

QStringList headers(const QTableWidget* grid) {
    QStringList out;
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem* item = grid->horizontalHeaderItem(c);
        out << (item ? item->text() : QString());
    }
    return out;
}

void setRecord(QTableWidget* grid, int row, const StoredRecord& record) {
    for (int c = 0; c < grid->columnCount(); ++c) {
        auto* item = new QTableWidgetItem(record.values.value(c));
        if (c == 0)
            item->setData(kRowIdRole, record.rowId);
        grid->setItem(row, c, item);
    }
}

void setEmptyRow(QTableWidget* grid) {
    grid->setRowCount(1);
    setRecord(grid, 0, StoredRecord{});
}

void setRecords(QTableWidget* grid, const QList<StoredRecord>& records) {
    if (records.isEmpty()) {
        setEmptyRow(grid);
        return;
    }
    grid->setRowCount(int(records.size()));
    for (int r = 0; r < records.size(); ++r)
        setRecord(grid, r, records.at(r));
}

QStringList rowTexts(const QTableWidget* grid, int row) {
    QStringList out;
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem* item = grid->item(row, c);
        out << (item ? item->text() : QString());
    }
    return out;
}

qint64 rowIdAt(const QTableWidget* grid, int row) {
    const QTableWidgetItem* item = grid->item(row, 0);
    if (row < 0 || !item)
        return -1;
    const QVariant id = item->data(kRowIdRole);
    return id.isValid() ? id.toLongLong() : -1;
}

QList<QStringList> allTexts(const QTableWidget* grid) {
    QList<QStringList> rows{headers(grid)};
    for (int r = 0; r < grid->rowCount(); ++r)
        rows << rowTexts(grid, r);
    for (QStringList& row : rows)
        for (QString& t : row)
            t = RecordGridDelegate::shown(t);
    return rows;
}

void fitColumns(QTableWidget* grid, int pad) {
    const QFontMetrics fm(grid->font());
    const QList<int> widths = ColumnFit::managerWidths(
        allTexts(grid), [&fm](const QString& s) { return fm.horizontalAdvance(s); }, pad,
        grid->viewport()->width());
    for (int c = 0; c < widths.size(); ++c)
        grid->setColumnWidth(c, widths.at(c));
}

int chinaPad(const QTableWidget* grid) {
    return QFontMetrics(grid->font()).horizontalAdvance(QStringLiteral("中国"));
}

} // namespace RecordGrid
