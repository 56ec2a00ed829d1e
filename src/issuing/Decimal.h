#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <stdexcept>

// A decimal number held exactly, as the decimal digits of an integer mantissa and a count of
// decimal places, so that money computed from typed amounts is never off by a binary fraction
// (1234567.89 x 1 stays 1234567.89) and no intermediate is ever cut: sums and products keep every
// digit, and rounding happens only where a caller asks for it. Only a number of more than
// MaxDigits digits, which no method over amounts reaches, throws std::overflow_error.
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

    bool isNegative() const { return m_negative; }
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

    static constexpr int MaxDigits = 4096;

private:
    // digits: the mantissa's magnitude, most significant first, without leading zeros ("" is 0).
    Decimal(QByteArray digits, bool negative, int scale);
    Decimal withScale(int scale) const; // only for scale >= m_scale

    QByteArray m_digits;
    bool m_negative = false;
    int m_scale = 0;
};
