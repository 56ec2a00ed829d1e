#include "app/ui/TMainForm.h"

#include "app/ui/BillCardDelegate.h"
#include "app/ui/CardStyle.h"
#include "app/ui/TypeCardDelegate.h"
#include "app/ui/WelcomePanel.h"
#include "exchange/ui/BackupCommands.h"
#include "platform/AppPaths.h"
#include "platform/ui/Prompter.h"
#include "store/Database.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <exception>
#include <functional>

namespace {
QWidget* bar(QWidget* parent, bool vertical) {
    auto* w = new QWidget(parent);
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::red);
    w->setPalette(pal);
    if (vertical)
        w->setFixedWidth(6);
    else
        w->setFixedHeight(6);
    return w;
}

void setBackground(QWidget* w, const QColor& c) {
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    pal.setColor(QPalette::Base, c);
    w->setPalette(pal);
}
} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    createWindow();
    ensureTypeTable();
}

TMainForm::TMainForm(std::function<void()> prepareStore, std::function<void()> tidyStore)
    : m_prepareStore(std::move(prepareStore)), m_tidyStore(std::move(tidyStore)) {
    createWindow();
    // The menu bar is painted with every first paint of the window.
    menuBar()->installEventFilter(this);
}

void TMainForm::createWindow() {
    setWindowTitle(QStringLiteral("Tarvel智能票据打印 Ver 1.00"));
    QFont base(QStringLiteral("宋体"));
    base.setPixelSize(14);
    setFont(base);
    createLayout();
    createMenus();
    AppPaths::ensureFolders();
}

TMainForm::~TMainForm() {
    // A window closed while its store is still being opened waits for the reading to end.
    if (m_opening) {
        m_opening->wait();
        delete m_opening;
    }
}

void TMainForm::createLayout() {
    auto* central = new QWidget(this);
    QPalette navy = central->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    central->setPalette(navy);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(bar(central, false));

    const QColor face = palette().color(QPalette::Window);
    const QColor below = palette().color(QPalette::HighlightedText);

    auto* banner = new QWidget(central);
    banner->setFixedHeight(56);
    setBackground(banner, face);
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel(QStringLiteral("   Tarvel智能票据打印    版本 1.00"), banner);
    QFont cf(QStringLiteral("微软雅黑"));
    cf.setPixelSize(20);
    cf.setBold(true);
    caption->setFont(cf);
    QPalette blue = caption->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    caption->setPalette(blue);
    bannerLayout->addWidget(caption, 1);
    auto* buttonArea = new QWidget(banner);
    buttonArea->setFixedWidth(320);
    setBackground(buttonArea, face);
    auto* bal = new QHBoxLayout(buttonArea);
    importBillButton = new QPushButton(QStringLiteral("导入票据"), buttonArea);
    informationButton = new QPushButton(QStringLiteral("信息管理"), buttonArea);
    queryButton = new QPushButton(QStringLiteral("统计查询"), buttonArea);
    for (QPushButton* b : {importBillButton, informationButton, queryButton}) {
        b->setFixedSize(88, 40);
        b->setFocusPolicy(Qt::NoFocus);
        bal->addWidget(b);
    }
    bannerLayout->addWidget(buttonArea);
    outer->addWidget(banner);
    outer->addWidget(bar(central, false));

    auto* lower = new QHBoxLayout;
    lower->setSpacing(0);
    typeList = CardStyle::makeList(central, 36);
    typeList->setFixedWidth(200);
    typeList->setItemDelegate(new TypeCardDelegate(
        typeList, [this] { return locationLabel->palette().color(QPalette::Window); },
        [this] { return m_highlightedTypeRow; }));
    typeList->viewport()->installEventFilter(this);
    lower->addWidget(typeList);
    lower->addWidget(bar(central, true));

    auto* work = new QWidget(central);
    setBackground(work, face);
    auto* workLayout = new QVBoxLayout(work);
    workLayout->setContentsMargins(0, 0, 0, 0);
    workLayout->setSpacing(0);
    locationLabel = new QLabel(QStringLiteral("  当前位置："), work);
    locationLabel->setFixedHeight(41);
    QFont pf = locationLabel->font();
    pf.setPixelSize(12);
    locationLabel->setFont(pf);
    setBackground(locationLabel, face);
    QPalette lp = locationLabel->palette();
    lp.setColor(QPalette::WindowText, Qt::blue);
    locationLabel->setPalette(lp);
    workLayout->addWidget(locationLabel);
    setBackground(typeList, face);

    auto* belowArea = new QWidget(work);
    setBackground(belowArea, below);
    auto* belowLayout = new QVBoxLayout(belowArea);
    belowLayout->setContentsMargins(0, 0, 0, 0);
    belowLayout->setSpacing(0);
    auto* buttonBar = new QWidget(belowArea);
    buttonBar->setFixedHeight(64);
    auto* strip = new QWidget(buttonBar);
    strip->setGeometry(0, 0, 489, 64);
    setBackground(strip, below);
    issueButton = new QPushButton(QStringLiteral("开  票"), strip);
    batchPrintButton = new QPushButton(QStringLiteral("批量打印"), strip);
    adjustPositionButton = new QPushButton(QStringLiteral("位置调整"), strip);
    deleteBillButton = new QPushButton(QStringLiteral("删除票据"), strip);
    int x = 16;
    for (QPushButton* b : {issueButton, batchPrintButton, adjustPositionButton, deleteBillButton}) {
        b->setGeometry(x, 12, 88, 40);
        b->setFocusPolicy(Qt::NoFocus);
        x += 104;
    }
    belowLayout->addWidget(buttonBar);
    billList = CardStyle::makeList(belowArea, 32);
    setBackground(billList, below);
    billList->setItemDelegate(new BillCardDelegate(
        billList, [below] { return below; }, [this] { return m_selectedBill; }));
    billList->viewport()->installEventFilter(this);
    auto* gridRow = new QHBoxLayout;
    gridRow->setContentsMargins(0, 0, 0, 0);
    gridRow->addWidget(billList);
    welcomePanel = new WelcomePanel(!AppPaths::sampleBillFile().isEmpty(), belowArea);
    welcomePanel->hide();
    gridRow->addWidget(welcomePanel, 1);
    gridRow->addStretch();
    belowLayout->addLayout(gridRow, 1);
    workLayout->addWidget(belowArea, 1);
    lower->addWidget(work, 1);
    outer->addLayout(lower, 1);
    setCentralWidget(central);

    connect(issueButton, &QPushButton::clicked, this, &TMainForm::issueBill);
    connect(batchPrintButton, &QPushButton::clicked, this, &TMainForm::printBatch);
    connect(adjustPositionButton, &QPushButton::clicked, this, &TMainForm::adjustPositions);
    connect(deleteBillButton, &QPushButton::clicked, this, &TMainForm::deleteBill);
    connect(welcomePanel, &WelcomePanel::importBillFileRequested, this, &TMainForm::importBill);
    connect(welcomePanel, &WelcomePanel::designBillRequested, this, &TMainForm::designBill);
    connect(welcomePanel, &WelcomePanel::importSampleRequested, this, &TMainForm::importSampleBill);
}

