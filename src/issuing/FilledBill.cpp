#include "issuing/FilledBill.h"

#include "store/BillStore.h"
#include "store/Database.h"
#include "templates/TemplateStore.h"

#include <memory>

int FilledBill::indexOf(const QString& name) const {
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).name == name)
            return i;
    return -1;
}

QString FilledBill::valueOf(const QString& name) const {
    const int i = indexOf(name);
    return i < 0 ? QString() : values.at(i);
}

int InputItemAt(const FilledBill& bill, int x, int y) {
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& it = bill.items.at(i);
        const PixelRect& b = it.box;
        if (it.showInput && x >= b.left && x <= b.right && y >= b.top && y <= b.bottom)
            return i;
    }
    return -1;
}

ItemEditor EditorFor(ItemType type) {
    switch (type) {
    case ItemType::CheckBox:
        return ItemEditor::Toggle;
    case ItemType::MonthDayTime:
        return ItemEditor::MonthDayTime;
    case ItemType::YearCapital:
    case ItemType::Year:
    case ItemType::MonthCapital:
    case ItemType::Month:
    case ItemType::DayCapital:
    case ItemType::Day:
        return ItemEditor::DatePart;
    case ItemType::AmountCapital:
    case ItemType::AmountFigures:
    case ItemType::AmountGrid:
        return ItemEditor::Amount;
    case ItemType::BusinessUnit:
    case ItemType::OwnUnit:
    case ItemType::Purpose:
    case ItemType::Contact:
        return ItemEditor::Lookup;
    case ItemType::BillKind:
    case ItemType::ReturnReason:
    case ItemType::Handler:
    case ItemType::Telephone:
        return ItemEditor::Choice;
    case ItemType::YearMonthDay:
        return ItemEditor::Date;
    default:
        return ItemEditor::Text;
    }
}

PixelRect ScreenRect(const TemplateItem& item, int dpi) {
    PixelRect r;
    const int left = dpi * item.left / 254;
    const int top = dpi * item.top / 254;
    r.right = dpi * item.width / 254 + left + 1;
    r.bottom = dpi * item.height / 254 + top + 1;
    r.left = left > 0 ? left - 1 : left;
    r.top = top > 0 ? top - 1 : top;
    return r;
}

FilledBill ActiveItemsOf(const BillTemplate& tpl, int dpi) {
    FilledBill bill;
    bill.page = tpl.page;
    for (int i = 0; i < BillTemplate::MaxItems && tpl.items[i].used; ++i) {
        const TemplateItem& item = tpl.items[i];
        if (!item.showInput && !item.printed)
            continue;
        bill.items << item;
        bill.items.back().box = ScreenRect(item, dpi);
        bill.values << QString();
    }
    return bill;
}

FilledBill LoadWorkingBill(int dpi) {
    const QSqlDatabase def = Database::get(Db::Define);
    // The item array is large; keep it off the stack.
    auto tpl = std::make_unique<BillTemplate>();
    tpl->page = readPageRow(def, BillStore::workingPageTable());
    LoadTemplateItems(def, BillStore::workingItemTable(), *tpl);
    return ActiveItemsOf(*tpl, dpi);
}
