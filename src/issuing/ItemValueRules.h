#pragma once

#include "issuing/FilledBill.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// How stored values flow between the items of a bill being filled: relations copy them, reference
// lookups fill several items from one record, check boxes of a group exclude each other, a month
// corrects its day, and calculation methods recompute dependent amounts. Item arguments are
// indexes into the bill's active items. These change values only; the caller redraws.

// Every printed item whose relation is exactly the item's name receives the text.
void MirrorValue(FilledBill& bill, int item, const QString& text);

// A record chosen for the lookup item: the item takes the first value (or the field its relation
// names), items related to it take its value or the field after "-" in their relation, and their
// mirrors follow.
void ApplyLookup(FilledBill& bill, int item, const QStringList& values, const QStringList& names);
// A lookup that found nothing keeps the typed text; business units, own units and contacts also
// hand it to the items whose relation is the item's name.
void KeepTypedLookupText(FilledBill& bill, int item, const QString& text);

// Ticks an empty check box (unticking the others of its group and clearing their mirrors) or
// unticks a ticked one; its mirrors follow.
void ToggleCheckBox(FilledBill& bill, int item);

// Days of the month that belongs to a day item through the year item's "month-day" relation;
// 31 when there is no such year or month or a value is not a number.
int DaysInRelatedMonth(const FilledBill& bill, int dayItem);
// After a month was stored: a day beyond the month's days becomes "01", and so do its mirrors.
void CheckMonthDays(FilledBill& bill, int monthItem);

// After an amount, digit grid or quantity item was stored: recomputes every item that has a
// method, in item order, pass after pass while a pass changes something (at most as many passes
// as there are items, so cyclic methods end). Mirrors of recomputed items
// follow. Throws CalculationError, naming the item, when an operand is not a number or a result
// cannot be stored; values stored before stay, and the item keeps its value.
void Recalculate(FilledBill& bill, int changedItem);

// Stores a value typed or chosen for an item, by its kind: months and days get a leading zero,
// amounts lose leading zeros and recompute their dependants, digit grids and quantities are
// trimmed and recompute, new entries of bill kinds, return reasons, handlers and telephones are
// added to their lists. Then the item's mirrors receive it. Throws CalculationError after the
// mirrors were updated; StoreError when a list cannot be saved. With NewListEntries::Leave the
// lists are not touched (a bill that may never print); SaveNewListEntries() catches up later.
enum class NewListEntries { Save, Leave };
void StoreItemValue(FilledBill& bill, int item, const QString& text,
                    NewListEntries lists = NewListEntries::Save);
// Adds every value of a bill kind, return reason, handler or telephone that its list lacks.
void SaveNewListEntries(const FilledBill& bill);

// Today's date and time in the date kinds, every other value empty.
void SetDefaultValues(FilledBill& bill, const QDateTime& now);
