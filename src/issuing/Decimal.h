#pragma once

#include <QString>

#include <optional>
#include <stdexcept>

// A decimal number held exactly, as an integer mantissa and a count of decimal places, so that
// money computed from typed amounts is never off by a binary fraction (1234567.89 x 1 stays
// 1234567.89). Arithmetic that would leave the range of about 38 digits throws
// std::overflow_error.
class Decimal {
public:
    Decimal() = default;
    static Decimal fromInt(long long value);
    // Digits with at most one point and at least one digit (".5" and "5." are numbers), with an
    // optional leading sign and surrounding blanks; nothing for any other text.
    static std::optional<Decimal> parse(const QString& text);

    Decimal operator+(const Decimal& other) const;
    Decimal operator-(const Decimal& other) const;
    Decimal operator*(const Decimal& other) const;
    Decimal operator-() const;
    bool operator==(const Decimal& other) const;

    bool isNegative() const { return m_mantissa < 0; }
    // Rounded to the given number of decimal places, halves away from zero.
    Decimal rounded(int places) const;
    // Decimal places after dropping trailing zeros.
    int significantPlaces() const;
    // The digits before the point without sign ("0" for a number below 1).
    QString integerDigits() const;
    // The shortest text: no trailing zeros after the point, no point for a whole number, a "0"
    // before the point, "-" for a negative number.
    QString toString() const;
    // The text with exactly the given number of places, the number first rounded to them.
    QString toFixed(int places) const;

private:
    __extension__ using Int128 = __int128;
    static constexpr int MaxScale = 18;

    Decimal(Int128 mantissa, int scale) : m_mantissa(mantissa), m_scale(scale) {}
    Decimal withScale(int scale) const; // only for scale >= m_scale
    static Int128 pow10(int n);

    Int128 m_mantissa = 0;
    int m_scale = 0;
};
