#pragma once

#include <QStyledItemDelegate>

// Draws the cells of the record grids: the cell filled first, then its text 4 pixels from the left
// edge and centred vertically, on one line.
class RecordGridDelegate : public QStyledItemDelegate {
public:
    enum class Style {
        Manager,   // selected rows in the selection colours, others on the button face
        Selection, // the current row in the active title colours, others black on white
    };
    RecordGridDelegate(QObject* parent, Style style);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // A cell text as the grid shows it: line breaks become blanks.
    static QString shown(const QString& text);

private:
    Style m_style;
};