void TMainForm::createMenus() {
    auto action = [this](const QString& caption, void (TMainForm::*handler)()) {
        auto* a = new QAction(caption, this);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    exportBackupAction = action(QStringLiteral("导出系统备份"), &TMainForm::exportBackup);
    importBackupAction = action(QStringLiteral("导入系统备份"), &TMainForm::importBackup);
    importInformationAction = action(QStringLiteral("导入信息"), &TMainForm::importInformation);
    importBillAction = action(QStringLiteral("导入票据"), &TMainForm::importBill);
    designBillAction = action(QStringLiteral("设计票据"), &TMainForm::designBill);
    queryAction = action(QStringLiteral("查询统计"), &TMainForm::queryHistory);
    ownAccountsAction = action(QStringLiteral("本单位帐户"), &TMainForm::manageOwnAccounts);
    businessUnitsAction = action(QStringLiteral("往来业务单位帐户"), &TMainForm::manageBusinessUnits);
    purposesAction = action(QStringLiteral("用途信息"), &TMainForm::managePurposes);
    contactsAction = action(QStringLiteral("联系人"), &TMainForm::manageContacts);
    choosePrinterAction = action(QStringLiteral("选择打印机"), &TMainForm::choosePrinter);
    calibratePrinterAction = action(QStringLiteral("打印机校准"), &TMainForm::calibratePrinter);
    databaseSettingsAction = action(QStringLiteral("数据库设置"), &TMainForm::changeDatabaseSettings);
    systemSettingsAction = action(QStringLiteral("系统设置"), &TMainForm::editSystemSettings);
    helpAction = action(QStringLiteral("帮助"), &TMainForm::showHelp);
    aboutAction = action(QStringLiteral("关于"), &TMainForm::showAbout);

    // menu: "票据管理" — 导入票据, 设计票据 | 导出系统备份, 导入系统备份, 导入信息
    QMenu* bills = menuBar()->addMenu(QStringLiteral("票据管理"));
    for (QAction* a : {importBillAction, designBillAction})
        if (a)
            bills->addAction(a);
    if (exportBackupAction || importBackupAction || importInformationAction)
        bills->addSeparator();
    for (QAction* a : {exportBackupAction, importBackupAction, importInformationAction})
        if (a)
            bills->addAction(a);

    // menu: "信息管理" — 本单位帐户, 往来业务单位帐户, 用途信息, 联系人 | 选择打印机, 打印机校准, 系统设置 |
    // 查询统计
    QMenu* info = menuBar()->addMenu(QStringLiteral("信息管理"));
    informationMenu = new QMenu(this);
    for (QAction* a : {ownAccountsAction, businessUnitsAction, purposesAction, contactsAction})
        if (a) {
            info->addAction(a);
            informationMenu->addAction(a);
        }
    if (!info->isEmpty())
        info->addSeparator();
    info->addAction(choosePrinterAction);
    info->addAction(calibratePrinterAction);
    info->addAction(databaseSettingsAction);
    info->addAction(systemSettingsAction);
    if (queryAction) {
        info->addSeparator();
        info->addAction(queryAction);
    }
    if (bills->isEmpty())
        bills->menuAction()->setVisible(false);

    QMenu* about = menuBar()->addMenu(QStringLiteral("关于"));
    about->addAction(helpAction);
    about->addAction(aboutAction);

    // The banner buttons and bill commands show only when their windows exist.
    importBillButton->setVisible(importBillAction != nullptr);
    informationButton->setVisible(!informationMenu->isEmpty());
    queryButton->setVisible(queryAction != nullptr);
    if (importBillAction)
        connect(importBillButton, &QPushButton::clicked, importBillAction, &QAction::trigger);
    if (queryAction)
        connect(queryButton, &QPushButton::clicked, queryAction, &QAction::trigger);
    connect(informationButton, &QPushButton::clicked, this,
            [this] { informationMenu->popup(QCursor::pos()); });
}

void TMainForm::ensureTypeTable() {
    m_firstShow = true;
    m_store.ensureBillTypeTable();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_firstShow && !m_prepareStore && !m_opening)
        fillLists();
}

