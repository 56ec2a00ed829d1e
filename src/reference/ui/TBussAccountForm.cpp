#include "reference/ui/TBussAccountForm.h"

#include "reference/RecordValues.h"
#include "reference/ReferenceTable.h"
#include "reference/ui/ReferenceFields.h"
#include "reference/ui/SheetTransfers.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
ManagerRules rules() {
    ManagerRules r;
    r.caption = QStringLiteral("往来业务单位帐户-信息管理");
    r.table = QStringLiteral("业务单位");
    r.fields = ReferenceFields::businessUnit();
    r.headers = ReferenceFields::headersOf(r.fields);
    r.codeColumn = QStringLiteral("识别码");
    r.modifyWhenEmpty = true;
    r.selectAfterChange = ManagerRules::Select::Unchanged;
    r.query = ManagerRules::Query::SkipEmptyStored;
    return r;
}
} // namespace

TBussAccountForm::TBussAccountForm(QWidget* parent) : RecordManagerForm(rules(), parent) {
    Edit1 = CurrentRecord->lineEdit(QStringLiteral("Edit1"));
    Edit2 = CurrentRecord->lineEdit(QStringLiteral("Edit2"));
    Edit3 = CurrentRecord->lineEdit(QStringLiteral("Edit3"));
    Edit4 = CurrentRecord->lineEdit(QStringLiteral("Edit4"));
    Edit5 = CurrentRecord->lineEdit(QStringLiteral("Edit5"));
    Edit6 = CurrentRecord->lineEdit(QStringLiteral("Edit6"));
    SpeedButton4 = addSpeedButton(QStringLiteral("SpeedButton4"), QStringLiteral("查  询"));
    SpeedButton6 = addSpeedButton(QStringLiteral("SpeedButton6"), QStringLiteral("导出记录"));
    SpeedButton5 = addSpeedButton(QStringLiteral("SpeedButton5"), QStringLiteral("导入记录"));
    SpeedButton8 = addSpeedButton(QStringLiteral("SpeedButton8"), QStringLiteral("选 择"));
    SpeedButton1 = addSpeedButton(QStringLiteral("SpeedButton1"), QStringLiteral("添加记录"));
    SpeedButton7 = addSpeedButton(QStringLiteral("SpeedButton7"), QStringLiteral("修改记录"));
    SpeedButton2 = addSpeedButton(QStringLiteral("SpeedButton2"), QStringLiteral("删除记录"));
    SpeedButton3 = addSpeedButton(QStringLiteral("SpeedButton3"), QStringLiteral("退  出"));
    m_addButton = SpeedButton1;
    m_modifyButton = SpeedButton7;
    m_deleteButton = SpeedButton2;
    m_selectButton = SpeedButton8;
    connect(SpeedButton4, &QPushButton::clicked, this, &TBussAccountForm::SpeedButton4Click);
    connect(SpeedButton6, &QPushButton::clicked, this, &TBussAccountForm::SpeedButton6Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &TBussAccountForm::SpeedButton5Click);
    connect(SpeedButton8, &QPushButton::clicked, this, &TBussAccountForm::SpeedButton8Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TBussAccountForm::SpeedButton1Click);
    connect(SpeedButton7, &QPushButton::clicked, this, &TBussAccountForm::SpeedButton7Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TBussAccountForm::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TBussAccountForm::SpeedButton3Click);
}

int TBussAccountForm::PickBusinessUnit(QStringList& values, QStringList& names) {
    setSelectMode(true);
    if (exec() != QDialog::Accepted)
        return 0;
    names.clear();
    for (const QString& f : ReferenceTable(QStringLiteral("业务单位")).fieldNames())
        names << f.trimmed();
    // The edits hold the clicked record: typing in them disables "选 择".
    RecordValues::store(values, CurrentRecord->texts());
    return 1;
}

void TBussAccountForm::SpeedButton6Click() {
    SheetTransfers::exportBusinessUnits(this);
}

void TBussAccountForm::SpeedButton5Click() {
    // The new records are listed and the columns fitted to them.
    if (SheetTransfers::importBusinessUnits(this))
        reloadRecords();
}
