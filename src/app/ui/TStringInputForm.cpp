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
    promptLabel = new QLabel(this);
    textEdit = new QLineEdit(this);
    textEdit->installEventFilter(this);
    // Pasted text must not bring a "-" in either.
    connect(textEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (m_name && t.contains(QLatin1Char('-'))) {
            const int pos = textEdit->cursorPosition();
            QString cleaned = t;
            cleaned.remove(QLatin1Char('-'));
            textEdit->setText(cleaned);
            textEdit->setCursorPosition(std::min<int>(pos, cleaned.size()));
        }
    });
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 认"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TStringInputForm::confirm);
    connect(cancel, &QPushButton::clicked, this, &TStringInputForm::cancel);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addWidget(promptLabel);
    layout->addWidget(textEdit);
    layout->addLayout(buttons);
    resize(320, 120);
}

void TStringInputForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // After the focus arrived (which selects all), put the caret after the last character.
    textEdit->setFocus();
    QTimer::singleShot(0, this, [this] {
        textEdit->deselect();
        textEdit->setCursorPosition(textEdit->text().size());
    });
}

bool TStringInputForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == textEdit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_name && key->text() == QLatin1String("-"))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TStringInputForm::confirm() {
    accept();
}
void TStringInputForm::cancel() {
    reject();
}

std::optional<QString> TStringInputForm::ask(QWidget* parent, const QString& caption, const QString& label,
                                             const QString& initial, Text text) {
    TStringInputForm form(parent);
    form.m_name = text == Text::Name;
    form.setWindowTitle(caption);
    form.promptLabel->setText(label);
    form.textEdit->setText(initial);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.textEdit->text();
}
