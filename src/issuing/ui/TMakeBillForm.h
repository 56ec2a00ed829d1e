#pragma once

#include "issuing/BillInFilling.h"
#include "store/MainItemFlag.h"

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QStringList>

#include <memory>
#include <optional>

class BillEditorOverlay;
class BillPrintCommands;
class PreBillList;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class ReferenceLookups;

// The bill filling window: the picture of the bill form with its input areas, an editor over the
// item clicked (BillEditorOverlay), every value converted and drawn in place, the currency, the
// print commands (BillPrintCommands), and the pre-bills kept for later printing (PreBillList). It
// works on the working template loaded from the bill.
class TMakeBillForm : public QDialog {
    Q_OBJECT
public:
    explicit TMakeBillForm(QWidget* parent = nullptr);
    ~TMakeBillForm() override;

    // The bill to fill; its working template must already be loaded. typeNames gives the caption's
    // type name. Then show() or exec().
    void setBill(const MainItemFlag& entry, const QStringList& typeNames);
    // Opens with a history record's values and currency instead of the defaults (重打); the
    // numbers still go on from the last print. With `replaces`, the print that follows also voids
    // that history record, in the same transaction.
    void setReprint(const QHash<QString, QString>& values, int currency, std::optional<qint64> replaces);
    // For correcting a row of a batch: the window fills and shows, but prints and keeps nothing;
    // what it holds when closed is the correction.
    void setCorrecting(bool correcting);
    // Look-ups of reference records (the reference windows unless replaced).
    void setLookups(std::unique_ptr<ReferenceLookups> lookups);

    QScrollArea* pictureScroller = nullptr;
    QLabel* pictureView = nullptr; // the bill's picture with the values; editors open over it
    BillEditorOverlay* editors = nullptr;
    QLabel* currencyLabel = nullptr; // "币种:"
    QComboBox* currencySelector = nullptr;
    QWidget* commandBar = nullptr;
    QPushButton* preBillButton = nullptr;    // "预 开 票"
    QPushButton* newBillButton = nullptr;    // "新 开 票"
    QPushButton* previewButton = nullptr;    // "打印预览"
    QPushButton* exportPdfButton = nullptr;  // "导出PDF"
    QPushButton* printButton = nullptr;      // "打  印"
    QPushButton* batchPrintButton = nullptr; // "批量打印"
    QPushButton* exitButton = nullptr;       // "退  出"
    PreBillList* preBillList = nullptr;

    const FilledBill& bill() const { return m_filling.bill; }
    int currency() const { return m_filling.currency; }
    bool currencyShown() const { return m_filling.currencyShown(); }
    int clickedItem() const;
    int editedItem() const;
    int preBillCount() const;
    // The number the next pre-bill gets.
    QString nextPreBillNumber() const;
    // The picture as last drawn, values included.
    const QImage& picture() const { return m_shown; }
    bool isReady() const { return m_ready; }

    void changeCurrency(int index);
    void keepAsPreBill();       // "预 开 票"
    void newBill();             // "新 开 票": the defaults again
    void printBill();           // "打  印"
    void previewPrint();        // "打印预览"
    void exportPdf();           // "导出PDF"
    void printBatch();          // "批量打印"
    void leave();               // "退  出"
    void loadSelectedPreBill(); // "选择预开票"
    void openPreBillMenu();     // a double click on the pre-bill list

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void loadBill();
    void loadReprint();
    void sizeWindow();
    void redraw();
    // After a command: the values drawn again, no item clicked.
    void commandDone();

    struct Reprint {
        QHash<QString, QString> values;
        int currency = 0;
    };
    std::optional<Reprint> m_reprint;
    BillInFilling m_filling;
    BillPrintCommands* m_commands = nullptr;
    QImage m_shown;
    bool m_ready = false;
    bool m_fontErrorShown = false;
};
