#pragma once

#include "templates/ItemType.h"

#include <QString>
#include <QStringList>

// Earlier entries of bill kinds, return reasons, handlers and telephone numbers, kept as CR LF
// separated lists in the one row of the table "其他内容", so that the next bill offers them.
// Store failures throw StoreError.
namespace OtherContent {

// "票据种类", "退票理由", "经办人" or "电话号码"; "" for a kind without a list.
QString column(ItemType type);
// The lines of a list text.
QStringList entries(const QString& list);
// Whether the list holds the entry, comparing Latin letters without regard to case.
bool contains(const QString& list, const QString& entry);
// Entries equal apart from the case of Latin letters.
bool sameEntry(const QString& a, const QString& b);

} // namespace OtherContent

// The list text of the type's column ("" for other kinds). When the table has no row, the row
// with the default bill kinds and return reasons is added first.
QString GetOtherContentList(ItemType type);
// Appends the entry as the new last line of the type's list and saves the row.
void AddOtherContentEntry(ItemType type, const QString& entry);
