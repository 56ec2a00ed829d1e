#include "issuing/Conversion.h"

#include "issuing/CurrencyTable.h"

namespace {

const QString kDigits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
// Units of the capital amount; the last integer digit always takes 元 (index 10).
const QString kUnits = QStringLiteral("佰拾亿仟佰拾万仟佰拾元角分");
constexpr int kMaxIntegerDigits = 11;
constexpr int kYuanUnit = 10;
constexpr int kFenUnit = 12;

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString capital(QChar c) {
    return isDigit(c) ? QString(kDigits.at(c.unicode() - '0')) : QString(c);
}

QString dropLeadingZeros(const QString& s) {
    int i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char('0'))
        ++i;
    return s.mid(i);
}

// Digits with at most one point and at most two decimals: the only amounts the editors and the
// calculation methods store.
bool isPlainAmount(const QString& s) {
    int point = -1;
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i) == QLatin1Char('.')) {
            if (point >= 0)
                return false;
            point = i;
        } else if (!isDigit(s.at(i))) {
            return false;
        }
    }
    return point < 0 || s.size() - point - 1 <= 2;
}

int integerDigits(const QString& s) {
    const int point = s.indexOf(QLatin1Char('.'));
    return point < 0 ? s.size() : point;
}

} // namespace

QString ToCapitalAmount(const QString& amount, int currency, bool currencyShown) {
    if (!isPlainAmount(amount))
        return amount;
    QString s = dropLeadingZeros(amount);
    if (s.isEmpty() || s == QLatin1String("."))
        return s;
    if (integerDigits(s) > kMaxIntegerDigits)
        return amount;

    const QChar point = QLatin1Char('.');
    const QChar zero = QLatin1Char('0');
    // Normalise the decimals: "x.y0" becomes "x.y", "x.0" and "x.00" lose their decimals.
    int c = 0;
    if (s.size() > 2 && s.at(s.size() - 3) == point && s.back() == zero)
        s.chop(1);
    if (s.size() > 2 && s.at(s.size() - 3) == point) {
        if (s.at(s.size() - 2) == zero && s.back() == zero) {
            s.chop(3);
            c = s.size();
        } else {
            c = s.size() - 3;
        }
    } else if (s.size() > 1 && s.at(s.size() - 2) == point) {
        if (s.back() != zero) {
            c = s.size() - 2;
        } else {
            s.chop(2);
            c = s.size();
        }
    } else if (!s.isEmpty() && s.back() == point) {
        c = s.size() - 1;
    } else {
        c = s.size();
    }

    QString out;
    int u = kYuanUnit + 1 - c;
    bool zeroPending = false;
    bool tenThousands = false; // a digit above 万 was written, so a zero at 万 still needs the unit
    for (const QChar ch : std::as_const(s)) {
        if (ch == point)
            continue;
        if (ch != zero) {
            if (zeroPending)
                out += kDigits.at(0);
            out += capital(ch);
            out += kUnits.at(u);
            zeroPending = false;
            if (u > 2)
                tenThousands = true;
        } else if (u == 2) {
            out += kUnits.at(2);
        } else if (u == 6) {
            if (tenThousands) {
                out += kUnits.at(6);
                zeroPending = true;
            }
        } else if (u == kYuanUnit) {
            out += kUnits.at(kYuanUnit);
            zeroPending = true;
        } else {
            zeroPending = true;
        }
        ++u;
    }
    if (u <= kFenUnit)
        out += QStringLiteral("整");
    if (currencyShown)
        out.prepend(CurrencyTable::word(currency));
    return out;
}

QString ToFigureAmount(const QString& amount) {
    if (!isPlainAmount(amount))
        return amount;
    QString s = dropLeadingZeros(amount);
    if (s.isEmpty())
        return s;
    const int point = s.indexOf(QLatin1Char('.'));
    if (point < 0)
        s += QStringLiteral(".00");
    else {
        if (point == 0)
            s.prepend(QLatin1Char('0'));
        const int decimals = s.size() - s.indexOf(QLatin1Char('.')) - 1;
        if (decimals == 0)
            s += QStringLiteral("00");
        else if (decimals == 1)
            s += QLatin1Char('0');
    }

    const int n = s.size() - 3;
    if (n <= 3)
        return s;
    const int first = n % 3 == 0 ? 3 : n % 3;
    QString out = s.left(first);
    for (int i = first; i < n; i += 3)
        out += QLatin1Char(',') + s.mid(i, 3);
    return out + s.mid(n);
}

