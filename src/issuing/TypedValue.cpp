#include "issuing/TypedValue.h"

#include <QDate>

namespace TypedValue {

namespace {
bool allDigits(QStringView text) {
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool pointedNumber(const QString& text, int* integers, int* decimals) {
    const int point = text.indexOf(QLatin1Char('.'));
    if (point < 0) {
        *integers = int(text.size());
        *decimals = 0;
        return allDigits(text);
    }
    *integers = point;
    *decimals = int(text.size()) - point - 1;
    return allDigits(QStringView(text).left(point)) && allDigits(QStringView(text).mid(point + 1));
}
} // namespace

bool isAmountText(const QString& text) {
    int integers = 0, decimals = 0;
    return pointedNumber(text, &integers, &decimals) && integers <= 11 && decimals <= 2;
}

bool isDigitText(const QString& text) {
    return allDigits(text);
}

bool isQuantityText(const QString& text) {
    int integers = 0, decimals = 0;
    return pointedNumber(text, &integers, &decimals);
}

bool isNumberWithin(const QString& text, int low, int high) {
    if (text.isEmpty() || text.size() > 9 || !allDigits(text))
        return false;
    const int n = text.toInt();
    return n >= low && n <= high;
}

bool isMonthDayTime(const QString& text) {
    return text.size() == 8 && allDigits(text) && isNumberWithin(text.mid(0, 2), 1, 12) &&
           isNumberWithin(text.mid(2, 2), 1, 31) && isNumberWithin(text.mid(4, 2), 0, 24) &&
           isNumberWithin(text.mid(6, 2), 0, 59);
}

bool isYearMonthDay(const QString& text) {
    return text.size() == 6 && allDigits(text) &&
           QDate::fromString(QStringLiteral("20") + text, QStringLiteral("yyyyMMdd")).isValid();
}

} // namespace TypedValue
