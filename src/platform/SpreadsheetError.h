#pragma once

#include <QString>

#include <stdexcept>

// A workbook that cannot be read or written (missing, unreadable, damaged, not a workbook, or a
// folder that cannot be written). The message is for the operator.
class SpreadsheetError : public std::runtime_error {
public:
    explicit SpreadsheetError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
