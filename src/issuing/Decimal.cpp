#include "issuing/Decimal.h"

#include <algorithm>

namespace {
[[noreturn]] void overflow() {
    throw std::overflow_error("decimal overflow");
}
} // namespace

Decimal::Int128 Decimal::pow10(int n) {
    Int128 p = 1;
    for (int i = 0; i < n; ++i)
        if (__builtin_mul_overflow(p, Int128(10), &p))
            overflow();
    return p;
}

Decimal Decimal::fromInt(long long value) {
    return Decimal(value, 0);
}

std::optional<Decimal> Decimal::parse(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    Int128 mantissa = 0;
    int scale = 0;
    bool point = false;
    bool digit = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c == QLatin1Char('.')) {
            if (point)
                return std::nullopt;
            point = true;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digit = true;
            if (point) {
                // Places beyond what the arithmetic keeps cannot change a stored amount.
                if (scale == MaxScale)
                    continue;
                ++scale;
            }
            if (__builtin_mul_overflow(mantissa, Int128(10), &mantissa) ||
                __builtin_add_overflow(mantissa, Int128(c.unicode() - '0'), &mantissa))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    return Decimal(negative ? -mantissa : mantissa, scale);
}

Decimal Decimal::withScale(int scale) const {
    Int128 m;
    if (__builtin_mul_overflow(m_mantissa, pow10(scale - m_scale), &m))
        overflow();
    return Decimal(m, scale);
}

Decimal Decimal::operator+(const Decimal& other) const {
    const int scale = std::max(m_scale, other.m_scale);
    Int128 sum;
    if (__builtin_add_overflow(withScale(scale).m_mantissa, other.withScale(scale).m_mantissa, &sum))
        overflow();
    return Decimal(sum, scale);
}

Decimal Decimal::operator-() const {
    return Decimal(-m_mantissa, m_scale);
}

Decimal Decimal::operator-(const Decimal& other) const {
    return *this + (-other);
}

Decimal Decimal::operator*(const Decimal& other) const {
    Int128 product;
    if (__builtin_mul_overflow(m_mantissa, other.m_mantissa, &product))
        overflow();
    Decimal d(product, m_scale + other.m_scale);
    return d.m_scale > MaxScale ? d.rounded(MaxScale) : d;
}

bool Decimal::operator==(const Decimal& other) const {
    const int scale = std::max(m_scale, other.m_scale);
    return withScale(scale).m_mantissa == other.withScale(scale).m_mantissa;
}

Decimal Decimal::rounded(int places) const {
    if (places >= m_scale)
        return *this;
    const Int128 unit = pow10(m_scale - places);
    const Int128 magnitude = m_mantissa < 0 ? -m_mantissa : m_mantissa;
    Int128 q = magnitude / unit;
    if ((magnitude % unit) * 2 >= unit)
        ++q;
    return Decimal(m_mantissa < 0 ? -q : q, places);
}

int Decimal::significantPlaces() const {
    int places = m_scale;
    Int128 m = m_mantissa;
    while (places > 0 && m % 10 == 0) {
        m /= 10;
        --places;
    }
    return places;
}

namespace {
__extension__ using UInt128 = unsigned __int128;

QString digitsOf(UInt128 v) {
    QString s;
    do {
        s.prepend(QChar(char16_t(u'0' + int(v % 10))));
        v /= 10;
    } while (v != 0);
    return s;
}
} // namespace

QString Decimal::integerDigits() const {
    const Int128 magnitude = m_mantissa < 0 ? -m_mantissa : m_mantissa;
    return digitsOf(static_cast<UInt128>(magnitude / pow10(m_scale)));
}

QString Decimal::toFixed(int places) const {
    const Decimal d = places >= m_scale ? withScale(places) : rounded(places);
    const Int128 magnitude = d.m_mantissa < 0 ? -d.m_mantissa : d.m_mantissa;
    QString digits = digitsOf(static_cast<UInt128>(magnitude));
    if (digits.size() <= places)
        digits.prepend(QString(places + 1 - digits.size(), QLatin1Char('0')));
    QString out = d.m_mantissa < 0 ? QStringLiteral("-") : QString();
    out += digits.left(digits.size() - places);
    if (places > 0)
        out += QLatin1Char('.') + digits.right(places);
    return out;
}

QString Decimal::toString() const {
    return toFixed(significantPlaces());
}
