#include "reference/ui/TBussSelectForm.h"

#include "reference/ColumnFit.h"
#include "reference/RecordValues.h"
#include "reference/ui/RecordGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

TBussSelectForm::TBussSelectForm(QWidget* parent) : QDialog(parent) {
    candidateList = RecordGrid::create(this, 18, RecordGridDelegate::Style::Selection, true);
    candidateList->setObjectName(QStringLiteral("candidateList"));
    candidateList->setFont(QFont(QStringLiteral("宋体"), 9));
    candidateList->setShowGrid(true);
    okButton = new QPushButton(QStringLiteral("确 认"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("取 消"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    // The current row is drawn in its own colours; repaint when it moves.
    connect(candidateList, &QTableWidget::currentCellChanged, candidateList->viewport(),
            qOverload<>(&QWidget::update));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(candidateList, 1);
    auto* strip = new QHBoxLayout;
    strip->addStretch();
    strip->addWidget(okButton);
    strip->addWidget(cancelButton);
    layout->addLayout(strip);
    resize(720, 360);
}

int TBussSelectForm::SelectOwnAccount(QStringList& values, QStringList& names) {
    return choose(RecordSearch::Kind::OwnAccount, QStringLiteral("本单位信息选择"), QString(), values, names);
}

int TBussSelectForm::SelectBusinessUnit(const QString& text, QStringList& values, QStringList& names) {
    return choose(RecordSearch::Kind::BusinessUnit, QStringLiteral("业务单位选择"), text, values, names);
}

int TBussSelectForm::SelectContact(const QString& text, QStringList& values, QStringList& names) {
    return choose(RecordSearch::Kind::Contact, QStringLiteral("联系人选择"), text, values, names);
}

int TBussSelectForm::SelectPurpose(const QString& text, QStringList& values, QStringList& names) {
    return choose(RecordSearch::Kind::Purpose, QStringLiteral("票据用途选择"), text, values, names);
}

int TBussSelectForm::choose(RecordSearch::Kind kind, const QString& caption, const QString& text,
                            QStringList& values, QStringList& names) {
    setWindowTitle(caption);
    const RecordSearch::Lookup found = RecordSearch::lookup(kind, text);
    names = found.names;

    RecordGrid::setHeaders(candidateList, found.names);
    candidateList->setRowCount(int(found.candidates.size()));
    for (int r = 0; r < found.candidates.size(); ++r)
        RecordGrid::setRecord(candidateList, r, {-1, found.candidates.at(r)});
    fitColumns();

    if (found.candidates.isEmpty())
        return -1;
    candidateList->setCurrentCell(0, 0);
    if (found.candidates.size() > 1) {
        candidateList->setFocus();
        if (exec() != QDialog::Accepted)
            return -1;
    }
    const int row = candidateList->currentRow();
    if (row < 0)
        return -1;
    RecordValues::store(values, found.candidates.at(row));
    return 1;
}

void TBussSelectForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The grid has its final width only now; the last column takes what the others leave.
    fitColumns();
}

void TBussSelectForm::fitColumns() {
    const QFontMetrics fm(candidateList->font());
    const QList<int> widths = ColumnFit::selectionWidths(
        RecordGrid::allTexts(candidateList), [&fm](const QString& s) { return fm.horizontalAdvance(s); },
        fm.horizontalAdvance(QStringLiteral("中")), candidateList->viewport()->width());
    for (int c = 0; c < widths.size(); ++c)
        candidateList->setColumnWidth(c, widths.at(c));
}
