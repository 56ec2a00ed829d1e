#pragma once

#include <QString>

#include <stdexcept>

// A template value that cannot be used: a font size or a length that is not a number. Windows
// show its message; the operation stops where it failed.
class TemplateError : public std::runtime_error {
public:
    explicit TemplateError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

    // The message for a text that should have been an integer.
    static TemplateError notAnInteger(const QString& text) {
        return TemplateError(QStringLiteral("“%1”不是有效的整数值").arg(text));
    }

private:
    QString m_message;
};
