#pragma once

#include "templates/BillTemplate.h"
#include "templates/PageParameters.h"

#include <QList>
#include <QStringList>

// The bill being filled: the active items of its template (shown for input or printed), in
// template order, each with its value as stored (value formats by item type as the conversions
// expect them). The item's box holds its screen rectangle.
struct FilledBill {
    PageParameters page;
    QList<TemplateItem> items;
    QStringList values;

    int count() const { return int(items.size()); }
    // The first active item of that name, -1 when there is none.
    int indexOf(const QString& name) const;
    // The value of the first active item of that name, "" when there is none.
    QString valueOf(const QString& name) const;
};

// The first item shown for input whose screen rectangle holds the point (edges included), -1 when
// there is none.
int InputItemAt(const FilledBill& bill, int x, int y);

// How a value of an item is entered on the bill's picture.
enum class ItemEditor {
    Toggle,       // a click ticks or unticks it (check boxes)
    MonthDayTime, // its own small window
    DatePart,     // a number with arrows (year, month, day)
    Amount,       // a one-line field taking an amount
    Lookup,       // a text field whose Enter or button looks up a reference record
    Choice,       // a drop-down of the item kind's list, open for new entries
    Date,         // a calendar date
    Text,         // free text over one or more lines (digit grids and quantities end at Enter)
};
ItemEditor EditorFor(ItemType type);

// The screen rectangle of an item at p pixels per inch (integer division), one pixel out on the
// left and top where there is room.
PixelRect ScreenRect(const TemplateItem& item, int dpi);

// The active items of a template with empty values and their screen rectangles.
FilledBill ActiveItemsOf(const BillTemplate& tpl, int dpi);

// The working template as the bill filling window reads it: page row and active items.
FilledBill LoadWorkingBill(int dpi);
