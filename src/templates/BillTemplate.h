#pragma once

#include "templates/PageParameters.h"
#include "templates/TemplateItem.h"

#include <QList>
#include <QStringList>

#include <array>

// A template in memory: the page parameters and an array of item slots, used slots first and
// contiguous, in list order (the order of the item table's rows when loaded, new items appended).
// The index of an item in the array is its index in the designer's name list.
class BillTemplate {
public:
    static constexpr int MaxItems = 500;

    PageParameters page;
    std::array<TemplateItem, MaxItems> items;
    // Keys of the items removed since the last save; their rows are deleted by the next save.
    QList<int> deletedKeys;

    // Number of used slots.
    int count() const;
    bool isFull() const { return count() >= MaxItems; }
    // Names of the used slots in array order.
    QStringList names() const;
    int indexOfName(const QString& name) const;
    // Puts the item into the next free slot (marking it used); returns its index, or -1 when all
    // slots are used.
    int append(const TemplateItem& item);
    // All slots free with key -1, and no deleted keys.
    void clearItems();
};

// Run when an item gets a new name (with its old name), is deleted, or changes its type: every
// relation and every calculation method that mentions the name anywhere, even inside a longer
// name, becomes "0", so that no formula or relation points at an item that is no longer there.
void ForgetItemName(BillTemplate& tpl, const QString& name);

// Removes the item at index: forgets its name, remembers its key for deletion when it has a row,
// and moves the following items one place forward.
void RemoveItem(BillTemplate& tpl, int index);

// After the bill's width (or length) shrank to size: an item reaching beyond it moves to the
// left (top) edge with a width (height) 1 mm short of the bill.
void fitItemsToPage(BillTemplate& tpl, bool width, int size);
