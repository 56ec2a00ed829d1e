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
    Memo1 = CurrentRecord->memo(QStringLiteral("Memo1"));
    Edit1 = CurrentRecord->lineEdit(QStringLiteral("Edit1"));
    SpeedButton4 = addSpeedButton(QStringLiteral("SpeedButton4"), QStringLiteral("查  询"));
    SpeedButton6 = addSpeedButton(QStringLiteral("SpeedButton6"), QStringLiteral("选 择"));
    SpeedButton1 = addSpeedButton(QStringLiteral("SpeedButton1"), QStringLiteral("添加记录"));
    SpeedButton5 = addSpeedButton(QStringLiteral("SpeedButton5"), QStringLiteral("修改记录"));
    SpeedButton2 = addSpeedButton(QStringLiteral("SpeedButton2"), QStringLiteral("删除记录"));
    SpeedButton3 = addSpeedButton(QStringLiteral("SpeedButton3"), QStringLiteral("退  出"));
    m_addButton = SpeedButton1;
    m_modifyButton = SpeedButton5;
    m_deleteButton = SpeedButton2;
    m_selectButton = SpeedButton6;
    connect(SpeedButton4, &QPushButton::clicked, this, &TPurposeForm::SpeedButton4Click);
    connect(SpeedButton6, &QPushButton::clicked, this, &TPurposeForm::SpeedButton6Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TPurposeForm::SpeedButton1Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &TPurposeForm::SpeedButton5Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TPurposeForm::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TPurposeForm::SpeedButton3Click);
}

int TPurposeForm::PickPurpose(const QString& text, QStringList& values, QStringList& names) {
    Q_UNUSED(text);
    setSelectMode(true);
    if (exec() != QDialog::Accepted)
        return 0;
    names = QStringList{QStringLiteral("用途"), QStringLiteral("识别码")};
    RecordValues::store(values, CurrentRecord->texts());
    return 1;
}
