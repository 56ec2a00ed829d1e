#pragma once

#include "issuing/BillPicture.h"
#include "issuing/FilledBill.h"
#include "store/MainItemFlag.h"

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QStringList>

#include <functional>

#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QToolButton;
class ReferenceLookups;
class TypingGuard;
class UpDown;

// The bill filling window: the picture of the bill form with its input areas, an editor over the
// item clicked, every value converted and drawn in place, the currency, printing, and the
// pre-bills kept for later printing. It works on the working template loaded from the bill.
struct PrintJobSetup;

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

    QScrollArea* ScrollBox1 = nullptr;
    QLabel* PrnImage = nullptr;
    QLineEdit* TextInput = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* Memo2 = nullptr;
    UpDown* UpDown1 = nullptr;
    QComboBox* EditCombo = nullptr;
    QToolButton* EnterBtn = nullptr;
    QDateEdit* MyDateTimePicker = nullptr;
    QLabel* Label1 = nullptr;       // "币种:"
    QComboBox* ComboBox1 = nullptr; // currency
    QWidget* Panel1 = nullptr;
    QPushButton* SpeedButton1 = nullptr;     // "预 开 票"
    QPushButton* SpeedButton5 = nullptr;     // "新 开 票"
    QPushButton* previewButton = nullptr;    // "打印预览"
    QPushButton* exportPdfButton = nullptr;  // "导出PDF"
    QPushButton* SpeedButton2 = nullptr;     // "打  印"
    QPushButton* batchPrintButton = nullptr; // "批量打印"
    QPushButton* SpeedButton3 = nullptr;     // "退  出"
    QTableWidget* StringGrid = nullptr;      // pre-bills
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr; // "选择预开票"
    QAction* N3 = nullptr; // "删除预开票"
    QAction* N4 = nullptr; // "清空预开票"

    const FilledBill& bill() const { return m_bill; }
    int currency() const { return m_currency; }
    bool currencyShown() const { return m_bill.page.currencyChoice; }
    int clickedItem() const { return m_clicked; }
    int editedItem() const { return m_edited; }
    int preBillCount() const { return m_preBillCount; }
    // The number the next pre-bill gets.
    QString nextPreBillNumber() const { return m_nextPreBill; }
    // The picture as last drawn, values included.
    const QImage& picture() const { return m_shown; }
    bool isReady() const { return m_ready; }

    // Opens the editor of the first input item at the point of the picture (after storing the
    // value of an open editor).
    void PrnImageMouseUp(const QPoint& pos);
    void ComboBox1Change(int index);
    void SpeedButton1Click(); // save as a pre-bill
    void SpeedButton5Click(); // new bill
    void SpeedButton2Click(); // print
    void previewPrint();      // the page as it will print, then print or close
    void exportPdf();         // the filled bill as a one-page PDF, nothing recorded
    void printBatch();        // rows of a data file printed as bills of this bill
    // Prints on the printer of the setup as 打  印 does: history, numbers, the two-step commit.
    void printWith(const PrintJobSetup& setup);
    void SpeedButton3Click(); // leave
    void N1Click();           // load the selected pre-bill
    void N3Click();           // delete the selected pre-bill
    void N4Click();           // delete all pre-bills
    void StringGridDblClick();
    void EnterBtnClick();
    // Hides the open editor, storing its value unless storing was called off, and redraws.
    void hideEditors();
    void FillPreBillList();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Editor { None, TextInput, Memo1, Memo2, EditCombo, DatePicker };

    void FormShow();
    void loadReprint();
    void createEditors();
    void createPreBillList();
    void sizeWindow();
    void redraw();
    void openEditor(int item);
    void placeEditor(QWidget* editor, int width, int height);
    void endWithEnter();
    void lookupWithEnter(const QString& text);
    void applyLookup(const QStringList& values, const QStringList& names);
    void keepTypedText(const QString& text);
    void storeValue(int item, const QString& text);
    void focusChanged(QWidget* now);
    void setRowTexts(int row, int number, int currency,
                     const std::function<QString(const QString&)>& valueOf);
    void sizeColumns();
    int selectedPreBillNumber() const;
    QString preBillTable() const { return m_entry.preBillTable; }

    QMetaObject::Connection m_focusConnection;
    struct Reprint {
        QHash<QString, QString> values;
        int currency = 0;
    };
    std::optional<Reprint> m_reprint;
    std::optional<qint64> m_replaces;
    MainItemFlag m_entry;
    QStringList m_typeNames;
    std::unique_ptr<ReferenceLookups> m_lookups;
    TypingGuard* m_textGuard = nullptr;
    TypingGuard* m_memo1Guard = nullptr;
    TypingGuard* m_memo2Guard = nullptr;

    FilledBill m_bill;
    BillPicture m_picture;
    QImage m_shown;
    int m_dpi = 96;
    int m_currency = 0;
    QString m_nextPreBill = QStringLiteral("1");
    int m_preBillCount = 0;

    int m_clicked = -1;
    int m_edited = -1;
    Editor m_editor = Editor::None;
    QString m_openValue;
    bool m_noStore = false;
    bool m_comboTyped = false;
    bool m_hiding = false;
    bool m_ready = false;
    bool m_fontErrorShown = false;
};
