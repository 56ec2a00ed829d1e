#include "reference/ui/TLinkManForm.h"

#include "reference/RecordValues.h"
#include "reference/ui/ReferenceFields.h"
#include "reference/ui/SheetTransfers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
ManagerRules rules() {
    ManagerRules r;
    r.caption = QStringLiteral("联系人-信息管理");
    r.table = QStringLiteral("联系人");
    r.fields = ReferenceFields::contact();
    r.codeColumn = QStringLiteral("识别码");
    r.loadFromTable = true;
    r.selectAfterChange = ManagerRules::Select::Disabled;
    r.query = ManagerRules::Query::Contacts;
    return r;
}
} // namespace

TLinkManForm::TLinkManForm(QWidget* parent) : RecordManagerForm(rules(), parent) {
    nameEdit = recordFields->lineEdit(QStringLiteral("nameEdit"));
    genderSelector = recordFields->list(QStringLiteral("genderSelector"));
    ageEdit = recordFields->lineEdit(QStringLiteral("ageEdit"));
    ethnicSelector = recordFields->list(QStringLiteral("ethnicSelector"));
    codeEdit = recordFields->lineEdit(QStringLiteral("codeEdit"));
    queryButton = addCommandButton(QStringLiteral("queryButton"), QStringLiteral("查  询"));
    exportButton = addCommandButton(QStringLiteral("exportButton"), QStringLiteral("导出记录"));
    importButton = addCommandButton(QStringLiteral("importButton"), QStringLiteral("导入记录"));
    selectButton = addCommandButton(QStringLiteral("selectButton"), QStringLiteral("选 择"));
    exitButton = addCommandButton(QStringLiteral("exitButton"), QStringLiteral("退  出"));
    addButton = addCommandButton(QStringLiteral("addButton"), QStringLiteral("添加记录"));
    modifyButton = addCommandButton(QStringLiteral("modifyButton"), QStringLiteral("修改记录"));
    deleteButton = addCommandButton(QStringLiteral("deleteButton"), QStringLiteral("删除记录"));
    m_addButton = addButton;
    m_modifyButton = modifyButton;
    m_deleteButton = deleteButton;
    m_selectButton = selectButton;
    connect(queryButton, &QPushButton::clicked, this, &TLinkManForm::queryRecords);
    connect(exportButton, &QPushButton::clicked, this, &TLinkManForm::exportRecords);
    connect(importButton, &QPushButton::clicked, this, &TLinkManForm::importRecords);
    connect(selectButton, &QPushButton::clicked, this, &TLinkManForm::selectRecord);
    connect(exitButton, &QPushButton::clicked, this, &TLinkManForm::exitWindow);
    connect(addButton, &QPushButton::clicked, this, &TLinkManForm::addRecord);
    connect(modifyButton, &QPushButton::clicked, this, &TLinkManForm::modifyRecord);
    connect(deleteButton, &QPushButton::clicked, this, &TLinkManForm::deleteRecord);
}

int TLinkManForm::PickContact(QStringList& values, QStringList& names) {
    setSelectMode(true);
    if (exec() != QDialog::Accepted)
        return 0;
    QStringList fieldNames;
    const QStringList record = storedCurrentRecord(&fieldNames);
    if (record.isEmpty())
        return 0;
    names = fieldNames;
    RecordValues::store(values, record);
    return 1;
}

void TLinkManForm::exportRecords() {
    SheetTransfers::exportContacts(this);
}

void TLinkManForm::importRecords() {
    // The new records are listed and the columns fitted to them.
    if (SheetTransfers::importContacts(this))
        reloadRecords();
}
