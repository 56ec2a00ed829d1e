#include "reference/ui/TInfoShowForm.h"

#include "reference/ui/RecordGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TInfoShowForm::TInfoShowForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("查询结果"));
    recordList = RecordGrid::create(this, 20, RecordGridDelegate::Style::Manager, false);
    recordList->setBackgroundRole(QPalette::Button);
    recordList->viewport()->setBackgroundRole(QPalette::Button);
    exitButton = new QPushButton(QStringLiteral("退  出"), this);
    exitButton->setObjectName(QStringLiteral("exitButton"));
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(recordList, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(exitButton);
    layout->addLayout(bottom);
    resize(760, 420);
}

void TInfoShowForm::setRecords(const QStringList& headers, const QList<QStringList>& rows) {
    RecordGrid::setHeaders(recordList, headers);
    QList<StoredRecord> records;
    for (const QStringList& r : rows)
        records.append({-1, r});
    RecordGrid::setRecords(recordList, records);
}

void TInfoShowForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RecordGrid::fitColumns(recordList, RecordGrid::chinaPad(recordList));
    recordList->setCurrentCell(0, 0);
}
