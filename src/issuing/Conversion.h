#pragma once

#include "templates/ItemType.h"

#include <QString>

// Stored item values to the texts drawn, printed and listed. Amounts are plain digit strings
// (at most 11 integer digits, at most 2 decimals, no sign) and are converted as text, so money
// is never rounded. None of these functions fails: a value outside its stored format comes back
// unchanged (a wrong amount on a bill would be worse than a visibly odd one).

// Capital numerals with units, such as 壹佰贰拾叁元肆角整; prefixed by the currency's word when
// the currency is shown. "" and "0" give "".
QString ToCapitalAmount(const QString& amount, int currency, bool currencyShown);

// Figures with thousands separators and two decimals, such as 23,912,345,678.99; "" for an
// empty text or one made only of zeros.
QString ToFigureAmount(const QString& amount);

// The amount in fen without point, such as 12340 for 123.4.
QString ToGridDigits(const QString& amount);

// A year digit by digit (贰零壹伍), or a month or day in words (零壹, 零壹拾, 壹拾伍, 贰拾壹):
// values that could be altered to a larger one start with 零.
QString ToCapitalDatePart(const QString& text, bool year);

// The text handed to the rendering engine for one item, on screen and in print.
QString FormatItemValue(ItemType type, const QString& value, bool printSuffix, int currency,
                        bool currencyShown);

// Where a value is listed: the pre-bill list shows date-time digits as stored, the history
// list spells them out.
enum class ValueList { PreBills, History };

// The text shown for one item in the pre-bill list or the history list.
QString FormatListValue(ValueList list, ItemType type, const QString& value, bool printSuffix, int currency,
                        bool currencyShown);
