#include "issuing/ItemValueRules.h"

#include "issuing/CalcMethod.h"
#include "issuing/OtherContent.h"

#include <QDate>

namespace {
const QChar kDash = QLatin1Char('-');

// The relation's part before the first "-", or nothing when it has no "-".
bool splitRelation(const QString& relation, QString* before, QString* after) {
    const int dash = relation.indexOf(kDash);
    if (dash < 0)
        return false;
    if (before)
        *before = relation.left(dash);
    if (after)
        *after = relation.mid(dash + 1);
    return true;
}

void mirrorTo(FilledBill& bill, const QString& name, const QString& text) {
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& it = bill.items.at(i);
        if (it.printed && it.relation == name)
            bill.values[i] = text;
    }
}

bool recalculates(ItemType t) {
    return ItemTypes::isAmount(t) || t == ItemType::DigitGrid || t == ItemType::Quantity;
}

QString dropLeadingZeros(const QString& s) {
    int i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char('0'))
        ++i;
    return s.mid(i);
}

int number(const QString& s, bool* ok) {
    return s.trimmed().toInt(ok);
}

// The first input item whose year relation ("month-day") names the item after or before "-".
int yearItemFor(const FilledBill& bill, const QString& name, bool dayPart) {
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& it = bill.items.at(i);
        QString before, after;
        if (it.showInput && splitRelation(it.relation, &before, &after) && (dayPart ? after : before) == name)
            return i;
    }
    return -1;
}

int daysOf(const FilledBill& bill, int yearItem) {
    if (yearItem < 0)
        return 31;
    QString monthName;
    splitRelation(bill.items.at(yearItem).relation, &monthName, nullptr);
    const int month = bill.indexOf(monthName);
    if (month < 0)
        return 31;
    bool okMonth = false, okYear = false;
    const int m = number(bill.values.at(month), &okMonth);
    const int y = number(bill.values.at(yearItem), &okYear);
    if (!okMonth || !okYear)
        return 31;
    switch (m) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return QDate::isLeapYear(y) ? 29 : 28;
    default:
        return 31;
    }
}

QString padded(const QString& text) {
    return text.size() == 1 ? QLatin1Char('0') + text : text;
}
} // namespace

void MirrorValue(FilledBill& bill, int item, const QString& text) {
    mirrorTo(bill, bill.items.at(item).name, text);
}

void ApplyLookup(FilledBill& bill, int item, const QStringList& values, const QStringList& names) {
    const TemplateItem& lookup = bill.items.at(item);
    auto field = [&](const QString& name, QString* value) {
        const int f = names.indexOf(name);
        if (f < 0)
            return false;
        *value = values.value(f);
        return true;
    };

    if (lookup.relation.isEmpty())
        bill.values[item] = values.value(0);
    else
        field(lookup.relation, &bill.values[item]);
    const QString lookupValue = bill.values.at(item);

    QList<int> changed;
    for (int n = 0; n < bill.count(); ++n) {
        const QString& relation = bill.items.at(n).relation;
        if (n == item || relation.isEmpty())
            continue;
        QString before, after;
        if (!splitRelation(relation, &before, &after)) {
            if (relation == lookup.name) {
                bill.values[n] = lookupValue;
                changed << n;
            }
        } else if (before == lookup.name && field(after, &bill.values[n])) {
            changed << n;
        }
    }
    for (int n : std::as_const(changed))
        mirrorTo(bill, bill.items.at(n).name, bill.values.at(n));
}

void KeepTypedLookupText(FilledBill& bill, int item, const QString& text) {
    bill.values[item] = text;
    const TemplateItem& lookup = bill.items.at(item);
    if (lookup.type == ItemType::Purpose)
        return;
    for (int n = 0; n < bill.count(); ++n)
        if (bill.items.at(n).relation == lookup.name)
            bill.values[n] = text;
}

void ToggleCheckBox(FilledBill& bill, int item) {
    const TemplateItem& box = bill.items.at(item);
    if (bill.values.at(item).isEmpty()) {
        for (int i = 0; i < bill.count(); ++i) {
            const TemplateItem& other = bill.items.at(i);
            if (other.type == ItemType::CheckBox && other.interlockGroup == box.interlockGroup) {
                bill.values[i].clear();
                mirrorTo(bill, other.name, QString());
            }
        }
        bill.values[item] = QStringLiteral("√");
    } else {
        bill.values[item].clear();
    }
    mirrorTo(bill, box.name, bill.values.at(item));
}

int DaysInRelatedMonth(const FilledBill& bill, int dayItem) {
    return daysOf(bill, yearItemFor(bill, bill.items.at(dayItem).name, true));
}

