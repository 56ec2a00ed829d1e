#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QTableWidget>

// How the main window's two card lists look: the cards' colours, their font, and a one-column
// list without grid, selection or focus on which the cards are painted.
namespace CardStyle {
inline const int kCardLeft = 16; // left edge of the "开  票" button: the bill cards start there
inline const QColor kPen(89, 172, 255);
inline const QColor kFill(215, 232, 240);
inline const QColor kHighlightFill(150, 196, 218);
inline const QColor kHighlightPen(0, 0, 255);

inline QFont cellFont(const QWidget* w) {
    QFont f = w->font();
    f.setPointSize(10);
    return f;
}

// A one-column list whose rows are rowHeight pixels high, painted by a card delegate.
inline QTableWidget* makeList(QWidget* parent, int rowHeight) {
    auto* g = new QTableWidget(parent);
    // Hidden before the column is added: a visible header would measure its section in the bold
    // face, and loading that face costs the window's start several milliseconds.
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setColumnCount(1);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(rowHeight);
    g->setShowGrid(false);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setFocusPolicy(Qt::NoFocus);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setFrameShape(QFrame::NoFrame);
    return g;
}
} // namespace CardStyle
