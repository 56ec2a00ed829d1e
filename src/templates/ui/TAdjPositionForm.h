#pragma once

#include "store/MainItemFlag.h"
#include "templates/BillTemplate.h"

#include "templates/ui/TemplateEditWindow.h"
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
class TAdjPositionForm : public TemplateEditWindow {
    Q_OBJECT
public:
    TAdjPositionForm(BillStore& store, const MainItemFlag& bill, QWidget* parent = nullptr);
    ~TAdjPositionForm() override;

    const BillTemplate& billTemplate() const { return *m_tpl; }
    int selectedIndex() const { return m_selected; }

    ParameterGrid* pageGrid = nullptr; // margins, direction, currency and background flags
    ParameterGrid* itemGrid = nullptr; // the nine adjustable parameters of the selected item
    QListWidget* itemNameList = nullptr;
    QPushButton* testPrintButton = nullptr; // "测试打印"
    QPushButton* saveButton = nullptr;      // "保  存"
    QPushButton* exitButton = nullptr;      // "退  出"
    QScrollArea* pictureScroller = nullptr;
    TemplateCanvas* canvas = nullptr;

    void testPrint();
    // Saves into the bill; false when nothing could be saved (the operator was told why).
    bool save();
    void leave();
    void selectListedItem(int row);
    void editPageRow(int row);
    void editItemRow(int row);

protected:
    void loadWorkingTemplate() override;

private:
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
};
