#include "issuing/ui/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        // The field keeps the focus while the arrows are used.
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->setFixedWidth(16);
        layout->addWidget(b);
    }
    setFixedWidth(16);
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::setAssociate(QLineEdit* edit) {
    m_edit = edit;
}

void UpDown::setRange(int minimum, int maximum) {
    m_min = minimum;
    m_max = std::max(minimum, maximum);
    m_position = std::clamp(m_position, m_min, m_max);
}

int UpDown::position() const {
    if (m_edit) {
        bool ok = false;
        const int typed = m_edit->text().trimmed().toInt(&ok);
        if (ok && typed >= m_min && typed <= m_max)
            return typed;
    }
    return m_position;
}

void UpDown::setPosition(int position) {
    m_position = std::clamp(position, m_min, m_max);
    if (m_edit)
        m_edit->setText(QString::number(m_position));
}

void UpDown::stepBy(int steps) {
    int next = position() + steps;
    if (m_wrap) {
        const int span = m_max - m_min + 1;
        next = m_min + ((next - m_min) % span + span) % span;
    }
    setPosition(next);
}
