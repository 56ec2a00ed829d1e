#include "query/DecimalSum.h"

namespace {
constexpr int kMaxIntegerDigits = 20;
} // namespace

bool DecimalSum::add(const QString& text, bool wholeOnly) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    Units integer = 0;
    Units fraction = 0;
    int integerDigits = 0;
    int fractionDigits = 0;
    bool point = false;
    bool anyDigit = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c == QLatin1Char('.')) {
            if (point || wholeOnly)
                return false;
            point = true;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            anyDigit = true;
            if (point) {
                if (++fractionDigits > kScale)
                    return false;
                fraction = fraction * 10 + (c.unicode() - '0');
            } else {
                if (integer == 0 && c == QLatin1Char('0'))
                    continue; // leading zeros do not count against the digits allowed
                if (++integerDigits > kMaxIntegerDigits)
                    return false;
                integer = integer * 10 + (c.unicode() - '0');
            }
        } else {
            return false;
        }
    }
    if (!anyDigit)
        return false;
    for (int k = fractionDigits; k < kScale; ++k)
        fraction *= 10;
    Units scale = 1;
    for (int k = 0; k < kScale; ++k)
        scale *= 10;
    const Units value = integer * scale + fraction;
    m_units += negative ? -value : value;
    return true;
}

QString DecimalSum::write(Units units) {
    const bool negative = units < 0;
    Units v = negative ? -units : units;
    QString digits;
    do {
        digits.prepend(QChar(char16_t(u'0' + int(v % 10))));
        v /= 10;
    } while (v != 0);
    while (digits.size() <= kScale)
        digits.prepend(QLatin1Char('0'));
    QString whole = digits.left(digits.size() - kScale);
    QString fraction = digits.right(kScale);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString s = fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
    return negative ? QLatin1Char('-') + s : s;
}

QString DecimalSum::text() const {
    return write(m_units);
}

QString DecimalSum::amountText() const {
    constexpr Units cent = Units(10000000000LL); // 0.01 in units of 10^-12
    if (m_units % cent == 0)
        return write(m_units);
    const Units cut = (m_units + cent / 2) / cent; // truncates towards zero, as cutting the text does
    QString s = write(cut * cent);
    // Two decimals always, as the cut text has them.
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    if (point < 0)
        s += QStringLiteral(".00");
    else if (s.size() - point == 2)
        s += QLatin1Char('0');
    return s;
}
