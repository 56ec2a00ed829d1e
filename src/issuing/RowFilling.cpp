#include "issuing/RowFilling.h"

#include "issuing/CalcMethod.h"
#include "issuing/Conversion.h"
#include "issuing/CurrencyTable.h"
#include "issuing/ItemValueRules.h"
#include "issuing/PrintRecords.h"
#include "issuing/TypedValue.h"
#include "reference/RecordSearch.h"

#include <QDate>

namespace {

const QString kTick = QStringLiteral("√");

// Check boxes: what a data file may write for a ticked and for an empty box.
std::optional<bool> tickOf(const QString& text) {
    static const QStringList on{kTick,
                                QStringLiteral("1"),
                                QStringLiteral("是"),
                                QStringLiteral("y"),
                                QStringLiteral("yes"),
                                QStringLiteral("true")};
    static const QStringList off{QStringLiteral("0"), QStringLiteral("否"), QStringLiteral("n"),
                                 QStringLiteral("no"), QStringLiteral("false")};
    const QString t = text.trimmed().toLower();
    if (on.contains(t))
        return true;
    if (off.contains(t))
        return false;
    return std::nullopt;
}

std::optional<RecordSearch::Kind> lookupKind(ItemType type) {
    switch (type) {
    case ItemType::BusinessUnit:
        return RecordSearch::Kind::BusinessUnit;
    case ItemType::OwnUnit:
        return RecordSearch::Kind::OwnAccount;
    case ItemType::Purpose:
        return RecordSearch::Kind::Purpose;
    case ItemType::Contact:
        return RecordSearch::Kind::Contact;
    default:
        return std::nullopt;
    }
}

// A date cell of a spreadsheet may come as 2026-03-08; the 年月日 item holds 260308.
QString yearMonthDayOf(const QString& text) {
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? date.toString(QStringLiteral("yyMMdd")) : text;
}

// Stores one value into item i as its editor would, or says why the editor would not take it.
std::optional<QString> enterValue(FilledBill& bill, int i, const QString& cell) {
    const ItemType type = bill.items.at(i).type;
    const QString text = cell.trimmed();
    if (ItemTypes::isYear(type)) {
        if (!TypedValue::isNumberWithin(text, 1990, 9999))
            return QStringLiteral("年份“%1”应为 1990 到 9999 之间的数字").arg(text);
        StoreItemValue(bill, i, QString::number(text.toInt()), NewListEntries::Leave);
    } else if (ItemTypes::isMonth(type)) {
        if (!TypedValue::isNumberWithin(text, 1, 12))
            return QStringLiteral("月份“%1”应为 1 到 12 之间的数字").arg(text);
        StoreItemValue(bill, i, QString::number(text.toInt()), NewListEntries::Leave);
    } else if (ItemTypes::isDay(type)) {
        const int days = DaysInRelatedMonth(bill, i);
        if (!TypedValue::isNumberWithin(text, 1, days))
            return QStringLiteral("日“%1”应为 1 到 %2 之间的数字").arg(text).arg(days);
        StoreItemValue(bill, i, QString::number(text.toInt()), NewListEntries::Leave);
    } else if (ItemTypes::isAmount(type)) {
        if (!TypedValue::isAmountText(text))
            return QStringLiteral("“%1”不是金额（只能是数字和一个小数点，整数最多 11 位，小数最多 2 位）")
                .arg(text);
        StoreItemValue(bill, i, text, NewListEntries::Leave);
    } else if (type == ItemType::DigitGrid) {
        if (!TypedValue::isDigitText(text))
            return QStringLiteral("“%1”只能由数字组成").arg(text);
        StoreItemValue(bill, i, text, NewListEntries::Leave);
    } else if (type == ItemType::Quantity) {
        if (!TypedValue::isQuantityText(text))
            return QStringLiteral("“%1”不是数量（只能是数字和一个小数点）").arg(text);
        StoreItemValue(bill, i, text, NewListEntries::Leave);
    } else if (type == ItemType::CheckBox) {
        const std::optional<bool> tick = tickOf(text);
        if (!tick)
            return QStringLiteral("“%1”不是检查框的值（√、1、是 或 0、否）").arg(text);
        if (*tick == bill.values.at(i).isEmpty())
            ToggleCheckBox(bill, i);
    } else if (type == ItemType::MonthDayTime) {
        if (!TypedValue::isMonthDayTime(text))
            return QStringLiteral("“%1”不是月日时分（8 位数字 MMDDhhmm）").arg(text);
        StoreItemValue(bill, i, text, NewListEntries::Leave);
    } else if (type == ItemType::YearMonthDay) {
        const QString value = yearMonthDayOf(text);
        if (!TypedValue::isYearMonthDay(value))
            return QStringLiteral("“%1”不是日期（YYMMDD 或 YYYY-MM-DD）").arg(text);
        StoreItemValue(bill, i, value, NewListEntries::Leave);
    } else if (const std::optional<RecordSearch::Kind> kind = lookupKind(type)) {
        const RecordSearch::Lookup found = RecordSearch::lookupExact(*kind, text);
        const QString what =
            *kind == RecordSearch::Kind::OwnAccount ? QStringLiteral("名称或帐号") : QStringLiteral("识别码");
        if (found.candidates.isEmpty())
            return QStringLiteral("%1“%2”在%3中找不到").arg(what, text, RecordSearch::tableOf(*kind));
        if (found.candidates.size() > 1)
            return QStringLiteral("%1“%2”在%3中有 %4 条记录，无法确定是哪一条")
                .arg(what, text, RecordSearch::tableOf(*kind))
                .arg(found.candidates.size());
        ApplyLookup(bill, i, found.candidates.constFirst(), found.names);
    } else {
        // Free texts keep what was written, line breaks included.
        StoreItemValue(bill, i, cell, NewListEntries::Leave);
    }
    return std::nullopt;
}

} // namespace

