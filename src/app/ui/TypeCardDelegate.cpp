#include "app/ui/TypeCardDelegate.h"

#include "app/ui/CardStyle.h"

#include <QPainter>

using namespace CardStyle;

void TypeCardDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QRect cell = option.rect;
    p->save();
    p->fillRect(cell, m_background());
    const bool hi = index.row() == m_highlighted();
    const QString text = index.data().toString();
    if (!text.isEmpty()) {
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(QPen(hi ? kHighlightPen : kPen, hi ? 2 : 1));
        p->setBrush(hi ? kHighlightFill : kFill);
        const int right = m_grid->viewport()->width() - 8;
        p->drawRoundedRect(QRect(QPoint(cell.left() + 8, cell.top() + 2), QPoint(right, cell.top() + 34)), 5,
                           5);
        p->setFont(cellFont(m_grid));
        p->setPen(hi ? QColor(Qt::blue) : QColor(Qt::black));
        const QFontMetrics fm(p->font());
        p->drawText(cell.left() + 32, cell.top() + (36 - fm.height()) / 2 + fm.ascent(), text);
    }
    p->restore();
}
