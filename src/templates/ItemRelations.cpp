#include "templates/ItemRelations.h"

#include "store/Database.h"
#include "store/Sql.h"
#include "templates/BillTemplate.h"

#include <functional>

namespace ItemRelations {

namespace {

bool isOperator(QChar c) {
    return c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('*');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int typeOf(const TemplateItem& item) {
    return ItemTypes::index(item.type);
}

QStringList namesWhere(const BillTemplate& tpl, const std::function<bool(int, const TemplateItem&)>& test) {
    QStringList out;
    for (int i = 0; i < tpl.count(); ++i)
        if (test(i, tpl.items[i]))
            out << tpl.items[i].name;
    return out;
}

QStringList columnsFor(int type, const ReferenceColumns& columns) {
    switch (type) {
    case 12:
        return columns.businessUnit;
    case 13:
        return columns.ownAccount;
    case 23:
        return columns.contact;
    default:
        return {};
    }
}

} // namespace

bool takesFormula(const TemplateItem& item) {
    return !item.showInput && ItemTypes::isSummable(item.type);
}

QStringList formulaEntries(const BillTemplate& tpl, int index) {
    if (index < 0 || index >= tpl.count())
        return {};
    const int t = typeOf(tpl.items[index]);
    std::function<bool(int)> offered;
    if (t == 7 || t == 8 || t == 9)
        offered = [](int u) { return u == 7 || u == 8 || u == 9 || u == 11 || u == 17; };
    else if (t == 11 || t == 17)
        offered = [](int u) { return u == 11 || u == 17; };
    else
        return {};
    QStringList out;
    for (const QString& name :
         namesWhere(tpl, [&](int, const TemplateItem& it) { return offered(typeOf(it)); }))
        out << QLatin1Char('[') + name + QLatin1Char(']');
    return out;
}

FormulaCheck validateFormula(const QString& text, const QStringList& offered) {
    FormulaCheck result;
    int start = 0;
    while (start < text.size() && (isOperator(text.at(start)) || text.at(start) == QLatin1Char('.')))
        ++start;
    const QString f = text.mid(start);
    const auto fail = [&](int at) {
        result.ok = false;
        result.stop = start + std::min<int>(at + 1, f.size());
        return result;
    };
    bool operand = true;
    int i = 0;
    while (i < f.size()) {
        const QChar c = f.at(i);
        if (!operand) {
            if (!isOperator(c))
                return fail(i);
            operand = true;
            ++i;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const int close = f.indexOf(QLatin1Char(']'), i);
            if (close < 0)
                return fail(f.size() - 1);
            if (!offered.contains(f.mid(i, close - i + 1)))
                return fail(close);
            i = close + 1;
            operand = false;
        } else if (isDigit(c)) {
            int points = 0;
            int j = i;
            while (j < f.size() && (isDigit(f.at(j)) || f.at(j) == QLatin1Char('.'))) {
                if (f.at(j) == QLatin1Char('.'))
                    ++points;
                ++j;
            }
            if (points > 1)
                return fail(j - 1);
            if (j < f.size()) {
                if (!isOperator(f.at(j)))
                    return fail(j);
                ++j; // the operator after the number
            }
            i = j;
            operand = true;
        } else {
            return fail(i);
        }
    }
    result.ok = true;
    result.formula = f;
    return result;
}

ReferenceColumns ReferenceColumns::fromDefineDatabase() {
    const QSqlDatabase db = Database::get(Db::Define);
    const auto columns = [&db](const QString& table, bool dropCode) {
        QStringList names = Sql::columnNames(db, table);
        if (!names.isEmpty())
            names.removeFirst();
        if (dropCode && !names.isEmpty())
            names.removeLast();
        return names;
    };
    ReferenceColumns c;
    c.businessUnit = columns(QStringLiteral("业务单位"), true);
    c.ownAccount = columns(QStringLiteral("本单位帐户"), false);
    c.contact = columns(QStringLiteral("联系人"), true);
    return c;
}

RelationOffer relationOffer(const BillTemplate& tpl, int index, const ReferenceColumns& columns) {
    if (index < 0 || index >= tpl.count())
        return {};
    const TemplateItem& item = tpl.items[index];
    const int t = typeOf(item);
    const auto others = [&](const std::function<bool(int)>& type) {
        return namesWhere(tpl, [&](int i, const TemplateItem& it) { return i != index && type(typeOf(it)); });
    };
    const auto shownOf = [&](int a, int b) {
        return namesWhere(tpl, [&](int, const TemplateItem& it) {
            return it.showInput && (typeOf(it) == a || typeOf(it) == b);
        });
    };
    const auto dropDown = [](const QStringList& entries) { return RelationOffer{Editor::DropDown, entries}; };
    switch (t) {
    case 0:
        if (item.showInput)
            return {Editor::TextPair, {}};
        return dropDown(others([](int) { return true; }));
    case 1:
    case 4:
        if (item.showInput)
            return {Editor::YearPair, {}};
        return dropDown(shownOf(1, 4));
    case 2:
    case 5:
        return item.showInput ? RelationOffer{} : dropDown(shownOf(2, 5));
    case 3:
    case 6:
        return item.showInput ? RelationOffer{} : dropDown(shownOf(3, 6));
    case 7:
    case 8:
    case 9:
        if (item.showInput)
            return {};
        return dropDown(others([](int u) { return u == 7 || u == 8 || u == 9; }));
    case 10: {
        if (item.showInput)
            return {};
        const QStringList boxes = others([](int u) { return u == 10; });
        return boxes.isEmpty() ? RelationOffer{} : dropDown(boxes);
    }
    case 11:
        return {Editor::TextPair, {}};
    case 12:
    case 13:
    case 23:
        return dropDown(columnsFor(t, columns));
    case 24:
    case 25:
        return dropDown(others([t](int u) { return u == t; }));
    default:
        return {};
    }
}

QStringList pairFirstEntries(const BillTemplate& tpl, Editor editor) {
    if (editor == Editor::TextPair)
        return namesWhere(tpl, [](int, const TemplateItem& it) {
            const int t = typeOf(it);
            return it.showInput && (t == 12 || t == 13 || t == 23);
        });
    if (editor == Editor::YearPair)
        return namesWhere(tpl,
                          [](int, const TemplateItem& it) { return typeOf(it) == 2 || typeOf(it) == 5; });
    return {};
}

QStringList pairSecondEntries(const BillTemplate& tpl, Editor editor, const QString& first,
                              const ReferenceColumns& columns) {
    if (editor == Editor::TextPair) {
        const int i = tpl.indexOfName(first);
        return i < 0 ? QStringList() : columnsFor(typeOf(tpl.items[i]), columns);
    }
    if (editor == Editor::YearPair)
        return namesWhere(tpl,
                          [](int, const TemplateItem& it) { return typeOf(it) == 3 || typeOf(it) == 6; });
    return {};
}

} // namespace ItemRelations