void CheckMonthDays(FilledBill& bill, int monthItem) {
    const int year = yearItemFor(bill, bill.items.at(monthItem).name, false);
    if (year < 0)
        return;
    QString dayName;
    splitRelation(bill.items.at(year).relation, nullptr, &dayName);
    const int day = bill.indexOf(dayName);
    if (day < 0)
        return;
    bool ok = false;
    const int d = number(bill.values.at(day), &ok);
    if (ok && d > daysOf(bill, year)) {
        bill.values[day] = QStringLiteral("01");
        mirrorTo(bill, dayName, bill.values.at(day));
    }
}

void Recalculate(FilledBill& bill, int changedItem) {
    // Every pass evaluates every item with a method, whatever was stored: a value typed over a
    // computed one, or one that a pass left unchanged, must not keep a method item stale. The
    // passes go on while they change something.
    Q_UNUSED(changedItem);
    const int maxPasses = std::max(1, bill.count());
    bool changedAny = true;
    for (int pass = 0; pass < maxPasses && changedAny; ++pass) {
        changedAny = false;
        QList<int> recomputed;
        for (int i = 0; i < bill.count(); ++i) {
            const TemplateItem& it = bill.items.at(i);
            if (it.calcMethod.isEmpty() || !recalculates(it.type))
                continue;
            Decimal total;
            try {
                total =
                    EvaluateMethod(it.calcMethod, [&](const QString& name) { return bill.valueOf(name); });
            } catch (const CalculationError& e) {
                throw CalculationError(
                    QStringLiteral("子项“%1”的计算方法无法计算：%2").arg(it.name, e.message()));
            }
            const std::optional<QString> text = MethodResultText(total, it.type);
            if (!text)
                throw CalculationError(
                    QStringLiteral(
                        "子项“%1”的计算方法得出 %2，不能作为%3保存（不能为负数%4），该项保持原值。")
                        .arg(it.name, total.toString(),
                             ItemTypes::isAmount(it.type) ? QStringLiteral("金额") : QStringLiteral("数字"),
                             ItemTypes::isAmount(it.type) ? QStringLiteral("，整数部分最多 11 位")
                                                          : QString()));
            if (bill.values.at(i) != *text)
                changedAny = true;
            bill.values[i] = *text;
            recomputed << i;
        }
        for (int i : std::as_const(recomputed))
            mirrorTo(bill, bill.items.at(i).name, bill.values.at(i));
    }
}

namespace {
void saveListEntry(ItemType type, const QString& text) {
    const QString column = OtherContent::column(type);
    if (!column.isEmpty() && !text.isEmpty() && !OtherContent::contains(GetOtherContentList(type), text))
        AddOtherContentEntry(type, text);
}
} // namespace

void SaveNewListEntries(const FilledBill& bill) {
    for (int i = 0; i < bill.count(); ++i)
        saveListEntry(bill.items.at(i).type, bill.values.at(i));
}

void StoreItemValue(FilledBill& bill, int item, const QString& text, NewListEntries lists) {
    const ItemType type = bill.items.at(item).type;
    QString mirror = text;
    try {
        if (ItemTypes::isMonth(type)) {
            mirror = padded(text);
            bill.values[item] = mirror;
            CheckMonthDays(bill, item);
        } else if (ItemTypes::isDay(type)) {
            mirror = padded(text);
            bill.values[item] = mirror;
        } else if (ItemTypes::isAmount(type)) {
            bill.values[item] = dropLeadingZeros(text).trimmed();
            Recalculate(bill, item);
        } else if (type == ItemType::DigitGrid || type == ItemType::Quantity) {
            bill.values[item] = text.trimmed();
            Recalculate(bill, item);
        } else {
            bill.values[item] = text;
            if (lists == NewListEntries::Save)
                saveListEntry(type, text);
        }
    } catch (const CalculationError&) {
        MirrorValue(bill, item, mirror);
        throw;
    }
    MirrorValue(bill, item, mirror);
}

void SetDefaultValues(FilledBill& bill, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    for (int i = 0; i < bill.count(); ++i) {
        const ItemType type = bill.items.at(i).type;
        QString& v = bill.values[i];
        if (ItemTypes::isYear(type))
            v = QString::number(d.year());
        else if (ItemTypes::isMonth(type))
            v = two(d.month());
        else if (ItemTypes::isDay(type))
            v = two(d.day());
        else if (type == ItemType::MonthDayTime)
            v = two(d.month()) + two(d.day()) + two(t.hour()) + two(t.minute());
        else if (type == ItemType::YearMonthDay)
            v = two(d.year() % 100) + two(d.month()) + two(d.day());
        else
            v.clear();
    }
}
