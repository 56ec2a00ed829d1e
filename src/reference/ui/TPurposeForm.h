#pragma once

#include "reference/ui/RecordManagerForm.h"

class QLineEdit;
class QPlainTextEdit;

// "用途-信息管理": the payment purposes.
class TPurposeForm : public RecordManagerForm {
    Q_OBJECT
public:
    explicit TPurposeForm(QWidget* parent = nullptr);

    QPlainTextEdit* purposeEditor; // 用途, may span several lines
    QLineEdit* codeEdit;           // 识别码
    QPushButton* queryButton;      // "查  询"
    QPushButton* selectButton;     // "选 择"
    QPushButton* addButton;        // "添加记录"
    QPushButton* modifyButton;     // "修改记录"
    QPushButton* deleteButton;     // "删除记录"
    QPushButton* exitButton;       // "退  出"

    // Shows the window to pick a purpose (text is not used). 1 when one was chosen: names holds
    // "用途", "识别码" and values[0..1] the memo's and the code edit's texts; 0 otherwise, both lists
    // untouched.
    int PickPurpose(const QString& text, QStringList& values, QStringList& names);
};
