#pragma once

#include <QString>
#include <QStringList>

class BillTemplate;
struct TemplateItem;

// Calculation methods (计算方法) and relations (设置项关系) tie items to each other. This is what the
// designer offers for them and how a typed formula is checked.
namespace ItemRelations {

// A calculation method can be given to an amount, digit-grid or quantity item that the operator
// does not type in.
bool takesFormula(const TemplateItem& item);
// The item references ("[" + name + "]") a formula of the item may use: for amounts every amount,
// digit-grid and quantity item, for digit grids and quantities every digit-grid and quantity item;
// the item itself included.
QStringList formulaEntries(const BillTemplate& tpl, int index);

struct FormulaCheck {
    bool ok = false;
    QString formula; // the accepted formula, leading operators and points removed
    int stop = 0;    // on an error: the position in the typed text just after where the check stopped
};
// Operands (an offered reference or a number with at most one point) separated by "+", "-" or
// "*"; a trailing operator is allowed.
FormulaCheck validateFormula(const QString& text, const QStringList& offered);

// The columns of the reference tables an item can take a value from, without their keys and
// identification codes.
struct ReferenceColumns {
    QStringList businessUnit; // 业务单位
    QStringList ownAccount;   // 本单位帐户
    QStringList contact;      // 联系人
    // As the tables stand in the definition database. Throws StoreError.
    static ReferenceColumns fromDefineDatabase();
};

enum class Editor {
    None,     // the item has no relation editor
    DropDown, // one of the entries, or the empty entry to clear the relation
    TextPair, // "文本对应关系": a name item and one of its record's columns
    YearPair, // "年与月、日关系": a month item and a day item
};

struct RelationOffer {
    Editor editor = Editor::None;
    QStringList entries; // for DropDown, without the empty entry
};
RelationOffer relationOffer(const BillTemplate& tpl, int index, const ReferenceColumns& columns);

// The first list of a pair dialog: name items shown for input (text pair) or month items (year).
QStringList pairFirstEntries(const BillTemplate& tpl, Editor editor);
// The second list for the first item of that name: its reference table's columns (text pair) or
// the day items (year).
QStringList pairSecondEntries(const BillTemplate& tpl, Editor editor, const QString& first,
                              const ReferenceColumns& columns);

} // namespace ItemRelations
