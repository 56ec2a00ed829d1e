#pragma once

#include <QStringList>

// A reference record handed to the bill filling window: the table's column names (without the key)
// and the values in the same order, in a caller-owned list of at least 20 slots.
namespace RecordValues {

constexpr int kSlots = 20;

// Writes texts into slots 0.. of values, growing the list to kSlots (or more) first; slots past the
// texts keep what they held.
void store(QStringList& values, const QStringList& texts);

} // namespace RecordValues
