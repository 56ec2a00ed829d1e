#pragma once

#include "reference/ui/RecordManagerForm.h"

class QLineEdit;
class QPlainTextEdit;

// "用途-信息管理": the payment purposes.
class TPurposeForm : public RecordManagerForm {
    Q_OBJECT
public:
    explicit TPurposeForm(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;     // 用途, may span several lines
    QLineEdit* Edit1;          // 识别码
    QPushButton* SpeedButton4; // "查  询"
    QPushButton* SpeedButton6; // "选 择"
    QPushButton* SpeedButton1; // "添加记录"
    QPushButton* SpeedButton5; // "修改记录"
    QPushButton* SpeedButton2; // "删除记录"
    QPushButton* SpeedButton3; // "退  出"

    // Shows the window to pick a purpose (text is not used). 1 when one was chosen: names holds
    // "用途", "识别码" and values[0..1] the memo's and the code edit's texts; 0 otherwise, both lists
    // untouched.
    int PickPurpose(const QString& text, QStringList& values, QStringList& names);

    void SpeedButton4Click() { queryRecords(); }
    void SpeedButton6Click() { selectRecord(); }
    void SpeedButton1Click() { addRecord(); }
    void SpeedButton5Click() { modifyRecord(); }
    void SpeedButton2Click() { deleteRecord(); }
    void SpeedButton3Click() { exitWindow(); }
};
