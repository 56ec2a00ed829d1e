#pragma once

#include "reference/ui/RecordManagerForm.h"

class QComboBox;
class QLineEdit;

// "联系人-信息管理": the contacts printed on bills. The grid shows every column of the table.
class TLinkManForm : public RecordManagerForm {
    Q_OBJECT
public:
    explicit TLinkManForm(QWidget* parent = nullptr);

    QLineEdit* nameEdit;       // 姓名
    QComboBox* genderSelector; // 性别
    QLineEdit* ageEdit;        // 年龄
    QComboBox* ethnicSelector; // 民族
    QLineEdit* codeEdit;       // 识别码
    QPushButton* queryButton;  // "查  询"
    QPushButton* exportButton; // "导出记录"
    QPushButton* importButton; // "导入记录"
    QPushButton* selectButton; // "选 择"
    QPushButton* exitButton;   // "退  出"
    QPushButton* addButton;    // "添加记录"
    QPushButton* modifyButton; // "修改记录"
    QPushButton* deleteButton; // "删除记录"

    // Shows the window to pick a contact. 1 when one was chosen: names holds the table's column
    // names after the key, values[0..] the chosen record's texts as stored; 0 otherwise, both lists
    // untouched. Store failures throw StoreError (TableChangedError when the record moved).
    int PickContact(QStringList& values, QStringList& names);

    void exportRecords(); // export to a spreadsheet
    void importRecords(); // import from a spreadsheet
};
