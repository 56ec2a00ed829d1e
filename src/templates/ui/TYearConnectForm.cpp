#include "templates/ui/TYearConnectForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TYearConnectForm::TYearConnectForm(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    ComboBox1 = new QComboBox(this);
    ComboBox2 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(ComboBox2, 1, 1);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 认"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TYearConnectForm::ComboBox1Change);
    resize(360, 130);
}

void TYearConnectForm::setLists(const QStringList& first, std::function<QStringList(const QString&)> second) {
    m_second = std::move(second);
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItems(first);
    ComboBox1->setCurrentIndex(first.isEmpty() ? -1 : 0);
}

void TYearConnectForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ComboBox1Change();
}

void TYearConnectForm::ComboBox1Change() {
    ComboBox2->clear();
    if (m_second)
        ComboBox2->addItems(m_second(ComboBox1->currentText()));
    ComboBox2->setCurrentIndex(ComboBox2->count() > 0 ? 0 : -1);
}

QString TYearConnectForm::relation() const {
    return ComboBox1->currentText() + QLatin1Char('-') + ComboBox2->currentText();
}
