#pragma once

#include "reference/ui/RecordManagerForm.h"

class QLineEdit;

// "往来业务单位帐户-信息管理": the business units (counterparties) and their bank accounts.
class TBussAccountForm : public RecordManagerForm {
    Q_OBJECT
public:
    explicit TBussAccountForm(QWidget* parent = nullptr);

    // 单位名称, 银行帐号, 开户银行, 银行地址(省), 银行地址(市), 识别码
    QLineEdit *unitNameEdit, *accountNumberEdit, *bankEdit, *provinceEdit, *cityEdit, *codeEdit;
    QPushButton* queryButton;  // "查  询"
    QPushButton* exportButton; // "导出记录"
    QPushButton* importButton; // "导入记录"
    QPushButton* selectButton; // "选 择"
    QPushButton* addButton;    // "添加记录"
    QPushButton* modifyButton; // "修改记录"
    QPushButton* deleteButton; // "删除记录"
    QPushButton* exitButton;   // "退  出"

    // Shows the window to pick a business unit. 1 when one was chosen: names holds the table's
    // column names after the key, values[0..5] the six edits' texts. 0 when the window was left
    // otherwise; both lists are then untouched. Store failures throw StoreError.
    int PickBusinessUnit(QStringList& values, QStringList& names);

    void exportRecords(); // export to a spreadsheet
    void importRecords(); // import from a spreadsheet
};
