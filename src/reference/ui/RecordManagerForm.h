#pragma once

#include "reference/ui/FieldPanel.h"

#include <QDialog>
#include <QStringList>

class QBoxLayout;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

// What distinguishes one reference record manager from another.
struct ManagerRules {
    enum class Select { Disabled, Unchanged, Enabled };
    enum class Query { None, SkipEmptyStored, Strict, Contacts };

    QString caption;
    QString table;
    QList<FieldPanel::Field> fields;
    // Grid headers; empty: the grid shows every column of the table after its key, headed by its
    // name (contacts).
    QStringList headers;
    bool centredHeader = false;
    bool padded = true;                           // column fitting adds the width of "中国"
    QString codeColumn;                           // asks about duplicate codes on add and modify; "" never
    bool modifyWhenEmpty = false;                 // "修改记录" stays enabled when every edit is empty
    bool loadFromTable = false;                   // a clicked row is loaded from the table, not from the grid
    Select selectAfterChange = Select::Unchanged; // "选 择" after modify and delete
    Query query = Query::None;
};

// A reference record manager: the current record above, the buttons, and the grid of every record
// of the table below. Grid row r lists the table's record at position r; modify and delete reach
// the record by that position and refuse to act when the table changed under the grid.
class RecordManagerForm : public QDialog {
    Q_OBJECT
public:
    RecordManagerForm(const ManagerRules& rules, QWidget* parent);

    FieldPanel* recordFields = nullptr;
    QTableWidget* recordList = nullptr;

    bool selectMode() const { return m_selectMode; }
    void setSelectMode(bool on) { m_selectMode = on; }

    // Rereads the table into the grid (every showing, and after other work changed the table).
    void reloadRecords();
    void fitColumns();
    // The grid's click: loads the current row's record into the controls.
    void showCurrentRecord();
    void loadRowIntoFields();
    void fieldsEdited();

    // The commands of the button bar, for the windows that show their buttons.
    void addRecord();    // "添加记录"
    void modifyRecord(); // "修改记录"
    void deleteRecord(); // "删除记录"
    void queryRecords(); // "查  询"
    void selectRecord(); // "选 择"
    void exitWindow();   // "退  出"

protected:
    // A button in the button bar: mouse only, never the default. position -1 appends.
    QPushButton* addCommandButton(const QString& objectName, const QString& caption, int position = -1);
    // The buttons whose enabling the rules govern (any may stay null).
    QPushButton* m_addButton = nullptr;
    QPushButton* m_modifyButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QPushButton* m_selectButton = nullptr;

    // The grid's current record as stored, read by the table's column names after the key.
    QStringList storedCurrentRecord(QStringList* names);

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void loadRecords();
    // Widens the window (within the screen) until every column of the grid shows.
    void widenToColumns();
    void enableButtons(bool add, bool modify, bool remove, bool select);
    // State after add, modify and delete: controls reset, three buttons off, "选 择" by the rules.
    void afterChange(bool select);
    bool selectEnabled() const;
    template <typename F> void run(F&& action);

    ManagerRules m_rules;
    QStringList m_gridColumns;
    QBoxLayout* m_buttonBar = nullptr;
    bool m_selectMode = false;
    bool m_loading = false; // the program moves the grid's selection
};
