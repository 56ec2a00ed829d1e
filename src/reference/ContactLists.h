#pragma once

#include <QStringList>

// The pick lists of the contact record, in the order they are offered.
namespace ContactLists {
QStringList genders();
QStringList ethnicGroups(); // 58 entries
} // namespace ContactLists
