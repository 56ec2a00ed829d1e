#pragma once

#include "templates/BillTemplate.h"
#include "templates/ItemRelations.h"
#include "templates/PixelRect.h"

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
class QTabWidget;
class TemplateCanvas;

// The template designer: page parameters in one grid, the items in a name list and a parameter
// grid, and the picture of the bill on which items are moved and resized with the mouse. It edits
// the working template in memory; "保  存" writes the working tables and then the definition file.
class TItemSetForm : public QDialog {
    Q_OBJECT
public:
    explicit TItemSetForm(BillStore& store, QWidget* parent = nullptr);
    ~TItemSetForm() override;

    // The definition file the design is saved into.
    void setFilePath(const QString& path) { m_path = path; }
    QString filePath() const { return m_path; }
    bool modified() const { return m_modified; }
    bool storedPicture() const { return m_storedPicture; }
    const BillTemplate& billTemplate() const { return *m_tpl; }
    int selectedIndex() const { return m_selected; }

    QTabWidget* PageControl1 = nullptr;
    ParameterGrid* StringGrid = nullptr;  // page parameters
    ParameterGrid* StringGrid1 = nullptr; // parameters of the selected item
    QListWidget* ListBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QPushButton* SpeedButton1 = nullptr; // 添加子项
    QPushButton* SpeedButton2 = nullptr; // 删除子项
    QPushButton* SpeedButton3 = nullptr; // 退  出
    QPushButton* SpeedButton4 = nullptr; // 保  存
    QPushButton* SpeedButton5 = nullptr; // 测试打印
    QPushButton* SpeedButton6 = nullptr; // 另存为...
    QScrollArea* ScrollBox1 = nullptr;
    TemplateCanvas* PrnImage = nullptr;

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    // Saves; false when the page parameters or the file could not be written (the operator was told).
    bool SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void ListBox1Click(int row);
    void ListBox1DblClick();
    void StringGridDblClick(int row);
    void StringGrid1DblClick(int row);

public slots:
    // Closing asks to save unsaved changes, then empties the working template.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Names of the template's items but the one at `except` (-1: all of them).
    QStringList namesBeside(int except) const;
    void FormShow();
    bool FormCloseQuery();
    void pageCommitted(int row, const QString& before, const QString& text);
    void itemCommitted(int row, const QString& before, const QString& text);
    void itemChosen(int row, int index, const QString& text);
    void choosePicture();
    void editRelation();
    void editFormula();
    void applyGroup(const PixelRect& band);
    void fillNameList();
    void selectItem(int index);
    void fillItemGrid();
    void rebuildBackground();
    void redraw();
    QString picturePath() const;
    int pageNumber(int row) const;

    BillStore& m_store;
    std::unique_ptr<BillTemplate> m_tpl;
    QString m_path;
    PageParameters m_page;
    ItemRelations::ReferenceColumns m_columns;
    int m_selected = -1;
    bool m_modified = false;
    bool m_storedPicture = false;
    bool m_filling = false;
    QFont m_lastFont;
};
