#include "reference/ui/TPurposeForm.h"

#include "reference/RecordValues.h"
#include "reference/ui/ReferenceFields.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
ManagerRules rules() {
    ManagerRules r;
    r.caption = QStringLiteral("用途-信息管理");
    r.table = QStringLiteral("票据用途");
    r.fields = ReferenceFields::purpose();
    r.headers = {QStringLiteral("用  途"), QStringLiteral("识别码")};
    r.centredHeader = true;
    r.padded = false;
    r.codeColumn = QStringLiteral("识别码");
    r.loadFromTable = true;
    r.selectAfterChange = ManagerRules::Select::Enabled;
    r.query = ManagerRules::Query::Strict;
    return r;
}
} // namespace

TPurposeForm::TPurposeForm(QWidget* parent) : RecordManagerForm(rules(), parent) {
    purposeEditor = recordFields->memo(QStringLiteral("purposeEditor"));
    codeEdit = recordFields->lineEdit(QStringLiteral("codeEdit"));
    queryButton = addCommandButton(QStringLiteral("queryButton"), QStringLiteral("查  询"));
    selectButton = addCommandButton(QStringLiteral("selectButton"), QStringLiteral("选 择"));
    addButton = addCommandButton(QStringLiteral("addButton"), QStringLiteral("添加记录"));
    modifyButton = addCommandButton(QStringLiteral("modifyButton"), QStringLiteral("修改记录"));
    deleteButton = addCommandButton(QStringLiteral("deleteButton"), QStringLiteral("删除记录"));
    exitButton = addCommandButton(QStringLiteral("exitButton"), QStringLiteral("退  出"));
    m_addButton = addButton;
    m_modifyButton = modifyButton;
    m_deleteButton = deleteButton;
    m_selectButton = selectButton;
    connect(queryButton, &QPushButton::clicked, this, &TPurposeForm::queryRecords);
    connect(selectButton, &QPushButton::clicked, this, &TPurposeForm::selectRecord);
    connect(addButton, &QPushButton::clicked, this, &TPurposeForm::addRecord);
    connect(modifyButton, &QPushButton::clicked, this, &TPurposeForm::modifyRecord);
    connect(deleteButton, &QPushButton::clicked, this, &TPurposeForm::deleteRecord);
    connect(exitButton, &QPushButton::clicked, this, &TPurposeForm::exitWindow);
}

int TPurposeForm::PickPurpose(const QString& text, QStringList& values, QStringList& names) {
    Q_UNUSED(text);
    setSelectMode(true);
    if (exec() != QDialog::Accepted)
        return 0;
    names = QStringList{QStringLiteral("用途"), QStringLiteral("识别码")};
    RecordValues::store(values, recordFields->texts());
    return 1;
}
