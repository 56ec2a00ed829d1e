#pragma once

#include "query/HistoryQuery.h"
#include "store/MainItemFlag.h"

#include <QDialog>

class BillStore;
class HistoryListModel;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

// "统计查询": the print history of one bill between two print dates, with the number printed and
// the totals of the items marked for statistics; the list can be exported to a spreadsheet and
// its records deleted.
class TQueryForm : public QDialog {
    Q_OBJECT
public:
    TQueryForm(BillStore& store, QWidget* parent = nullptr);
    ~TQueryForm() override;

    QComboBox* typeSelector = nullptr;   // bill type
    QComboBox* billSelector = nullptr;   // bill name
    QLineEdit* fromDateEdit = nullptr;   // "打印日期从"
    QLineEdit* toDateEdit = nullptr;     // "至"
    QLineEdit* printCountEdit = nullptr; // "打印张数"
    QTableView* historyList = nullptr;
    QPushButton* listButton = nullptr;    // "查 询"
    QPushButton* exportButton = nullptr;  // "导出 Excel"
    QPushButton* deleteButton = nullptr;  // "删 除"
    QPushButton* exitButton = nullptr;    // "退  出"
    QPushButton* voidButton = nullptr;    // "作 废"
    QPushButton* unvoidButton = nullptr;  // "取消作废"
    QPushButton* reprintButton = nullptr; // "重 打"

    const QString& historyTable() const { return m_historyTable; }
    int listedCount() const { return m_listed; }
    const HistoryListing& listing() const { return m_listing; }
    const HistoryListModel* listModel() const { return m_model; }

    void listRecords();   // list
    void exportRecords(); // export
    void deleteListed();  // delete the listed records
    void leave();         // close
    void voidRecords();   // void the chosen records, with a reason
    void unvoidRecords(); // take the void off the chosen records
    void reprintRecord(); // open the filling window with the chosen record's values

    // Listed rows the operator chose (total rows left out), in list order.
    QList<int> chosenRows() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void resetFilters();
    void typeChanged();
    void billSelected();
    bool dateKeyPressed(QKeyEvent* event); // both date fields; true drops the key
    void fromDateChanged();
    void toDateChanged();
    void normaliseDate(QLineEdit* edit);
    void fillBillNames();
    void billChanged();
    void lookUpHistoryTable();
    void clearList();
    void showListing();
    void sizeColumns();

    BillStore& m_store;
    HistoryListModel* m_model = nullptr;
    MainItemFlag m_entry;
    QString m_historyTable;
    QString m_itemTable;
    HistoryListing m_listing;
    int m_listed = 0;
};
