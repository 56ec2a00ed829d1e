#pragma once

#include "reference/ui/RecordManagerForm.h"

class QLineEdit;

// "往来业务单位帐户-信息管理": the business units (counterparties) and their bank accounts.
class TBussAccountForm : public RecordManagerForm {
    Q_OBJECT
public:
    explicit TBussAccountForm(QWidget* parent = nullptr);

    // 单位名称, 银行帐号, 开户银行, 银行地址(省), 银行地址(市), 识别码
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6;
    QPushButton* SpeedButton4; // "查  询"
    QPushButton* SpeedButton6; // "导出记录"
    QPushButton* SpeedButton5; // "导入记录"
    QPushButton* SpeedButton8; // "选 择"
    QPushButton* SpeedButton1; // "添加记录"
    QPushButton* SpeedButton7; // "修改记录"
    QPushButton* SpeedButton2; // "删除记录"
    QPushButton* SpeedButton3; // "退  出"

    // Shows the window to pick a business unit. 1 when one was chosen: names holds the table's
    // column names after the key, values[0..5] the six edits' texts. 0 when the window was left
    // otherwise; both lists are then untouched. Store failures throw StoreError.
    int PickBusinessUnit(QStringList& values, QStringList& names);

    void SpeedButton4Click() { queryRecords(); }
    void SpeedButton6Click(); // export to a spreadsheet
    void SpeedButton5Click(); // import from a spreadsheet
    void SpeedButton8Click() { selectRecord(); }
    void SpeedButton1Click() { addRecord(); }
    void SpeedButton7Click() { modifyRecord(); }
    void SpeedButton2Click() { deleteRecord(); }
    void SpeedButton3Click() { exitWindow(); }
};
