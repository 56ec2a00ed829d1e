#pragma once

#include "issuing/Decimal.h"
#include "templates/ItemType.h"

#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

// A calculation that cannot go on: an operand that is not a number, a result too large to hold,
// or a result that cannot be stored in its item. Windows show its message.
class CalculationError : public std::runtime_error {
public:
    explicit CalculationError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Evaluates a calculation method: operands are item names in square brackets or numbers, joined by
// "+", "-" and "*", products before sums. Signs and points at the start are ignored, so an empty
// remainder is 0. valueOf gives the value of a named item; an empty value counts as 0. Throws
// CalculationError when an operand is not a number.
Decimal EvaluateMethod(const QString& method, const std::function<QString(const QString&)>& valueOf);

// The stored text of a result in an item of the given kind: amounts with at most two decimals
// (rounded half up), digit grids and quantities with the digits before the point. Nothing when
// the result is negative or an amount has more than 11 integer digits, or for a kind that takes
// no method.
std::optional<QString> MethodResultText(const Decimal& total, ItemType type);
