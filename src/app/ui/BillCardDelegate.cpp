#include "app/ui/BillCardDelegate.h"

#include "app/ui/CardStyle.h"

#include <QPainter>

using namespace CardStyle;

void BillCardDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QRect cell = option.rect;
    const int c = kCardLeft;
    p->save();
    p->fillRect(cell, m_background());
    p->setFont(cellFont(m_grid));
    const QFontMetrics fm(p->font());
    const QString text = index.data().toString();
    if (index.row() == 0) {
        const QRect inner(QPoint(c + 2, cell.top() + 2), QPoint(cell.right() - 2, cell.bottom() - 2));
        p->fillRect(inner, kFill);
        if (!text.isEmpty()) {
            p->setPen(Qt::black);
            p->drawText(c + (inner.width() - fm.horizontalAdvance(text)) / 2,
                        inner.top() + (inner.height() - fm.height()) / 2 + fm.ascent(), text);
        }
    } else {
        const bool hi = index.row() == m_selected() + 1;
        const QColor pen = hi ? kHighlightPen : kPen;
        const QColor fill = hi ? kHighlightFill : kFill;
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(QPen(pen, hi ? 2 : 1));
        p->setBrush(fill);
        p->drawRoundedRect(QRect(QPoint(c + 2, cell.top() + 2), QPoint(cell.right() - 2, cell.bottom() - 2)),
                           5, 5);
        p->setPen(QPen(pen, 1));
        p->setBrush(Qt::white);
        p->drawEllipse(QRect(QPoint(c + 8, cell.top() + 8), QPoint(c + 24, cell.top() + 24)));
        if (hi) {
            p->setPen(Qt::blue);
            p->setBrush(Qt::blue);
            p->drawEllipse(QRect(QPoint(c + 14, cell.top() + 14), QPoint(c + 18, cell.top() + 18)));
        }
        p->setPen(hi ? QColor(Qt::blue) : QColor(Qt::black));
        p->drawText(c + 28, cell.top() + (cell.height() - fm.height()) / 2 + fm.ascent(), text);
    }
    p->restore();
}
