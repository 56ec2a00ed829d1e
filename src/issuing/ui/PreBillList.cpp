#include "issuing/ui/PreBillList.h"

#include "issuing/BillInFilling.h"
#include "issuing/Conversion.h"
#include "issuing/PreBillTable.h"
#include "platform/ui/Prompter.h"

#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {
constexpr int kRowHeight = 18;

// Cells of the pre-bill list: the header row and the number column on the window's colour, the
// selected pre-bill in the inactive caption's colours, the others black on white.
class PreBillDelegate : public QStyledItemDelegate {
public:
    explicit PreBillDelegate(QTableWidget* grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString text = index.data().toString();
        const bool fixed = index.row() == 0 || index.column() == 0;
        const bool selected = !fixed && index.row() == m_grid->currentRow();
        const QPalette& pal = option.palette;
        QColor fill = Qt::white;
        QColor ink = Qt::black;
        if (fixed) {
            fill = pal.color(QPalette::Window);
            ink = pal.color(QPalette::WindowText);
        } else if (selected) {
            fill = pal.color(QPalette::Inactive, QPalette::Highlight);
            ink = Qt::white;
        }
        painter->save();
        painter->fillRect(option.rect, fill);
        painter->setPen(ink);
        const QRect r = option.rect.adjusted(2, 0, -2, 0);
        painter->drawText(r, Qt::AlignVCenter | (fixed ? Qt::AlignHCenter : Qt::AlignLeft), text);
        painter->restore();
    }

private:
    QTableWidget* m_grid;
};
} // namespace

PreBillList::PreBillList(QWidget* window, const BillInFilling& filling)
    : QTableWidget(window), m_window(window), m_filling(filling) {
    setObjectName(QStringLiteral("preBillList"));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new PreBillDelegate(this));
    setMinimumHeight(5 * kRowHeight);
    // The picture takes the room the window has beyond the list's.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // The header row stays where it is.
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column, int oldRow, int) {
        if (row == 0 && rowCount() > 1)
            setCurrentCell(oldRow > 0 ? oldRow : 1, column);
        viewport()->update();
    });

    preBillMenu = new QMenu(this);
    choosePreBillAction = preBillMenu->addAction(QStringLiteral("选择预开票"));
    preBillMenu->addSeparator();
    deletePreBillAction =
        preBillMenu->addAction(QStringLiteral("删除预开票"), this, &PreBillList::deleteSelected);
    clearPreBillsAction = preBillMenu->addAction(QStringLiteral("清空预开票"), this, &PreBillList::clearAll);
}

QString PreBillList::table() const {
    return m_filling.entry.preBillTable;
}

void PreBillList::mouseDoubleClickEvent(QMouseEvent*) {
    emit menuAsked();
}

void PreBillList::showColumns() {
    const FilledBill& bill = m_filling.bill;
    clear();
    setColumnCount(bill.count() + 1);
    setRowCount(2);
    setItem(0, 0, new QTableWidgetItem(QStringLiteral("序号")));
    for (int i = 0; i < bill.count(); ++i)
        setItem(0, i + 1, new QTableWidgetItem(bill.items.at(i).name));
}

void PreBillList::setRowTexts(int row, int number, int currency,
                              const std::function<QString(const QString&)>& valueOf) {
    setItem(row, 0, new QTableWidgetItem(QString::number(number)));
    const FilledBill& bill = m_filling.bill;
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& it = bill.items.at(i);
        setItem(row, i + 1,
                new QTableWidgetItem(FormatListValue(ValueList::PreBills, it.type, valueOf(it.name),
                                                     it.printSuffix, currency, m_filling.currencyShown())));
    }
}

void PreBillList::fill() {
    setRowCount(1);
    setRowCount(2);
    m_count = 0;
    const QList<PreBill> list = PreBillTable(table()).renumberAndRead();
    for (const PreBill& p : list) {
        const int row = m_count + 1;
        if (row >= rowCount())
            setRowCount(row + 1);
        setRowTexts(row, p.number, p.currency, [&p](const QString& name) { return p.values.value(name); });
        ++m_count;
    }
    setCurrentCell(1, 0);
    sizeColumns();
}

void PreBillList::sizeColumns() {
    const QFontMetrics fm(font());
    const int u = fm.horizontalAdvance(QStringLiteral("中"));
    int total = 0;
    for (int c = 0; c < columnCount(); ++c) {
        int widest = 2 * u;
        for (int r = 0; r < rowCount(); ++r)
            if (const QTableWidgetItem* cell = item(r, c))
                widest = std::max(widest, fm.horizontalAdvance(cell->text()));
        setColumnWidth(c, widest + u);
        total += widest + u;
    }
    const int room = viewport()->width();
    const int last = columnCount() - 1;
    if (last >= 0 && total < room)
        setColumnWidth(last, columnWidth(last) + room - total);
}

void PreBillList::keepBill() {
    guarded(m_window, [this] {
        const int number = nextNumber();
        PreBillTable(table()).append(number, m_filling.currency, m_filling.bill);
        const int row = m_count + 1;
        if (row >= rowCount())
            setRowCount(row + 1);
        setRowTexts(row, number, m_filling.currency,
                    [this](const QString& name) { return m_filling.bill.valueOf(name); });
        setCurrentCell(row, 0);
        sizeColumns();
        ++m_count;
    });
}

int PreBillList::selectedNumber() const {
    const int row = currentRow();
    const QTableWidgetItem* cell = row > 0 ? item(row, 0) : nullptr;
    return cell ? cell->text().toInt() : 0;
}

void PreBillList::deleteSelected() {
    if (m_count == 0)
        return;
    const int number = selectedNumber();
    if (!Prompter::instance().question(m_window, QStringLiteral("确定要删除序号 ") + QString::number(number) +
                                                     QStringLiteral("  的预开票吗 ？")))
        return;
    guarded(m_window, [&] {
        PreBillTable(table()).remove(number);
        fill();
    });
}

void PreBillList::clearAll() {
    if (m_count == 0)
        return;
    if (!Prompter::instance().question(m_window, QStringLiteral("确定要清空预开票吗 ？")))
        return;
    guarded(m_window, [this] {
        PreBillTable(table()).clear();
        fill();
    });
}
