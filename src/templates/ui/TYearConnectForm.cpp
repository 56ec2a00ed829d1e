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
    firstLabel = new QLabel(this);
    secondLabel = new QLabel(this);
    firstSelector = new QComboBox(this);
    secondSelector = new QComboBox(this);
    firstSelector->setObjectName(QStringLiteral("firstSelector"));
    secondSelector->setObjectName(QStringLiteral("secondSelector"));
    grid->addWidget(firstLabel, 0, 0);
    grid->addWidget(firstSelector, 0, 1);
    grid->addWidget(secondLabel, 1, 0);
    grid->addWidget(secondSelector, 1, 1);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 认"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(firstSelector, &QComboBox::currentIndexChanged, this, &TYearConnectForm::fillSecondList);
    resize(360, 130);
}

void TYearConnectForm::setLists(const QStringList& first, std::function<QStringList(const QString&)> second) {
    m_second = std::move(second);
    const QSignalBlocker block(firstSelector);
    firstSelector->clear();
    firstSelector->addItems(first);
    firstSelector->setCurrentIndex(first.isEmpty() ? -1 : 0);
}

void TYearConnectForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fillSecondList();
}

void TYearConnectForm::fillSecondList() {
    secondSelector->clear();
    if (m_second)
        secondSelector->addItems(m_second(firstSelector->currentText()));
    secondSelector->setCurrentIndex(secondSelector->count() > 0 ? 0 : -1);
}

QString TYearConnectForm::relation() const {
    return firstSelector->currentText() + QLatin1Char('-') + secondSelector->currentText();
}
