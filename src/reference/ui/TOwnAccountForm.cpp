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
    Edit1 = CurrentRecord->lineEdit(QStringLiteral("Edit1"));
    Edit2 = CurrentRecord->lineEdit(QStringLiteral("Edit2"));
    Edit3 = CurrentRecord->lineEdit(QStringLiteral("Edit3"));
    Edit4 = CurrentRecord->lineEdit(QStringLiteral("Edit4"));
    Edit5 = CurrentRecord->lineEdit(QStringLiteral("Edit5"));
    Edit6 = CurrentRecord->lineEdit(QStringLiteral("Edit6"));
    Edit7 = CurrentRecord->lineEdit(QStringLiteral("Edit7"));
    SpeedButton1 = addSpeedButton(QStringLiteral("SpeedButton1"), QStringLiteral("添加记录"));
    SpeedButton4 = addSpeedButton(QStringLiteral("SpeedButton4"), QStringLiteral("修改记录"));
    SpeedButton2 = addSpeedButton(QStringLiteral("SpeedButton2"), QStringLiteral("删除记录"));
    SpeedButton3 = addSpeedButton(QStringLiteral("SpeedButton3"), QStringLiteral("退  出"));
    m_addButton = SpeedButton1;
    m_modifyButton = SpeedButton4;
    m_deleteButton = SpeedButton2;
    connect(SpeedButton1, &QPushButton::clicked, this, &TOwnAccountForm::SpeedButton1Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &TOwnAccountForm::SpeedButton4Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TOwnAccountForm::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TOwnAccountForm::SpeedButton3Click);
}
