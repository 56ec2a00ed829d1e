#pragma once

#include "exchange/ui/BackupCommands.h"
#include "store/BillStore.h"
#include "store/MainItemFlag.h"

#include <QList>
#include <QMainWindow>

#include <functional>
#include <memory>

class HelpWindow;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;
class QThread;
class TMakeBillForm;
class WelcomePanel;

// The main window: bill types that have bills on the left, the bills of the chosen type beside
// them, and every command of the program in its menus and buttons.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Opens the store and fills the lists when first shown.
    explicit TMainForm(QWidget* parent = nullptr);
    // The window of the program's start: painted first; then `prepareStore` runs on a thread of
    // its own, which also opens the store and reads the lists, so that the window takes input
    // meanwhile. The lists are shown while `tidyStore` (work that reads the whole store) runs on
    // that thread; the commands that change the store wait, disabled, until it is done. A failure
    // of either is shown and signalled by storeFailed.
    explicit TMainForm(std::function<void()> prepareStore, std::function<void()> tidyStore = {});
    ~TMainForm() override;

    BillStore& billStore() { return m_store; }
    const QStringList& typeNames() const { return m_store.typeNames(); }
    int currentTypeIndex() const { return m_currentType; }
    const QList<MainItemFlag>& billEntries() const { return m_entries; }
    int selectedBillIndex() const { return m_selectedBill; }
    // The selected bill, or null when none is selected.
    const MainItemFlag* selectedBill() const;
    int highlightedTypeRow() const { return m_highlightedTypeRow; }
    // Whether the store is still being opened or tidied, off the window's thread.
    bool openingStore() const { return m_opening != nullptr; }

    // Lists the bills of a type (-1 for none) in the bill list.
    void listBills(int typeIndex);
    // Rebuilds the type list from the bill type table.
    void fillTypeList();
    // After the store changed under the window (backup import, clearing export): ensure the bill
    // type table, refill the type list and list the first type's bills.
    void refreshAll();

    // Widgets by their roles.
    QTableWidget* typeList = nullptr;
    QTableWidget* billList = nullptr;
    QLabel* locationLabel = nullptr;
    QPushButton* importBillButton = nullptr;     // banner "导入票据"
    QPushButton* informationButton = nullptr;    // banner "信息管理"
    QPushButton* queryButton = nullptr;          // banner "统计查询"
    QPushButton* issueButton = nullptr;          // "开  票"
    QPushButton* batchPrintButton = nullptr;     // "批量打印"
    QPushButton* adjustPositionButton = nullptr; // "位置调整"
    QPushButton* deleteBillButton = nullptr;     // "删除票据"
    QMenu* informationMenu = nullptr;            // pop-up of "信息管理"
    WelcomePanel* welcomePanel = nullptr;        // in place of the bill list while the store has no bill

    // Menu commands.
    QAction* importBillAction = nullptr;        // "导入票据"
    QAction* designBillAction = nullptr;        // "设计票据"
    QAction* exportBackupAction = nullptr;      // "导出系统备份"
    QAction* importBackupAction = nullptr;      // "导入系统备份"
    QAction* importInformationAction = nullptr; // "导入信息"
    QAction* ownAccountsAction = nullptr;       // "本单位帐户"
    QAction* businessUnitsAction = nullptr;     // "往来业务单位帐户"
    QAction* purposesAction = nullptr;          // "用途信息"
    QAction* contactsAction = nullptr;          // "联系人"
    QAction* choosePrinterAction = nullptr;     // "选择打印机"
    QAction* calibratePrinterAction = nullptr;  // "打印机校准"
    QAction* databaseSettingsAction = nullptr;  // "数据库设置"
    QAction* systemSettingsAction = nullptr;    // "系统设置"
    QAction* queryAction = nullptr;             // "查询统计"
    QAction* helpAction = nullptr;              // "帮助"
    QAction* aboutAction = nullptr;             // "关于"

    // Mouse handling of the two lists, in list coordinates (tests call these through real events).
    void typeListPressed(const QPoint& pos);
    void typeListReleased();
    void billListPressed(const QPoint& pos);
    void billListReleased();
    void billListDoubleClicked();
    void billListMouseUp();

    void issueBill();       // "开  票": fill and print the selected bill
    void printBatch();      // "批量打印": rows of a data file as bills of the selected bill
    void adjustPositions(); // "位置调整" of the selected bill
    void deleteBill();      // "删除票据"
    void exportBackup();
    void importBackup();
    void importInformation(); // the reference information of a backup
    void importBill();        // a bill definition file
    void designBill();
    void queryHistory(); // the print history
    void manageOwnAccounts();
    void manageBusinessUnits();
    void managePurposes();
    void manageContacts();
    void choosePrinter();
    void editSystemSettings();
    void calibratePrinter();
    void changeDatabaseSettings(); // "数据库设置"
    void showHelp();
    void showAbout();

signals:
    void storeFailed();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct OpenedStore;

    void createWindow();
    void ensureTypeTable();
    void fillLists();
    void openAfterFirstPaint();
    void storeOpened();
    void showOpenedStore(const OpenedStore& opened);
    void enableStoreCommands(bool enable);
    void showTypeList(const QStringList& withBills);
    void showBills(int typeIndex, const QList<MainItemFlag>& entries);
    void createMenus();
    void createLayout();
    void focusLocation();
    int typeListRowAt(const QPoint& pos) const;
    void runBackupCommand(BackupCommands::Refresh (BackupCommands::*command)());
    void importSampleBill();

    BillStore m_store;
    int m_currentType = -1;
    int m_highlightedTypeRow = 0;
    QList<MainItemFlag> m_entries;
    int m_selectedBill = -1;
    int m_rememberedBillRow = 1;
    bool m_pressedOnBill = false;
    bool m_doubleClick = false;
    bool m_firstShow = true;
    // Set while the window waits for its first paint to open the store.
    std::function<void()> m_prepareStore;
    std::function<void()> m_tidyStore;
    // The thread that opens the store at the start, with what it read.
    QThread* m_opening = nullptr;
    std::shared_ptr<OpenedStore> m_opened;
    // Kept from one bill to the next, so that the currency chosen last stays chosen.
    TMakeBillForm* m_makeBill = nullptr;
    HelpWindow* m_help = nullptr;
};
