#include "app/ui/TSltPrinterForm.h"

#include "platform/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TSltPrinterForm::TSltPrinterForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("选择打印机"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("可选择的打印机"), this));
    printerSelector = new QComboBox(this);
    printerSelector->setEditable(false);
    printerSelector->setMinimumWidth(300);
    layout->addWidget(printerSelector);
    makeDefaultCheck = new QCheckBox(QStringLiteral("设置为默认打印机 "), this);
    layout->addWidget(makeDefaultCheck);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 认"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TSltPrinterForm::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

void TSltPrinterForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    tickMakeDefault();
}

void TSltPrinterForm::tickMakeDefault() {
    makeDefaultCheck->setChecked(true);
}

void TSltPrinterForm::confirm() {
    if (makeDefaultCheck->isChecked() && printerSelector->currentIndex() >= 0)
        Settings::setValue(QStringLiteral("Printer"), printerSelector->currentText());
    accept();
}

std::optional<QString> TSltPrinterForm::choose(const QStringList& printers) {
    printerSelector->clear();
    printerSelector->addItems(printers);
    printerSelector->setCurrentIndex(printers.isEmpty() ? -1 : 0);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return printerSelector->currentText();
}
