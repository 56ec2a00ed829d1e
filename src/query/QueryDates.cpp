#include "query/QueryDates.h"

namespace QueryDates {

namespace {
std::optional<int> number(const QString& part) {
    if (part.isEmpty())
        return std::nullopt;
    int v = 0;
    for (QChar c : part) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

struct Parts {
    int year, month, day;
};

std::optional<Parts> parts(const QString& digits) {
    if (digits.size() != 8)
        return std::nullopt;
    const auto y = number(digits.mid(0, 4));
    const auto m = number(digits.mid(4, 2));
    const auto d = number(digits.mid(6, 2));
    if (!y || !m || !d)
        return std::nullopt;
    return Parts{*y, *m, *d};
}
} // namespace

QString digits(const QString& maskedText) {
    // "0000年00月00日": digits at 0-3, 5-6 and 8-9.
    QString s = maskedText.leftJustified(11, QLatin1Char(' '));
    return s.mid(0, 4) + s.mid(5, 2) + s.mid(8, 2);
}

QString masked(const QString& digits) {
    const QString d = digits.leftJustified(8, QLatin1Char(' '));
    return d.mid(0, 4) + QStringLiteral("年") + d.mid(4, 2) + QStringLiteral("月") + d.mid(6, 2) +
           QStringLiteral("日");
}

std::optional<QString> normalised(const QString& digits) {
    auto p = parts(digits);
    if (!p)
        return std::nullopt;
    if (p->year < 2000)
        p->year = 2000;
    if (p->month > 12)
        p->month = 12;
    else if (p->month == 0)
        p->month = 1;
    if (p->day > 31)
        p->day = 31;
    else if (p->day == 0)
        p->day = 1;
    return QStringLiteral("%1%2%3")
        .arg(p->year, 4, 10, QLatin1Char('0'))
        .arg(p->month, 2, 10, QLatin1Char('0'))
        .arg(p->day, 2, 10, QLatin1Char('0'));
}

std::optional<int> dateNumber(const QString& digits) {
    const auto p = parts(digits);
    if (!p)
        return std::nullopt;
    return p->year * 10000 + p->month * 100 + p->day;
}

} // namespace QueryDates
