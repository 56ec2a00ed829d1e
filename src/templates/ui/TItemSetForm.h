#pragma once

#include "templates/BillTemplate.h"
#include "templates/PixelRect.h"

#include "templates/ui/TemplateEditWindow.h"

#include <QFont>

#include <memory>

class BillStore;
class DesignerItemGrid;
class ParameterGrid;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QTabWidget;
class TemplateCanvas;

// The template designer: page parameters in one grid, the items in a name list and a parameter
// grid, and the picture of the bill on which items are moved and resized with the mouse. It edits
// the working template in memory; "保  存" writes the working tables and then the definition file.
class TItemSetForm : public TemplateEditWindow {
    Q_OBJECT
public:
    explicit TItemSetForm(BillStore& store, QWidget* parent = nullptr);
    ~TItemSetForm() override;

    // The definition file the design is saved into.
    void setFilePath(const QString& path) { m_path = path; }
    QString filePath() const { return m_path; }
    bool storedPicture() const { return m_storedPicture; }
    const BillTemplate& billTemplate() const { return *m_tpl; }
    int selectedIndex() const { return m_selected; }

    QTabWidget* parameterTabs = nullptr;
    ParameterGrid* pageGrid = nullptr; // page parameters
    ParameterGrid* itemGrid = nullptr; // parameters of the selected item
    QListWidget* itemNameList = nullptr;
    QPushButton* addItemButton = nullptr;    // "添加子项"
    QPushButton* deleteItemButton = nullptr; // "删除子项"
    QPushButton* exitButton = nullptr;       // "退  出"
    QPushButton* saveButton = nullptr;       // "保  存"
    QPushButton* testPrintButton = nullptr;  // "测试打印"
    QPushButton* saveAsButton = nullptr;     // "另存为..."
    QScrollArea* pictureScroller = nullptr;
    TemplateCanvas* canvas = nullptr;

    void addItem();    // "添加子项"
    void deleteItem(); // "删除子项"
    void leave();      // "退  出"
    // "保  存"; false when the page parameters or the file could not be written (the operator was
    // told).
    bool save();
    void testPrint(); // "测试打印"
    void saveAs();    // "另存为..."
    void selectListedItem(int row);
    void renameItem(); // a double-click in the name list
    void editPageRow(int row);
    void editItemRow(int row);

protected:
    void loadWorkingTemplate() override;
    // Asks to save unsaved changes, then empties the working template; never refuses unless a
    // save that was asked for failed.
    bool mayClose() override;

private:
    void pageCommitted(int row, const QString& before, const QString& text);
    void choosePicture();
    void applyGroup(const PixelRect& band);
    void fillNameList();
    void selectItem(int index);
    void rebuildBackground();
    void redraw();
    QString picturePath() const;
    int pageNumber(int row) const;

    BillStore& m_store;
    std::unique_ptr<BillTemplate> m_tpl;
    QString m_path;
    PageParameters m_page;
    DesignerItemGrid* m_itemGrid = nullptr;
    int m_selected = -1;
    bool m_storedPicture = false;
    bool m_filling = false;
    QFont m_lastFont;
};
