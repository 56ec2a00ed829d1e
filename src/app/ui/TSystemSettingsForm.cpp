#include "app/ui/TSystemSettingsForm.h"

#include "platform/Settings.h"
#include "platform/ui/Prompter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TSystemSettingsForm::TSystemSettingsForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("系统设置"));
    auto* layout = new QVBoxLayout(this);
    confirmPrintBox = new QCheckBox(QStringLiteral("打印后确认票据是否已正确打印"), this);
    confirmPrintBox->setChecked(Settings::confirmAfterPrint());
    auto* hint = new QLabel(QStringLiteral("选中后，每次打印完成时询问“票据是否已正确打印？”，\n"
                                           "回答“否”时不保存打印记录，自动编号也不增加。"),
                            this);
    hint->setEnabled(false);
    layout->addWidget(confirmPrintBox);
    layout->addWidget(hint);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 定"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        saveSettings();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TSystemSettingsForm::saveSettings() {
    if (!Settings::setConfirmAfterPrint(confirmPrintBox->isChecked()))
        Prompter::instance().error(this, QStringLiteral("设置无法保存：%1").arg(Settings::file()));
}
