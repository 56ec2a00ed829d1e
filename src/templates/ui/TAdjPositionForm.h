#pragma once

#include "store/MainItemFlag.h"
#include "templates/BillTemplate.h"

#include <QDialog>
#include <QFont>

#include <memory>

class BillStore;
class ParameterGrid;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class TemplateCanvas;

// Position adjustment: corrects an existing bill against the real form and printer. The margins,
// direction and two page flags, and the position, size, font, spacing, alignment and print flag
// of items can change; nothing else of the template. Works on the working template loaded from
// the bill and stores it back into the bill when saved.
class TAdjPositionForm : public QDialog {
    Q_OBJECT
public:
    TAdjPositionForm(BillStore& store, const MainItemFlag& bill, QWidget* parent = nullptr);
    ~TAdjPositionForm() override;

    bool modified() const { return m_modified; }
    const BillTemplate& billTemplate() const { return *m_tpl; }
    int selectedIndex() const { return m_selected; }

    ParameterGrid* StringGrid = nullptr;  // margins, direction, currency and background flags
    ParameterGrid* StringGrid1 = nullptr; // the nine adjustable parameters of the selected item
    QListWidget* ListBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QPushButton* SpeedButton5 = nullptr; // 测试打印
    QPushButton* SpeedButton4 = nullptr; // 保  存
    QPushButton* SpeedButton3 = nullptr; // 退  出
    QScrollArea* ScrollBox1 = nullptr;
    TemplateCanvas* PrnImage = nullptr;

    void SpeedButton5Click();
    // Saves into the bill; false when nothing could be saved (the operator was told why).
    bool SpeedButton4Click();
    void SpeedButton3Click();
    void ListBox1Click(int row);
    void StringGridDblClick(int row);
    void StringGrid1DblClick(int row);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormShow();
    void pageCommitted(int row, const QString& text);
    void itemCommitted(int row, const QString& text);
    void selectItem(int index);
    void fillItemGrid();
    void redraw();
    // The margin of a page grid row; refuses an empty text or a lone "-" with a message.
    bool margin(int row, int* value);

    BillStore& m_store;
    MainItemFlag m_bill;
    std::unique_ptr<BillTemplate> m_tpl;
    PageParameters m_page;
    int m_selected = -1;
    bool m_modified = false;
};
