#include "issuing/CalcMethod.h"

namespace {
bool isOperator(QChar c) {
    return c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('*');
}

CalculationError notANumber(const QString& text) {
    return CalculationError(QStringLiteral("“%1”不是有效的数值").arg(text));
}

CalculationError tooLarge() {
    return CalculationError(QStringLiteral("计算结果超出了可以计算的范围"));
}

Decimal number(const QString& text) {
    const std::optional<Decimal> d = Decimal::parse(text);
    if (!d)
        throw notANumber(text);
    return *d;
}
} // namespace

Decimal EvaluateMethod(const QString& method, const std::function<QString(const QString&)>& valueOf) {
    int i = 0;
    while (i < method.size() && (isOperator(method.at(i)) || method.at(i) == QLatin1Char('.')))
        ++i;

    try {
        Decimal total;
        Decimal term;
        bool termOpen = false; // an operand of the current term has been read
        bool negative = false; // sign of the current term
        bool expectOperand = true;
        auto closeTerm = [&] {
            if (termOpen)
                total = negative ? total - term : total + term;
            termOpen = false;
        };
        auto operand = [&](const Decimal& value) {
            term = termOpen ? term * value : value;
            termOpen = true;
            expectOperand = false;
        };

        while (i < method.size()) {
            const QChar c = method.at(i);
            if (c.isSpace()) {
                ++i;
            } else if (isOperator(c)) {
                ++i;
                if (expectOperand) {
                    // A second operator in a row only turns the sign of a new term.
                    if (!termOpen && c == QLatin1Char('-'))
                        negative = !negative;
                    continue;
                }
                if (c != QLatin1Char('*')) {
                    closeTerm();
                    negative = c == QLatin1Char('-');
                }
                expectOperand = true;
            } else if (c == QLatin1Char('[')) {
                const int end = method.indexOf(QLatin1Char(']'), i + 1);
                const QString name = method.mid(i + 1, end < 0 ? -1 : end - i - 1);
                i = end < 0 ? method.size() : end + 1;
                const QString value = valueOf(name);
                operand(value.trimmed().isEmpty() ? Decimal() : number(value));
            } else {
                // A number takes digits and points; other characters in it are skipped.
                QString digits;
                const int start = i;
                while (i < method.size() && !isOperator(method.at(i)) && method.at(i) != QLatin1Char('[')) {
                    const QChar d = method.at(i);
                    if ((d >= QLatin1Char('0') && d <= QLatin1Char('9')) || d == QLatin1Char('.'))
                        digits += d;
                    ++i;
                }
                if (digits.isEmpty() && method.mid(start, i - start).trimmed().isEmpty())
                    continue;
                operand(number(digits.isEmpty() ? method.mid(start, i - start).trimmed() : digits));
            }
        }
        closeTerm();
        return total;
    } catch (const std::overflow_error&) {
        throw tooLarge();
    }
}

std::optional<QString> MethodResultText(const Decimal& total, ItemType type) {
    switch (type) {
    case ItemType::AmountCapital:
    case ItemType::AmountFigures:
    case ItemType::AmountGrid: {
        const bool cut = total.significantPlaces() > 2;
        const Decimal amount = cut ? total.rounded(2) : total;
        if (amount.isNegative() || amount.integerDigits().size() > 11)
            return std::nullopt;
        return cut ? amount.toFixed(2) : amount.toString();
    }
    case ItemType::DigitGrid:
    case ItemType::Quantity:
        if (total.isNegative())
            return std::nullopt;
        return total.integerDigits();
    default:
        return std::nullopt;
    }
}
