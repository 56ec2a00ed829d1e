#pragma once

#include <QStyledItemDelegate>

#include <functional>

#include <QTableWidget>

// Draws a type-list card: rounded rectangle with the type name.
class TypeCardDelegate : public QStyledItemDelegate {
public:
    TypeCardDelegate(QTableWidget* grid, std::function<QColor()> background, std::function<int()> highlighted)
        : QStyledItemDelegate(grid), m_grid(grid), m_background(std::move(background)),
          m_highlighted(std::move(highlighted)) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QTableWidget* m_grid;
    std::function<QColor()> m_background;
    std::function<int()> m_highlighted;
};
