#pragma once

#include <QString>

// What the editors of the bill filling window let an operator type, as tests of a whole text. The
// window judges each change against them; a value that arrives without the window (a data row of
// the command line) is judged by the same tests.
namespace TypedValue {

// Digits and at most one point, at most 11 digits before it and 2 after (an empty text passes).
bool isAmountText(const QString& text);
// Digits only (数字对格).
bool isDigitText(const QString& text);
// Digits and at most one point (数量).
bool isQuantityText(const QString& text);
// A whole number from low to high written with digits only.
bool isNumberWithin(const QString& text, int low, int high);
// Eight digits MMDDhhmm: month 1-12, day 1-31, hour 0-24, minute 0-59 (月日时分).
bool isMonthDayTime(const QString& text);
// Six digits YYMMDD naming a real date (年月日).
bool isYearMonthDay(const QString& text);

} // namespace TypedValue
