#pragma once

#include "reference/ui/RecordManagerForm.h"

class QLineEdit;

// "本单位帐户-信息管理": the own unit's bank accounts.
class TOwnAccountForm : public RecordManagerForm {
    Q_OBJECT
public:
    explicit TOwnAccountForm(QWidget* parent = nullptr);

    // 开户名称, 银行帐号, 开户总行, 开户银行, 银行地址(省), 银行地址(市), 银行详细地址
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7;
    QPushButton* SpeedButton1; // "添加记录"
    QPushButton* SpeedButton4; // "修改记录"
    QPushButton* SpeedButton2; // "删除记录"
    QPushButton* SpeedButton3; // "退  出"

    void SpeedButton1Click() { addRecord(); }
    void SpeedButton4Click() { modifyRecord(); }
    void SpeedButton2Click() { deleteRecord(); }
    void SpeedButton3Click() { close(); }
};
