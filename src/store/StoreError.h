#pragma once

#include <QString>

#include <stdexcept>

// A failure of the store (a table that cannot be opened, created or written, a locked file, a
// missing column). Windows show its message; the operation stops where it failed.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