QString CurrencyColumnName() {
    return QStringLiteral("币种");
}

QList<RowFillError> CheckRowHeader(const FilledBill& blank, const QStringList& header) {
    QList<RowFillError> errors;
    QStringList seen;
    for (const QString& raw : header) {
        const QString name = raw.trimmed();
        if (name.isEmpty())
            continue; // a column without a name is no item's
        if (seen.contains(name)) {
            errors << RowFillError{name, QStringLiteral("列名重复")};
            continue;
        }
        seen << name;
        if (name == CurrencyColumnName())
            continue;
        const int i = blank.indexOf(name);
        if (i < 0)
            errors << RowFillError{name, QStringLiteral("票据没有这个设置项")};
        else if (!blank.items.at(i).showInput)
            errors << RowFillError{name, QStringLiteral("这个设置项不是输入项")};
    }
    return errors;
}

std::optional<int> CurrencyFromText(const QString& text, bool currencyChoice) {
    const QString t = text.trimmed();
    int index = int(CurrencyTable::names().indexOf(t));
    if (index < 0 && TypedValue::isNumberWithin(t, 0, CurrencyTable::Count - 1))
        index = t.toInt();
    if (index < 0 || (!currencyChoice && index != 0))
        return std::nullopt;
    return index;
}

FilledRow FillBillRow(const FilledBill& blank, const QStringList& header, const QStringList& row) {
    FilledRow out;
    out.bill = blank;
    const int currencyColumn = int(header.indexOf(CurrencyColumnName()));
    if (currencyColumn >= 0 && !row.value(currencyColumn).trimmed().isEmpty()) {
        const QString text = row.value(currencyColumn);
        const std::optional<int> currency = CurrencyFromText(text, blank.page.currencyChoice);
        if (currency)
            out.currency = *currency;
        else
            out.errors << RowFillError{
                CurrencyColumnName(),
                blank.page.currencyChoice
                    ? QStringLiteral("“%1”不是币种（%2，或 0 到 8）")
                          .arg(text.trimmed(), CurrencyTable::names().join(QStringLiteral("、")))
                    : QStringLiteral("这张票据不选择币种，只能是人民币")};
    }
    // In the bill's order, so that a year comes before its month and a month before its day.
    for (int i = 0; i < blank.count(); ++i) {
        const TemplateItem& item = blank.items.at(i);
        if (!item.showInput)
            continue;
        int column = -1;
        for (int c = 0; c < header.size() && column < 0; ++c)
            if (header.at(c).trimmed() == item.name)
                column = c;
        if (column < 0 || row.value(column).trimmed().isEmpty())
            continue;
        try {
            if (const std::optional<QString> refused = enterValue(out.bill, i, row.value(column)))
                out.errors << RowFillError{item.name, *refused};
        } catch (const CalculationError& e) {
            out.errors << RowFillError{item.name, e.message()};
        }
    }
    return out;
}

QStringList PrintedItemNames(const FilledBill& bill) {
    QStringList names;
    for (const TemplateItem& item : bill.items)
        if (item.printed)
            names << item.name;
    return names;
}

QStringList PrintedTexts(const FilledBill& bill, int currency) {
    QStringList texts;
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& item = bill.items.at(i);
        if (!item.printed)
            continue;
        const QString& value = bill.values.at(i);
        texts << (value.isEmpty() ? QString()
                                  : FormatItemValue(item.type, value, item.printSuffix, currency,
                                                    bill.page.currencyChoice));
    }
    return texts;
}

FilledBill WithRememberedOf(const FilledBill& blank, const FilledBill& other) {
    FilledBill next = blank;
    for (int i : RememberedItems(next))
        next.values[i] = other.values.value(i);
    return next;
}
