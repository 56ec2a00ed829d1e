#pragma once

#include <QString>
#include <QStringList>

// The currencies of the bill filling window's currency selector. The index is stored with every
// pre-bill and history record. An index outside the table has no name, sign or word.
namespace CurrencyTable {

constexpr int Count = 9;

// "人民币", "美元", "港币", "新加坡元", "英镑", "加元", "欧元", "日币", "其它".
QStringList names();
QString name(int index);
// Sign before figures and grid digits, such as "￥" or "Can$".
QString sign(int index);
// Word before a capital amount; none for 人民币.
QString word(int index);

} // namespace CurrencyTable
