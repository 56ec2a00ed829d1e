#pragma once

#include "templates/CanvasEditing.h"

#include <QDialog>
#include <QFont>

class ParameterGrid;
class QComboBox;
class QLineEdit;

// The group dialog: after a rubber band touched several items, the operator fills in the
// parameters they should all get, or copies or deletes them. The dialog only collects the choice;
// the designer applies it.
class TAttrChangForm : public QDialog {
    Q_OBJECT
public:
    explicit TAttrChangForm(QWidget* parent = nullptr);

    ParameterGrid* changeGrid = nullptr;
    QLineEdit* textEditor = nullptr;
    QComboBox* choiceEditor = nullptr;

    // The font the font dialog starts from (the one last used in the designer).
    void setLastFont(const QFont& font) { m_lastFont = font; }
    QFont lastFont() const { return m_lastFont; }
    // The choice after the dialog closed with OK.
    CanvasEditing::GroupChange change() const { return m_change; }

    void confirm();     // 确 认
    void cancel();      // 取 消
    void copyItems();   // 拷 贝
    void deleteItems(); // 删 除

protected:
    void showEvent(QShowEvent* event) override;

private:
    void reset();
    void editRow(int row);

    CanvasEditing::GroupChange m_change;
    QFont m_lastFont;
};
