#pragma once

#include <QStyledItemDelegate>

#include <functional>

#include <QTableWidget>

// Draws the bill list: a header card in row 0, then one card with a round marker per bill.
class BillCardDelegate : public QStyledItemDelegate {
public:
    BillCardDelegate(QTableWidget* grid, std::function<QColor()> background, std::function<int()> selected)
        : QStyledItemDelegate(grid), m_grid(grid), m_background(std::move(background)),
          m_selected(std::move(selected)) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QTableWidget* m_grid;
    std::function<QColor()> m_background;
    std::function<int()> m_selected;
};
