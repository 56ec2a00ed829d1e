#include "reference/ui/TOwnAccountForm.h"

#include "reference/ui/ReferenceFields.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
ManagerRules rules() {
    ManagerRules r;
    r.caption = QStringLiteral("本单位帐户-信息管理");
    r.table = QStringLiteral("本单位帐户");
    r.fields = ReferenceFields::ownAccount();
    r.headers = ReferenceFields::headersOf(r.fields);
    return r;
}
} // namespace

TOwnAccountForm::TOwnAccountForm(QWidget* parent) : RecordManagerForm(rules(), parent) {
    accountNameEdit = recordFields->lineEdit(QStringLiteral("accountNameEdit"));
    accountNumberEdit = recordFields->lineEdit(QStringLiteral("accountNumberEdit"));
    headBankEdit = recordFields->lineEdit(QStringLiteral("headBankEdit"));
    bankEdit = recordFields->lineEdit(QStringLiteral("bankEdit"));
    provinceEdit = recordFields->lineEdit(QStringLiteral("provinceEdit"));
    cityEdit = recordFields->lineEdit(QStringLiteral("cityEdit"));
    addressEdit = recordFields->lineEdit(QStringLiteral("addressEdit"));
    addButton = addCommandButton(QStringLiteral("addButton"), QStringLiteral("添加记录"));
    modifyButton = addCommandButton(QStringLiteral("modifyButton"), QStringLiteral("修改记录"));
    deleteButton = addCommandButton(QStringLiteral("deleteButton"), QStringLiteral("删除记录"));
    exitButton = addCommandButton(QStringLiteral("exitButton"), QStringLiteral("退  出"));
    m_addButton = addButton;
    m_modifyButton = modifyButton;
    m_deleteButton = deleteButton;
    connect(addButton, &QPushButton::clicked, this, &TOwnAccountForm::addRecord);
    connect(modifyButton, &QPushButton::clicked, this, &TOwnAccountForm::modifyRecord);
    connect(deleteButton, &QPushButton::clicked, this, &TOwnAccountForm::deleteRecord);
    connect(exitButton, &QPushButton::clicked, this, &TOwnAccountForm::leave);
}
