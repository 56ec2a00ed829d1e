#include "app/ui/TStringInputForm.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

TStringInputForm::TStringInputForm(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Edit1 = new QLineEdit(this);
    Edit1->installEventFilter(this);
    // Pasted text must not bring a "-" in either.
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (m_name && t.contains(QLatin1Char('-'))) {
            const int pos = Edit1->cursorPosition();
            QString cleaned = t;
            cleaned.remove(QLatin1Char('-'));
            Edit1->setText(cleaned);
            Edit1->setCursorPosition(std::min<int>(pos, cleaned.size()));
        }
    });
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 认"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TStringInputForm::BitBtn1Click);
    connect(cancel, &QPushButton::clicked, this, &TStringInputForm::BitBtn2Click);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
    resize(320, 120);
}

void TStringInputForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // After the focus arrived (which selects all), put the caret after the last character.
    Edit1->setFocus();
    QTimer::singleShot(0, this, [this] {
        Edit1->deselect();
        Edit1->setCursorPosition(Edit1->text().size());
    });
}

bool TStringInputForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_name && key->text() == QLatin1String("-"))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TStringInputForm::BitBtn1Click() {
    accept();
}
void TStringInputForm::BitBtn2Click() {
    reject();
}

std::optional<QString> TStringInputForm::ask(QWidget* parent, const QString& caption, const QString& label,
                                             const QString& initial, Text text) {
    TStringInputForm form(parent);
    form.m_name = text == Text::Name;
    form.setWindowTitle(caption);
    form.Label1->setText(label);
    form.Edit1->setText(initial);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.Edit1->text();
}
