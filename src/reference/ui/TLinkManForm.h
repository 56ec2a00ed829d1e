#pragma once

#include "reference/ui/RecordManagerForm.h"

class QComboBox;
class QLineEdit;

// "联系人-信息管理": the contacts printed on bills. The grid shows every column of the table.
class TLinkManForm : public RecordManagerForm {
    Q_OBJECT
public:
    explicit TLinkManForm(QWidget* parent = nullptr);

    QLineEdit* Edit1;          // 姓名
    QComboBox* ComboBox1;      // 性别
    QLineEdit* Edit11;         // 年龄
    QComboBox* ComboBox2;      // 民族
    QLineEdit* Edit10;         // 识别码
    QPushButton* SpeedButton4; // "查  询"
    QPushButton* SpeedButton6; // "导出记录"
    QPushButton* SpeedButton5; // "导入记录"
    QPushButton* SpeedButton8; // "选 择"
    QPushButton* SpeedButton3; // "退  出"
    QPushButton* SpeedButton1; // "添加记录"
    QPushButton* SpeedButton7; // "修改记录"
    QPushButton* SpeedButton2; // "删除记录"

    // Shows the window to pick a contact. 1 when one was chosen: names holds the table's column
    // names after the key, values[0..] the chosen record's texts as stored; 0 otherwise, both lists
    // untouched. Store failures throw StoreError (TableChangedError when the record moved).
    int PickContact(QStringList& values, QStringList& names);

    void SpeedButton4Click() { queryRecords(); }
    void SpeedButton6Click(); // export to a spreadsheet
    void SpeedButton5Click(); // import from a spreadsheet
    void SpeedButton8Click() { selectRecord(); }
    void SpeedButton3Click() { exitWindow(); }
    void SpeedButton1Click() { addRecord(); }
    void SpeedButton7Click() { modifyRecord(); }
    void SpeedButton2Click() { deleteRecord(); }
};
