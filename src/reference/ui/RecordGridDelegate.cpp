#include "reference/ui/RecordGridDelegate.h"

#include <QAbstractItemView>
#include <QPainter>

RecordGridDelegate::RecordGridDelegate(QObject* parent, Style style)
    : QStyledItemDelegate(parent), m_style(style) {}

QString RecordGridDelegate::shown(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return s;
}

void RecordGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QPalette& pal = option.palette;
    QColor background;
    QColor text;
    if (m_style == Style::Manager) {
        const bool selected = option.state & QStyle::State_Selected;
        background =
            selected ? pal.color(QPalette::Active, QPalette::Highlight) : pal.color(QPalette::Button);
        text = selected ? pal.color(QPalette::Active, QPalette::HighlightedText)
                        : pal.color(QPalette::ButtonText);
    } else {
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const bool current = view && view->currentIndex().row() == index.row();
        background = current ? pal.color(QPalette::Active, QPalette::Highlight) : QColor(Qt::white);
        text = current ? QColor(Qt::white) : QColor(Qt::black);
    }
    painter->save();
    painter->fillRect(option.rect, background);
    painter->setFont(option.font);
    painter->setPen(text);
    const QFontMetrics fm(option.font);
    const int y = option.rect.top() + (option.rect.height() - fm.height()) / 2 + fm.ascent();
    painter->drawText(option.rect.left() + 4, y, shown(index.data().toString()));
    painter->restore();
}
