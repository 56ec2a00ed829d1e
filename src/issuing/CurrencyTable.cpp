#include "issuing/CurrencyTable.h"

namespace CurrencyTable {

namespace {
struct Currency {
    const char* name;
    const char* sign;
    const char* word;
};

// Singapore dollars are written 坡币 before a capital amount; "other" currencies leave blanks
// for the operator's pen.
constexpr Currency kTable[Count] = {
    {"人民币", "￥", ""},       {"美元", "US$", "美元"}, {"港币", "HK$", "港币"},
    {"新加坡元", "S$", "坡币"}, {"英镑", "￡", "英镑"},  {"加元", "Can$", "加元"},
    {"欧元", "EUR", "欧元"},    {"日币", "JPY", "日币"}, {"其它", "  ", "    "},
};

const Currency* at(int index) {
    return index >= 0 && index < Count ? &kTable[index] : nullptr;
}
} // namespace

QStringList names() {
    QStringList list;
    for (const Currency& c : kTable)
        list << QString::fromUtf8(c.name);
    return list;
}

QString name(int index) {
    const Currency* c = at(index);
    return c ? QString::fromUtf8(c->name) : QString();
}

QString sign(int index) {
    const Currency* c = at(index);
    return c ? QString::fromUtf8(c->sign) : QString();
}

QString word(int index) {
    const Currency* c = at(index);
    return c ? QString::fromUtf8(c->word) : QString();
}

} // namespace CurrencyTable
