#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Tests every change an operator makes to a text field against a rule, and puts back the text and
// caret from before the key when the change breaks it, without a message. Changes made without a
// key (pasting from the context menu) are judged as made by no key at all.
class TypingGuard : public QObject {
    Q_OBJECT
public:
    struct Key {
        int code = 0;        // Qt::Key, 0 for a change without a key
        QString text;        // the typed character
        bool keypad = false; // typed on the numeric keypad

        bool isDigit() const;
        // Backspace or Delete: a key that only removes.
        bool isBackspace() const;
        bool is(char c) const { return text == QLatin1Char(c); }
    };
    // Whether the change from before to after, made by the key, may stand.
    using Rule = std::function<bool(const Key& key, const QString& before, const QString& after)>;

    TypingGuard(QLineEdit* edit, QObject* parent);
    TypingGuard(QPlainTextEdit* edit, QObject* parent);

    // No rule accepts every change.
    void setRule(Rule rule) { m_rule = std::move(rule); }
    // Sets the text without judging it; the caret goes to its end.
    void setText(const QString& text);
    QString text() const;
    // A key was typed since the last setText().
    bool typed() const { return m_typed; }
    const Key& lastKey() const { return m_key; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void changed();
    int caret() const;
    void restore();

    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_plain = nullptr;
    Rule m_rule;
    Key m_key;
    QString m_before;
    int m_caretBefore = 0;
    bool m_pending = false; // a key press waits for the change it makes
    bool m_typed = false;
    bool m_quiet = false; // the text is being set by the program
};
