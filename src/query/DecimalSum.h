#pragma once

#include <QString>

// An exact sum of decimal texts, for the totals of the history list: amounts are added as the
// decimals they are written as, never through binary floating point.
class DecimalSum {
public:
    // Adds a number written as an optional sign, digits and at most one point, with at least one
    // digit; surrounding blanks are ignored. With wholeOnly no point is allowed. Returns false and
    // adds nothing for any other text, or for more than 20 integer or 12 decimal digits.
    bool add(const QString& text, bool wholeOnly = false);
    bool isZero() const { return m_units == 0; }
    bool isNegative() const { return m_units < 0; }

    // The sum written out exactly, without trailing decimal zeros ("350.5", "7", "-2").
    QString text() const;
    // The sum as a total amount: written exactly when it has at most two decimals, otherwise
    // 0.005 is added and the text cut after two decimals ("1.01" for 1.005).
    QString amountText() const;

private:
    __extension__ typedef __int128 Units;
    static constexpr int kScale = 12; // decimal digits kept
    static QString write(Units units);

    Units m_units = 0; // the sum in units of 10^-12
};
