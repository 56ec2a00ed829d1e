#pragma once

#include "issuing/FilledBill.h"
#include "store/MainItemFlag.h"

#include <QDateTime>
#include <QList>
#include <QString>

// What a print leaves behind: a row in the bill's history and the advanced automatic numbers of
// its auto-number table. Store failures throw StoreError.

// "2015年09月08日    14:05:09": the print date of a history record.
QString PrintDateText(const QDateTime& moment);

// Appends a history row: the sequence number after the last row's (1 for an empty table), the
// print date, the currency and, for every item column, the stored value of the active item of
// that name (empty when it is not active).
void AppendHistoryRecord(const QString& historyTable, int currency, const FilledBill& bill,
                         const QDateTime& moment);

// Indexes of the remembered items: passwords, automatic numbers and fixed texts, in order.
QList<int> RememberedItems(const FilledBill& bill);

enum class Remembered { All, NumbersOnly };
// Gives each remembered item the value of its column in the auto-number table's row; with
// NumbersOnly the fixed texts keep theirs. An empty table changes nothing.
void LoadRememberedItems(const QString& autoTable, FilledBill& bill, Remembered which);
// Replaces the auto-number table's row by one holding every remembered item's value.
void SaveRememberedItems(const QString& autoTable, const FilledBill& bill);

// The text with its trailing number one higher, keeping its width with leading zeros (0099 gives
// 0100, A12 gives A13, 999 gives 1000). A text that does not end in a digit, or whose trailing
// run has ten or more digits, comes back unchanged.
QString IncrementTrailingNumber(const QString& text);

// After a bill printed: its history row, then its passwords and automatic numbers advanced and
// saved, all in one transaction. The bill's values change only when everything was written.
void RecordPrintedBill(const MainItemFlag& entry, FilledBill& bill, int currency, const QDateTime& moment);
