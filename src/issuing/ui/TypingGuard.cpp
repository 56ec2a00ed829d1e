#include "issuing/ui/TypingGuard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

bool TypingGuard::Key::isDigit() const {
    return text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
}

bool TypingGuard::Key::isBackspace() const {
    return code == Qt::Key_Backspace || code == Qt::Key_Delete;
}

TypingGuard::TypingGuard(QLineEdit* edit, QObject* parent) : QObject(parent), m_line(edit) {
    m_line->installEventFilter(this);
    m_before = m_line->text();
    connect(m_line, &QLineEdit::textEdited, this, [this] { changed(); });
}

TypingGuard::TypingGuard(QPlainTextEdit* edit, QObject* parent) : QObject(parent), m_plain(edit) {
    m_plain->installEventFilter(this);
    m_before = m_plain->toPlainText();
    connect(m_plain, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_quiet)
            changed();
    });
}

QString TypingGuard::text() const {
    return m_line ? m_line->text() : m_plain->toPlainText();
}

int TypingGuard::caret() const {
    return m_line ? m_line->cursorPosition() : m_plain->textCursor().position();
}

void TypingGuard::setText(const QString& text) {
    m_quiet = true;
    if (m_line) {
        m_line->setText(text);
        m_line->setCursorPosition(int(text.size()));
    } else {
        m_plain->setPlainText(text);
        m_plain->moveCursor(QTextCursor::End);
    }
    m_quiet = false;
    m_before = text;
    m_caretBefore = int(text.size());
    m_pending = false;
    m_typed = false;
    m_key = Key();
}

bool TypingGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        m_key = Key{key->key(), key->text(), key->modifiers().testFlag(Qt::KeypadModifier)};
        m_before = text();
        m_caretBefore = caret();
        m_pending = true;
        m_typed = true;
    }
    return QObject::eventFilter(watched, event);
}

void TypingGuard::changed() {
    const Key key = m_pending ? m_key : Key();
    m_pending = false;
    const QString after = text();
    if (!m_rule || m_rule(key, m_before, after)) {
        m_before = after;
        m_caretBefore = caret();
        return;
    }
    restore();
}

void TypingGuard::restore() {
    m_quiet = true;
    if (m_line) {
        m_line->setText(m_before);
        m_line->setCursorPosition(m_caretBefore);
    } else {
        m_plain->setPlainText(m_before);
        QTextCursor c = m_plain->textCursor();
        c.setPosition(std::min<int>(m_caretBefore, int(m_before.size())));
        m_plain->setTextCursor(c);
    }
    m_quiet = false;
}
