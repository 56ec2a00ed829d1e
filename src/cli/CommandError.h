#pragma once

#include <QString>

#include <stdexcept>

// Ends a command: wrong usage (exit code 2, with a hint at --help) or a failure of the work
// (exit code 1). The message is the operator's, in Chinese, naming the file, row or bill.
class CommandError : public std::runtime_error {
public:
    enum Kind { Usage = 2, Failure = 1 };
    CommandError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message) {}
    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }

    static CommandError usage(const QString& message) { return {Usage, message}; }
    static CommandError failure(const QString& message) { return {Failure, message}; }

private:
    Kind m_kind;
    QString m_message;
};
