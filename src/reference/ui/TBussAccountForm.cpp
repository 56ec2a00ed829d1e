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
    unitNameEdit = recordFields->lineEdit(QStringLiteral("unitNameEdit"));
    accountNumberEdit = recordFields->lineEdit(QStringLiteral("accountNumberEdit"));
    bankEdit = recordFields->lineEdit(QStringLiteral("bankEdit"));
    provinceEdit = recordFields->lineEdit(QStringLiteral("provinceEdit"));
    cityEdit = recordFields->lineEdit(QStringLiteral("cityEdit"));
    codeEdit = recordFields->lineEdit(QStringLiteral("codeEdit"));
    queryButton = addCommandButton(QStringLiteral("queryButton"), QStringLiteral("查  询"));
    exportButton = addCommandButton(QStringLiteral("exportButton"), QStringLiteral("导出记录"));
    importButton = addCommandButton(QStringLiteral("importButton"), QStringLiteral("导入记录"));
    selectButton = addCommandButton(QStringLiteral("selectButton"), QStringLiteral("选 择"));
    addButton = addCommandButton(QStringLiteral("addButton"), QStringLiteral("添加记录"));
    modifyButton = addCommandButton(QStringLiteral("modifyButton"), QStringLiteral("修改记录"));
    deleteButton = addCommandButton(QStringLiteral("deleteButton"), QStringLiteral("删除记录"));
    exitButton = addCommandButton(QStringLiteral("exitButton"), QStringLiteral("退  出"));
    m_addButton = addButton;
    m_modifyButton = modifyButton;
    m_deleteButton = deleteButton;
    m_selectButton = selectButton;
    connect(queryButton, &QPushButton::clicked, this, &TBussAccountForm::queryRecords);
    connect(exportButton, &QPushButton::clicked, this, &TBussAccountForm::exportRecords);
    connect(importButton, &QPushButton::clicked, this, &TBussAccountForm::importRecords);
    connect(selectButton, &QPushButton::clicked, this, &TBussAccountForm::selectRecord);
    connect(addButton, &QPushButton::clicked, this, &TBussAccountForm::addRecord);
    connect(modifyButton, &QPushButton::clicked, this, &TBussAccountForm::modifyRecord);
    connect(deleteButton, &QPushButton::clicked, this, &TBussAccountForm::deleteRecord);
    connect(exitButton, &QPushButton::clicked, this, &TBussAccountForm::exitWindow);
}

int TBussAccountForm::PickBusinessUnit(QStringList& values, QStringList& names) {
    setSelectMode(true);
    if (exec() != QDialog::Accepted)
        return 0;
    names.clear();
    for (const QString& f : ReferenceTable(QStringLiteral("业务单位")).fieldNames())
        names << f.trimmed();
    // The edits hold the clicked record: typing in them disables "选 择".
    RecordValues::store(values, recordFields->texts());
    return 1;
}

void TBussAccountForm::exportRecords() {
    SheetTransfers::exportBusinessUnits(this);
}

void TBussAccountForm::importRecords() {
    // The new records are listed and the columns fitted to them.
    if (SheetTransfers::importBusinessUnits(this))
        reloadRecords();
}