QString ToGridDigits(const QString& amount) {
    if (!isPlainAmount(amount))
        return amount;
    const QString s = dropLeadingZeros(amount);
    QString out;
    bool afterPoint = false;
    int decimals = 0;
    for (const QChar ch : s) {
        if (ch == QLatin1Char('.')) {
            afterPoint = true;
            continue;
        }
        out += ch;
        if (afterPoint)
            ++decimals;
    }
    if (out.isEmpty())
        return out;
    if (decimals == 0)
        out += QStringLiteral("00");
    else if (decimals == 1)
        out += QLatin1Char('0');
    return out;
}

QString ToCapitalDatePart(const QString& text, bool year) {
    if (text.isEmpty())
        return text;
    QString out;
    if (year) {
        for (const QChar ch : text)
            out += capital(ch);
        return out;
    }
    const QString ling = kDigits.left(1);
    if (text.size() == 1)
        return ling + capital(text.at(0));
    const QChar a = text.at(0);
    const QChar b = text.at(1);
    if (a == QLatin1Char('0'))
        return ling + capital(b);
    if (b == QLatin1Char('0'))
        out += ling;
    out += capital(a) + QStringLiteral("拾");
    if (b != QLatin1Char('0'))
        out += capital(b);
    return out;
}

namespace {
QString suffixed(const QString& text, bool printSuffix, const char* suffix) {
    return printSuffix ? text + QString::fromUtf8(suffix) : text;
}
} // namespace

QString FormatItemValue(ItemType type, const QString& value, bool printSuffix, int currency,
                        bool currencyShown) {
    if (value.isEmpty())
        return value;
    switch (type) {
    case ItemType::YearCapital:
        return suffixed(ToCapitalDatePart(value, true), printSuffix, "年");
    case ItemType::MonthCapital:
        return suffixed(ToCapitalDatePart(value, false), printSuffix, "月");
    case ItemType::DayCapital:
        return suffixed(ToCapitalDatePart(value, false), printSuffix, "日");
    case ItemType::Year:
        return suffixed(value, printSuffix, "年");
    case ItemType::Month:
        return suffixed(value, printSuffix, "月");
    case ItemType::Day:
        return suffixed(value, printSuffix, "日");
    case ItemType::AmountCapital:
        return ToCapitalAmount(value, currency, currencyShown);
    case ItemType::AmountFigures: {
        const QString figures = ToFigureAmount(value);
        return figures.isEmpty() ? figures : CurrencyTable::sign(currency) + figures;
    }
    case ItemType::AmountGrid: {
        const QString digits = ToGridDigits(value);
        return digits.isEmpty() ? digits : CurrencyTable::sign(currency) + digits;
    }
    default:
        return value;
    }
}

namespace {
// Two-digit groups of a date-time value, each followed by its suffix or joined with "-".
QString spellPairs(const QString& value, bool printSuffix, const QStringList& suffixes) {
    QString out;
    for (int k = 0; k < suffixes.size(); ++k) {
        const QString pair = value.mid(2 * k, 2);
        if (printSuffix)
            out += pair + suffixes.at(k);
        else
            out += (k > 0 ? QStringLiteral("-") : QString()) + pair;
    }
    return out;
}
} // namespace

QString FormatListValue(ValueList list, ItemType type, const QString& value, bool printSuffix, int currency,
                        bool currencyShown) {
    if (list == ValueList::History && !value.isEmpty()) {
        if (type == ItemType::MonthDayTime)
            return spellPairs(
                value, printSuffix,
                {QStringLiteral("月"), QStringLiteral("日"), QStringLiteral("时"), QStringLiteral("分")});
        if (type == ItemType::YearMonthDay)
            return spellPairs(value, printSuffix,
                              {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")});
    }
    return FormatItemValue(type, value, printSuffix, currency, currencyShown);
}
