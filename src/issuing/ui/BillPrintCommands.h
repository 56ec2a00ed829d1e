#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QWidget;
struct BillInFilling;
struct PrintJobSetup;

// What the bill filling window does with the bill as filled: print it (with history and the
// numbers advancing), preview the page before printing, export it as a PDF, or print the rows of
// a data file as bills of this bill. Every command tells its failures to the operator.
class BillPrintCommands : public QObject {
    Q_OBJECT
public:
    // refreshPreBills lists the pre-bills again when a command kept some or advanced the numbers;
    // it may throw StoreError.
    BillPrintCommands(QWidget* window, BillInFilling& filling, std::function<void()> refreshPreBills);

    // The next print also voids that history record, in the same transaction (重打).
    void setReplaces(std::optional<qint64> replaces) { m_replaces = replaces; }

    // "打  印": asks for printer and page, then prints.
    void printBill();
    // "打印预览": the page as it will print, then print or close.
    void previewPrint();
    // "导出PDF": the filled bill as a one-page PDF, nothing recorded.
    void exportPdf();
    // "批量打印": rows of a data file printed as bills of this bill.
    void printBatch();
    // Prints on the printer of the setup as "打  印" does: history, numbers, the two-step commit.
    void printWith(const PrintJobSetup& setup);

private:
    // Checks that every item font can be read, then asks for printer and page; nothing when the
    // operator cancels. Throws TemplateError for an unreadable font.
    std::optional<PrintJobSetup> setUpJob();

    QWidget* m_window;
    BillInFilling& m_filling;
    std::function<void()> m_refreshPreBills;
    std::optional<qint64> m_replaces;
};
