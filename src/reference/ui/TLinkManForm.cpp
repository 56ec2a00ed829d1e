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
    Edit1 = CurrentRecord->lineEdit(QStringLiteral("Edit1"));
    ComboBox1 = CurrentRecord->list(QStringLiteral("ComboBox1"));
    Edit11 = CurrentRecord->lineEdit(QStringLiteral("Edit11"));
    ComboBox2 = CurrentRecord->list(QStringLiteral("ComboBox2"));
    Edit10 = CurrentRecord->lineEdit(QStringLiteral("Edit10"));
    SpeedButton4 = addSpeedButton(QStringLiteral("SpeedButton4"), QStringLiteral("查  询"));
    SpeedButton6 = addSpeedButton(QStringLiteral("SpeedButton6"), QStringLiteral("导出记录"));
    SpeedButton5 = addSpeedButton(QStringLiteral("SpeedButton5"), QStringLiteral("导入记录"));
    SpeedButton8 = addSpeedButton(QStringLiteral("SpeedButton8"), QStringLiteral("选 择"));
    SpeedButton3 = addSpeedButton(QStringLiteral("SpeedButton3"), QStringLiteral("退  出"));
    SpeedButton1 = addSpeedButton(QStringLiteral("SpeedButton1"), QStringLiteral("添加记录"));
    SpeedButton7 = addSpeedButton(QStringLiteral("SpeedButton7"), QStringLiteral("修改记录"));
    SpeedButton2 = addSpeedButton(QStringLiteral("SpeedButton2"), QStringLiteral("删除记录"));
    m_addButton = SpeedButton1;
    m_modifyButton = SpeedButton7;
    m_deleteButton = SpeedButton2;
    m_selectButton = SpeedButton8;
    connect(SpeedButton4, &QPushButton::clicked, this, &TLinkManForm::SpeedButton4Click);
    connect(SpeedButton6, &QPushButton::clicked, this, &TLinkManForm::SpeedButton6Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &TLinkManForm::SpeedButton5Click);
    connect(SpeedButton8, &QPushButton::clicked, this, &TLinkManForm::SpeedButton8Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TLinkManForm::SpeedButton3Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TLinkManForm::SpeedButton1Click);
    connect(SpeedButton7, &QPushButton::clicked, this, &TLinkManForm::SpeedButton7Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TLinkManForm::SpeedButton2Click);
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

void TLinkManForm::SpeedButton6Click() {
    SheetTransfers::exportContacts(this);
}

void TLinkManForm::SpeedButton5Click() {
    // The new records are listed and the columns fitted to them.
    if (SheetTransfers::importContacts(this))
        reloadRecords();
}
