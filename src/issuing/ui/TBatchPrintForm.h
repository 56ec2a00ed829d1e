#pragma once

#include "issuing/BatchPrint.h"
#include "issuing/BatchRun.h"
#include "platform/Printing.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// 批量打印: one bill, many rows of a data file. The operator chooses the file, matches its columns
// to the bill's input items (remembered per bill), reviews the rows as they will print with their
// errors and totals, chooses rows and prints them one by one as 打  印 does, pausing, stopping and
// going on as needed; rows may also be kept as pre-bills, and the review exported for checking.
class TBatchPrintForm : public QDialog {
    Q_OBJECT
public:
    // The bill's working template must already be loaded. typeNames gives the caption's type name.
    TBatchPrintForm(QWidget* parent, const MainItemFlag& entry, const QStringList& typeNames);
    ~TBatchPrintForm() override;

    // Reads a data file as if chosen in the dialog; false (the operator told) when it cannot.
    bool openDataFile(const QString& path);
    const QList<BatchRow>& rows() const { return m_rows; }
    bool running() const { return m_run && m_run->state() == BatchRun::State::Running; }

    QLineEdit* dataFileEdit = nullptr;
    QPushButton* chooseFileButton = nullptr;  // "选择数据文件…"
    QTableWidget* columnMatches = nullptr;    // item → data column, a drop-down per item
    QPushButton* reviewButton = nullptr;      // "核对"
    QTableWidget* reviewList = nullptr;       // one row per data row
    QLabel* totalsLabel = nullptr;            // exact totals of the chosen rows
    QLabel* progressLabel = nullptr;          // "第 n / N 张"
    QPushButton* printChosenButton = nullptr; // "打印所选"
    QPushButton* pauseButton = nullptr;       // "暂停"
    QPushButton* stopButton = nullptr;        // "停止"
    QPushButton* resumeButton = nullptr;      // "继续"
    QPushButton* preBillButton = nullptr;     // "预开票"
    QPushButton* exportButton = nullptr;      // "导出核对表"
    QPushButton* closeButton = nullptr;       // "关闭"

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void chooseDataFile();
    void fillColumnMatches(const ColumnMapping& mapping);
    ColumnMapping chosenMapping() const;
    void reviewRows();
    void showRows();
    void showRow(int index);
    void showTotals();
    void rowChoiceChanged(int row, int column);
    void correctRow(int row, int column);
    void printChosen();
    void startRun(bool askForPrinted);
    void printNextRow();
    void showRunEnd(const QString& why);
    void preBillChosen();
    void exportReview();
    void updateButtons();

    MainItemFlag m_entry;
    QStringList m_typeNames;
    std::optional<BatchBill> m_bill;
    QStringList m_header;
    QList<QStringList> m_data;
    QList<int> m_lines;
    ColumnMapping m_mapping;
    QList<BatchRow> m_rows;
    bool m_showing = false;

    // The last run, kept after it ended for its counts and for 继续.
    std::optional<BatchRun> m_run;
};
