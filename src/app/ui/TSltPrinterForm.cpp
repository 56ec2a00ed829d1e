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
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(false);
    ComboBox1->setMinimumWidth(300);
    layout->addWidget(ComboBox1);
    CheckBox1 = new QCheckBox(QStringLiteral("设置为默认打印机 "), this);
    layout->addWidget(CheckBox1);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 认"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TSltPrinterForm::BitBtn1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

void TSltPrinterForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TSltPrinterForm::FormShow() {
    CheckBox1->setChecked(true);
}

void TSltPrinterForm::BitBtn1Click() {
    if (CheckBox1->isChecked() && ComboBox1->currentIndex() >= 0)
        Settings::setValue(QStringLiteral("Printer"), ComboBox1->currentText());
    accept();
}

std::optional<QString> TSltPrinterForm::choose(const QStringList& printers) {
    ComboBox1->clear();
    ComboBox1->addItems(printers);
    ComboBox1->setCurrentIndex(printers.isEmpty() ? -1 : 0);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return ComboBox1->currentText();
}
