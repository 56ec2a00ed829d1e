#pragma once

#include "issuing/FilledBill.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Filling a bill from a row of named values (a line of a data file) as an operator would type each
// value into the bill filling window and confirm it with Enter: the bill starts with its default
// and remembered values, each value is judged as its editor judges typing and stored through the
// same value rules (mirrors, reference look-ups, check-box groups, month days, calculation
// methods). Nothing is written to the store: new entries of the lists of bill kinds, reasons,
// handlers and telephones are left for SaveNewListEntries() once the bill printed.

// The column naming the currency: by its name in the currency table or by its index.
QString CurrencyColumnName();

// One refusal: the item (or column) and why, in words for the operator.
struct RowFillError {
    QString item;
    QString reason;
};

struct FilledRow {
    FilledBill bill; // the values as stored
    int currency = 0;
    QList<RowFillError> errors; // empty when the row can be printed
};

// The columns of a header that name neither an input item of the bill nor the currency, and the
// names given twice, as errors of the header.
QList<RowFillError> CheckRowHeader(const FilledBill& blank, const QStringList& header);

// The currency index a text names for a bill that does or does not offer a currency choice.
std::optional<int> CurrencyFromText(const QString& text, bool currencyChoice);

// Fills one row into a copy of blank (whose values are the defaults and remembered values). Values
// are applied in the bill's item order; an empty cell leaves the item as it is. Throws StoreError
// when a reference table cannot be read.
FilledRow FillBillRow(const FilledBill& blank, const QStringList& header, const QStringList& row);

// The texts that would be printed, one per printed item in order: each value converted as on
// paper ("" for an empty value).
QStringList PrintedTexts(const FilledBill& bill, int currency);
// The names of the printed items, in the same order.
QStringList PrintedItemNames(const FilledBill& bill);

// blank with the remembered items (passwords, automatic numbers, fixed texts) of another bill of
// the same template: what the next bill starts with after that one printed.
FilledBill WithRememberedOf(const FilledBill& blank, const FilledBill& other);
