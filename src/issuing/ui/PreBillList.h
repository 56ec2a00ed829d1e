#pragma once

#include <QTableWidget>

#include <functional>

class QAction;
class QMenu;
struct BillInFilling;

// The pre-bills of the bill being filled, listed under its picture: a header row of the item
// names, then one row per pre-bill with its number and its values as the list shows them. A
// double click asks for the menu that loads, deletes or clears them. Store failures of fill()
// throw StoreError; the commands tell them to the operator themselves.
class PreBillList : public QTableWidget {
    Q_OBJECT
public:
    PreBillList(QWidget* window, const BillInFilling& filling);

    // The header row for the bill's items, no pre-bills listed.
    void showColumns();
    // Lists the pre-bills kept, numbered 1, 2, 3 ... again.
    void fill();
    // Keeps the bill as filled as the next pre-bill ("预 开 票").
    void keepBill();
    // Deletes the selected pre-bill after asking, and lists the others.
    void deleteSelected();
    // Deletes all pre-bills after asking.
    void clearAll();

    int preBillCount() const { return m_count; }
    // The number the next pre-bill gets.
    int nextNumber() const { return m_count + 1; }
    // The number of the selected pre-bill, 0 when none is selected.
    int selectedNumber() const;

    QMenu* preBillMenu = nullptr;
    QAction* choosePreBillAction = nullptr; // "选择预开票"
    QAction* deletePreBillAction = nullptr; // "删除预开票"
    QAction* clearPreBillsAction = nullptr; // "清空预开票"

signals:
    void menuAsked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void setRowTexts(int row, int number, int currency,
                     const std::function<QString(const QString&)>& valueOf);
    void sizeColumns();
    QString table() const;

    QWidget* m_window;
    const BillInFilling& m_filling;
    int m_count = 0;
};
