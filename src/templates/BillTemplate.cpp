#include "templates/BillTemplate.h"

#include <algorithm>

int BillTemplate::count() const {
    int n = 0;
    while (n < MaxItems && items[n].used)
        ++n;
    return n;
}

QStringList BillTemplate::names() const {
    QStringList list;
    for (int i = 0; i < MaxItems && items[i].used; ++i)
        list << items[i].name;
    return list;
}

int BillTemplate::indexOfName(const QString& name) const {
    for (int i = 0; i < MaxItems && items[i].used; ++i)
        if (items[i].name == name)
            return i;
    return -1;
}

int BillTemplate::append(const TemplateItem& item) {
    const int n = count();
    if (n >= MaxItems)
        return -1;
    items[n] = item;
    items[n].used = true;
    return n;
}

void BillTemplate::clearItems() {
    for (TemplateItem& item : items)
        item.clear();
    deletedKeys.clear();
}

void ForgetItemName(BillTemplate& tpl, const QString& name) {
    // Every text contains the empty text; an unnamed item is referred to by nothing.
    if (name.isEmpty())
        return;
    for (int i = 0; i < BillTemplate::MaxItems && tpl.items[i].used; ++i) {
        TemplateItem& item = tpl.items[i];
        if (item.relation.contains(name))
            item.relation = QStringLiteral("0");
        if (item.calcMethod.contains(name))
            item.calcMethod = QStringLiteral("0");
    }
}

void RemoveItem(BillTemplate& tpl, int index) {
    const int n = tpl.count();
    if (index < 0 || index >= n)
        return;
    ForgetItemName(tpl, tpl.items[index].name);
    if (tpl.items[index].key != -1)
        tpl.deletedKeys << tpl.items[index].key;
    for (int i = index; i + 1 < n; ++i)
        tpl.items[i] = tpl.items[i + 1];
    tpl.items[n - 1].clear();
}

void fitItemsToPage(BillTemplate& tpl, bool width, int size) {
    for (int i = 0; i < tpl.count(); ++i) {
        TemplateItem& it = tpl.items[i];
        if (width && it.left + it.width > size) {
            it.left = 0;
            it.width = std::max(0, size - 10);
        } else if (!width && it.top + it.height > size) {
            it.top = 0;
            it.height = std::max(0, size - 10);
        }
    }
}
