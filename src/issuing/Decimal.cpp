#include "issuing/Decimal.h"

#include <algorithm>
#include <vector>

namespace {
// Magnitudes are digit texts, most significant digit first, without leading zeros; "" is zero.

QByteArray trimmed(QByteArray digits) {
    qsizetype lead = 0;
    while (lead < digits.size() && digits.at(lead) == '0')
        ++lead;
    return digits.mid(lead);
}

void checkSize(const QByteArray& digits) {
    if (digits.size() > Decimal::MaxDigits)
        throw std::overflow_error("decimal overflow");
}

int compareMagnitude(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QByteArray addMagnitudes(const QByteArray& a, const QByteArray& b) {
    QByteArray out;
    out.reserve(std::max(a.size(), b.size()) + 1);
    int carry = 0;
    for (qsizetype i = a.size() - 1, j = b.size() - 1; i >= 0 || j >= 0 || carry; --i, --j) {
        int d = carry;
        if (i >= 0)
            d += a.at(i) - '0';
        if (j >= 0)
            d += b.at(j) - '0';
        out.append(char('0' + d % 10));
        carry = d / 10;
    }
    std::reverse(out.begin(), out.end());
    return trimmed(out);
}

// a - b for a >= b.
QByteArray subtractMagnitudes(const QByteArray& a, const QByteArray& b) {
    QByteArray out;
    out.reserve(a.size());
    int borrow = 0;
    for (qsizetype i = a.size() - 1, j = b.size() - 1; i >= 0; --i, --j) {
        int d = a.at(i) - '0' - borrow - (j >= 0 ? b.at(j) - '0' : 0);
        borrow = d < 0 ? 1 : 0;
        out.append(char('0' + d + 10 * borrow));
    }
    std::reverse(out.begin(), out.end());
    return trimmed(out);
}

QByteArray multiplyMagnitudes(const QByteArray& a, const QByteArray& b) {
    if (a.isEmpty() || b.isEmpty())
        return {};
    std::vector<int> sums(size_t(a.size() + b.size()), 0);
    for (qsizetype i = a.size() - 1; i >= 0; --i) {
        int carry = 0;
        for (qsizetype j = b.size() - 1; j >= 0; --j) {
            int& cell = sums[size_t(i + j + 1)];
            const int v = cell + (a.at(i) - '0') * (b.at(j) - '0') + carry;
            cell = v % 10;
            carry = v / 10;
        }
        sums[size_t(i)] += carry;
    }
    QByteArray out;
    out.reserve(qsizetype(sums.size()));
    for (int d : sums)
        out.append(char('0' + d));
    return trimmed(out);
}
} // namespace

Decimal::Decimal(QByteArray digits, bool negative, int scale)
    : m_digits(trimmed(std::move(digits))), m_scale(scale) {
    checkSize(m_digits);
    m_negative = negative && !m_digits.isEmpty();
}

Decimal Decimal::fromInt(long long value) {
    const bool negative = value < 0;
    QByteArray digits = QByteArray::number(value);
    if (negative)
        digits.remove(0, 1);
    return Decimal(digits, negative, 0);
}

std::optional<Decimal> Decimal::parse(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    QByteArray digits;
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
            if (point)
                ++scale;
            digits.append(char(c.unicode()));
            if (digits.size() > MaxDigits)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    return Decimal(digits, negative, scale);
}

Decimal Decimal::withScale(int scale) const {
    if (m_digits.isEmpty())
        return Decimal({}, false, scale);
    return Decimal(m_digits + QByteArray(scale - m_scale, '0'), m_negative, scale);
}

Decimal Decimal::operator+(const Decimal& other) const {
    const int scale = std::max(m_scale, other.m_scale);
    const Decimal a = withScale(scale);
    const Decimal b = other.withScale(scale);
    if (a.m_negative == b.m_negative)
        return Decimal(addMagnitudes(a.m_digits, b.m_digits), a.m_negative, scale);
    if (compareMagnitude(a.m_digits, b.m_digits) >= 0)
        return Decimal(subtractMagnitudes(a.m_digits, b.m_digits), a.m_negative, scale);
    return Decimal(subtractMagnitudes(b.m_digits, a.m_digits), b.m_negative, scale);
}

Decimal Decimal::operator-() const {
    return Decimal(m_digits, !m_negative, m_scale);
}

Decimal Decimal::operator-(const Decimal& other) const {
    return *this + (-other);
}

Decimal Decimal::operator*(const Decimal& other) const {
    if (m_scale + other.m_scale > MaxDigits)
        throw std::overflow_error("decimal overflow");
    return Decimal(multiplyMagnitudes(m_digits, other.m_digits), m_negative != other.m_negative,
                   m_scale + other.m_scale);
}

bool Decimal::operator==(const Decimal& other) const {
    const int scale = std::max(m_scale, other.m_scale);
    const Decimal a = withScale(scale);
    const Decimal b = other.withScale(scale);
    return a.m_negative == b.m_negative && a.m_digits == b.m_digits;
}

Decimal Decimal::rounded(int places) const {
    if (places >= m_scale)
        return *this;
    const int cut = m_scale - places;
    // The dropped digits, padded to their full width: half or more rounds the magnitude up.
    const QByteArray padded = QByteArray(std::max<qsizetype>(0, cut - m_digits.size()), '0') + m_digits;
    const QByteArray kept = padded.left(padded.size() - cut);
    const bool up = padded.at(padded.size() - cut) >= '5';
    return Decimal(up ? addMagnitudes(kept, "1") : kept, m_negative, places);
}

int Decimal::significantPlaces() const {
    int places = m_scale;
    qsizetype end = m_digits.size();
    while (places > 0 && end > 0 && m_digits.at(end - 1) == '0') {
        --end;
        --places;
    }
    return m_digits.isEmpty() ? 0 : places;
}

QString Decimal::integerDigits() const {
    const QByteArray whole = m_digits.left(std::max<qsizetype>(0, m_digits.size() - m_scale));
    return whole.isEmpty() ? QStringLiteral("0") : QString::fromLatin1(whole);
}

QString Decimal::toFixed(int places) const {
    const Decimal d = places >= m_scale ? withScale(places) : rounded(places);
    QByteArray digits = d.m_digits;
    if (digits.size() <= places)
        digits.prepend(QByteArray(places + 1 - digits.size(), '0'));
    QString out = d.m_negative ? QStringLiteral("-") : QString();
    out += QString::fromLatin1(digits.left(digits.size() - places));
    if (places > 0)
        out += QLatin1Char('.') + QString::fromLatin1(digits.right(places));
    return out;
}

QString Decimal::toString() const {
    return toFixed(significantPlaces());
}
