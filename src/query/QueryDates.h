#pragma once

#include <QString>

#include <optional>

// The date fields of the history query: eight digits YYYYMMDD shown through the mask
// "0000年00月00日".
namespace QueryDates {

// The digits of a field's text, the mask's literal characters left out; a blank position stays a
// blank.
QString digits(const QString& maskedText);
// The field's text for eight digits.
QString masked(const QString& digits);

// A year below 2000 becomes 2000, a month above 12 becomes 12 and 00 becomes 01, a day above 31
// becomes 31 and 00 becomes 01. Nothing when a part is not a number (a position still blank).
std::optional<QString> normalised(const QString& digits);

// YYYYMMDD as a number, for comparing dates; nothing when a part is not a number.
std::optional<int> dateNumber(const QString& digits);

} // namespace QueryDates
