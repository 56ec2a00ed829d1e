#pragma once

#include "reference/ui/RecordManagerForm.h"

class QLineEdit;

// "本单位帐户-信息管理": the own unit's bank accounts.
class TOwnAccountForm : public RecordManagerForm {
    Q_OBJECT
public:
    explicit TOwnAccountForm(QWidget* parent = nullptr);

    // 开户名称, 银行帐号, 开户总行, 开户银行, 银行地址(省), 银行地址(市), 银行详细地址
    QLineEdit *accountNameEdit, *accountNumberEdit, *headBankEdit, *bankEdit, *provinceEdit, *cityEdit,
        *addressEdit;
    QPushButton* addButton;    // "添加记录"
    QPushButton* modifyButton; // "修改记录"
    QPushButton* deleteButton; // "删除记录"
    QPushButton* exitButton;   // "退  出"

    void leave() { close(); }
};