// What the opening thread read for the first lists, or why it failed.
struct TMainForm::OpenedStore {
    BillStore store;
    QStringList typesWithBills;
    int firstType = -1;
    QList<MainItemFlag> firstEntries;
    std::exception_ptr error;
    std::exception_ptr tidyError;
};

void TMainForm::openAfterFirstPaint() {
    // Runs once the first paint has reached the screen; until then the lists stay empty. The
    // store is opened on a thread of its own, so that the window keeps taking input however many
    // bills there are. The thread opens the window's connections and hands them over with the
    // lists it read, so that the store's schema is read once for both; then it tidies the store on
    // connections of its own while the lists are shown. The commands that change the store are
    // disabled until it is done.
    const std::function<void()> prepare = std::move(m_prepareStore);
    const std::function<void()> tidy = std::move(m_tidyStore);
    m_prepareStore = nullptr;
    m_tidyStore = nullptr;
    menuBar()->removeEventFilter(this);
    enableStoreCommands(false);
    m_opened = std::make_shared<OpenedStore>();
    m_opening = QThread::create([this, prepare, tidy, opened = m_opened, window = thread()] {
        {
            const Database::ConnectionsOf windowConnections(window);
            try {
                prepare();
                opened->store.ensureBillTypeTable();
                opened->typesWithBills = opened->store.typesWithBills();
                if (!opened->typesWithBills.isEmpty())
                    opened->firstType = opened->store.typeIndexOf(opened->typesWithBills.constFirst());
                if (opened->firstType >= 0)
                    opened->firstEntries = opened->store.billEntriesOfType(opened->firstType);
            } catch (...) {
                opened->error = std::current_exception();
            }
        }
        if (opened->error)
            return;
        QMetaObject::invokeMethod(
            this, [this, opened] { showOpenedStore(*opened); }, Qt::QueuedConnection);
        if (tidy) {
            try {
                tidy();
            } catch (...) {
                opened->tidyError = std::current_exception();
            }
        }
        Database::closeThreadConnections();
    });
    connect(m_opening, &QThread::finished, this, &TMainForm::storeOpened);
    m_opening->start();
}

void TMainForm::showOpenedStore(const OpenedStore& opened) {
    m_firstShow = false;
    m_store = opened.store;
    showTypeList(opened.typesWithBills);
    showBills(opened.firstType, opened.firstEntries);
}

void TMainForm::storeOpened() {
    m_opening->wait();
    delete m_opening;
    m_opening = nullptr;
    const std::shared_ptr<OpenedStore> opened = std::move(m_opened);
    for (const std::exception_ptr& error : {opened->error, opened->tidyError})
        if (error) {
            guarded(this, [&] { std::rethrow_exception(error); });
            emit storeFailed();
            return;
        }
    enableStoreCommands(true);
}

void TMainForm::enableStoreCommands(bool enable) {
    for (QAction* a :
         {importBillAction, designBillAction, exportBackupAction, importBackupAction, importInformationAction,
          queryAction, ownAccountsAction, businessUnitsAction, purposesAction, contactsAction})
        a->setEnabled(enable);
    for (QPushButton* b : {importBillButton, informationButton, queryButton, issueButton, batchPrintButton,
                           adjustPositionButton, deleteBillButton})
        b->setEnabled(enable);
}

void TMainForm::fillLists() {
    m_firstShow = false;
    guarded(this, [this] {
        fillTypeList();
        int type = -1;
        const QString first = typeList->item(0, 0) ? typeList->item(0, 0)->text() : QString();
        if (!first.isEmpty())
            type = m_store.typeIndexOf(first);
        listBills(type);
    });
}

void TMainForm::focusLocation() {
    // The label takes focus only from the first time it is needed: a label that can take focus
    // lays its text out as a document, and the first such document loads the application's own
    // font, which nothing else in this window uses, before the window is first painted.
    locationLabel->setFocusPolicy(Qt::StrongFocus);
    locationLabel->setFocus();
}
