#include "reference/ui/FieldPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <map>

FieldPanel::FieldPanel(const QList<Field>& fields, QWidget* parent)
    : QGroupBox(QStringLiteral("当前记录"), parent), m_fields(fields) {
    setObjectName(QStringLiteral("GroupBox1"));
    for (const Field& f : m_fields) {
        QWidget* w = nullptr;
        switch (f.kind) {
        case Kind::Line: {
            auto* e = new QLineEdit(this);
            connect(e, &QLineEdit::textChanged, this, &FieldPanel::changed);
            w = e;
            break;
        }
        case Kind::Memo: {
            auto* m = new QPlainTextEdit(this);
            m->setLineWrapMode(QPlainTextEdit::NoWrap);
            m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            m->setTabChangesFocus(true);
            m->setFixedHeight(90);
            connect(m, &QPlainTextEdit::textChanged, this, &FieldPanel::changed);
            w = m;
            break;
        }
        case Kind::List: {
            auto* c = new QComboBox(this);
            c->setEditable(false);
            c->addItems(f.entries);
            connect(c, &QComboBox::currentIndexChanged, this, &FieldPanel::changed);
            w = c;
            break;
        }
        }
        w->setObjectName(f.objectName);
        m_controls << w;
    }

    // Blocks side by side; in a block, rows of label + control pairs, the first labels aligned.
    auto* outer = new QHBoxLayout(this);
    std::map<int, std::map<int, QList<int>>> placed;
    for (int i = 0; i < m_fields.size(); ++i)
        placed[m_fields.at(i).block][m_fields.at(i).row] << i;
    for (const auto& [block, rows] : placed) {
        auto* grid = new QGridLayout;
        for (const auto& [row, members] : rows) {
            auto* line = new QHBoxLayout;
            bool first = true;
            for (int i : members) {
                const Field& f = m_fields.at(i);
                if (first) {
                    grid->addWidget(new QLabel(f.label, this), row, 0);
                } else if (!f.label.isEmpty()) {
                    line->addWidget(new QLabel(f.label, this));
                }
                first = false;
                line->addWidget(m_controls.at(i), 1);
                if (!f.trailing.isEmpty())
                    line->addWidget(new QLabel(f.trailing, this));
            }
            grid->addLayout(line, row, 1);
        }
        grid->setColumnStretch(1, 1);
        auto* column = new QVBoxLayout;
        column->addLayout(grid);
        column->addStretch();
        outer->addLayout(column, 1);
    }
}

QStringList FieldPanel::columns() const {
    QStringList out;
    for (const Field& f : m_fields)
        out << f.column;
    return out;
}

QStringList FieldPanel::texts() const {
    QStringList out;
    for (QWidget* w : m_controls) {
        if (auto* e = qobject_cast<QLineEdit*>(w))
            out << e->text();
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
            out << m->toPlainText();
        else if (auto* c = qobject_cast<QComboBox*>(w))
            out << (c->currentIndex() >= 0 ? c->currentText() : QString());
    }
    return out;
}

void FieldPanel::setText(int field, const QString& text) {
    QWidget* w = m_controls.at(field);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        m->setPlainText(text);
    else if (auto* c = qobject_cast<QComboBox*>(w))
        c->setCurrentIndex(c->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void FieldPanel::setTexts(const QStringList& texts) {
    for (int i = 0; i < m_controls.size(); ++i)
        setText(i, texts.value(i));
}

void FieldPanel::reset() {
    for (QWidget* w : m_controls) {
        if (auto* c = qobject_cast<QComboBox*>(w))
            c->setCurrentIndex(c->count() > 0 ? 0 : -1);
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            e->clear();
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
            m->clear();
    }
}

bool FieldPanel::editsEmpty() const {
    for (QWidget* w : m_controls) {
        if (auto* e = qobject_cast<QLineEdit*>(w); e && !e->text().isEmpty())
            return false;
        if (auto* m = qobject_cast<QPlainTextEdit*>(w); m && !m->toPlainText().isEmpty())
            return false;
    }
    return true;
}

void FieldPanel::focusFirst() {
    if (m_controls.isEmpty())
        return;
    QWidget* w = m_controls.first();
    w->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->end(false);
    else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        m->moveCursor(QTextCursor::End);
}

QLineEdit* FieldPanel::lineEdit(const QString& objectName) const {
    return findChild<QLineEdit*>(objectName);
}

QPlainTextEdit* FieldPanel::memo(const QString& objectName) const {
    return findChild<QPlainTextEdit*>(objectName);
}

QComboBox* FieldPanel::list(const QString& objectName) const {
    return findChild<QComboBox*>(objectName);
}
