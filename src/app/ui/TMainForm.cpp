#include "app/ui/TMainForm.h"

#include "app/ui/BillCardDelegate.h"
#include "app/ui/CardStyle.h"
#include "app/ui/HelpWindow.h"
#include "app/ui/TAboutBox.h"
#include "app/ui/TDatabaseSettingsForm.h"
#include "app/ui/TPrinterCalibrationForm.h"
#include "app/ui/TSltPrinterForm.h"
#include "app/ui/TSystemSettingsForm.h"
#include "app/ui/TWaitingForm.h"
#include "app/ui/TypeCardDelegate.h"
#include "app/ui/WelcomePanel.h"
#include "exchange/SampleCheque.h"
#include "exchange/ui/BackupCommands.h"
#include "exchange/ui/TLoadBillFileForm.h"
#include "issuing/ui/TBatchPrintForm.h"
#include "issuing/ui/TMakeBillForm.h"
#include "platform/AppPaths.h"
#include "platform/Printing.h"
#include "platform/ui/Prompter.h"
#include "query/ui/TQueryForm.h"
#include "reference/ui/TBussAccountForm.h"
#include "reference/ui/TLinkManForm.h"
#include "reference/ui/TOwnAccountForm.h"
#include "reference/ui/TPurposeForm.h"
#include "store/Database.h"
#include "templates/ui/DesignCommand.h"
#include "templates/ui/TAdjPositionForm.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
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
    locationLabel->setFocusPolicy(Qt::StrongFocus);
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
    locationLabel->setFocus();
}

void TMainForm::fillTypeList() {
    m_store.reloadTypeNames();
    showTypeList(m_store.typesWithBills());
}

void TMainForm::showTypeList(const QStringList& withBills) {
    typeList->setColumnWidth(0, typeList->viewport()->width() > 0 ? typeList->viewport()->width() : 200);
    typeList->clearContents();
    typeList->setRowCount(std::max<int>(1, withBills.size()));
    for (int r = 0; r < typeList->rowCount(); ++r)
        typeList->setItem(r, 0, new QTableWidgetItem(r < withBills.size() ? withBills.at(r) : QString()));
    typeList->setCurrentCell(0, 0);
    typeList->viewport()->update();
    // A newcomer sees where to begin instead of an empty list.
    welcomePanel->setVisible(withBills.isEmpty());
    billList->setVisible(!withBills.isEmpty());
}

void TMainForm::listBills(int typeIndex) {
    const bool known = typeIndex >= 0 && typeIndex < m_store.typeNames().size();
    showBills(typeIndex, known ? m_store.billEntriesOfType(typeIndex) : QList<MainItemFlag>());
}

void TMainForm::showBills(int typeIndex, const QList<MainItemFlag>& entries) {
    m_currentType = typeIndex;
    m_entries.clear();
    const int clientWidth = deleteBillButton->geometry().left() + deleteBillButton->width() + 200;
    billList->setFixedWidth(clientWidth + 2 * billList->frameWidth());
    billList->setColumnWidth(0, clientWidth);
    billList->clearContents();
    if (typeIndex < 0 || typeIndex >= m_store.typeNames().size()) {
        m_currentType = -1;
        locationLabel->setText(QStringLiteral("  目前位置："));
        billList->setRowCount(15);
        m_selectedBill = -1;
        focusLocation();
        billList->viewport()->update();
        return;
    }
    const QString typeName = m_store.typeNames().at(typeIndex);
    locationLabel->setText(QStringLiteral("  目前位置：") + typeName);
    m_entries = entries;
    const int count = m_entries.size();
    billList->setRowCount(std::max(count + 1, 15));
    billList->setItem(0, 0, new QTableWidgetItem(typeName + QStringLiteral("-列表")));
    m_rememberedBillRow = 1;
    for (int i = 0; i < count; ++i)
        billList->setItem(i + 1, 0, new QTableWidgetItem(m_entries.at(i).billName.trimmed()));
    if (count > 0) {
        m_selectedBill = 0;
        billList->setCurrentCell(1, 0);
    } else {
        m_selectedBill = -1;
        focusLocation();
    }
    billList->viewport()->update();
}

void TMainForm::refreshAll() {
    guarded(this, [this] {
        m_entries.clear();
        m_store.ensureBillTypeTable();
        fillTypeList();
        m_highlightedTypeRow = 0;
        const QString first = typeList->item(0, 0) ? typeList->item(0, 0)->text() : QString();
        listBills(first.isEmpty() ? -1 : m_store.typeIndexOf(first));
    });
}

const MainItemFlag* TMainForm::selectedBill() const {
    if (m_selectedBill < 0 || m_selectedBill >= m_entries.size())
        return nullptr;
    return &m_entries.at(m_selectedBill);
}

int TMainForm::typeListRowAt(const QPoint& pos) const {
    return typeList->rowAt(pos.y());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (m_prepareStore && watched == menuBar() && event->type() == QEvent::Paint) {
        // Queued behind the painting, so that the window is on the screen before the store is read.
        QMetaObject::invokeMethod(this, &TMainForm::openAfterFirstPaint, Qt::QueuedConnection);
        menuBar()->removeEventFilter(this);
        return false;
    }
    const bool onTypeList = typeList && watched == typeList->viewport();
    const bool onBillList = billList && watched == billList->viewport();
    if (!onTypeList && !onBillList)
        return QMainWindow::eventFilter(watched, event);
    auto* me = dynamic_cast<QMouseEvent*>(event);
    if (!me || me->button() != Qt::LeftButton)
        return QMainWindow::eventFilter(watched, event);
    const QPoint pos = me->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (onTypeList)
            typeListPressed(pos);
        else
            billListPressed(pos);
        return true;
    case QEvent::MouseButtonDblClick:
        if (onTypeList) {
            typeListPressed(pos);
        } else {
            billListPressed(pos);
            billListDoubleClicked();
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (onTypeList) {
            typeListReleased();
        } else {
            billListReleased();
            billListMouseUp();
        }
        return true;
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

void TMainForm::typeListPressed(const QPoint& pos) {
    guarded(this, [&] {
        const int row = typeListRowAt(pos);
        if (pos.x() > 8 && pos.x() < typeList->viewport()->width() - 8) {
            if (row == m_highlightedTypeRow || row < 0)
                return;
            m_highlightedTypeRow = row;
            const QString name = typeList->item(row, 0) ? typeList->item(row, 0)->text() : QString();
            listBills(name.isEmpty() ? -1 : m_store.typeIndexOf(name));
        } else {
            typeList->setCurrentCell(m_highlightedTypeRow, 0);
            focusLocation();
        }
    });
}

void TMainForm::typeListReleased() {
    typeList->viewport()->update();
    focusLocation();
}

void TMainForm::billListPressed(const QPoint& pos) {
    const int row = billList->rowAt(pos.y());
    m_pressedOnBill = false;
    if (row >= 1) {
        if (pos.x() <= CardStyle::kCardLeft) {
            billList->setCurrentCell(m_rememberedBillRow, 0);
        } else if (row <= m_entries.size()) {
            m_pressedOnBill = true;
            m_rememberedBillRow = row;
        }
    }
    focusLocation();
}

void TMainForm::billListReleased() {
    billList->setCurrentCell(m_rememberedBillRow, 0);
    m_selectedBill = m_entries.isEmpty() ? -1 : m_rememberedBillRow - 1;
    billList->viewport()->update();
}

void TMainForm::billListDoubleClicked() {
    m_doubleClick = m_pressedOnBill;
}

void TMainForm::billListMouseUp() {
    const bool open = m_pressedOnBill && m_doubleClick;
    m_doubleClick = false;
    if (open)
        issueBill();
}

void TMainForm::issueBill() {
    focusLocation();
    const MainItemFlag* bill = selectedBill();
    if (!bill || !issueButton->isEnabled())
        return;
    const MainItemFlag entry = *bill;
    if (!guarded(this, [&] { m_store.loadWorkingTemplate(entry); }))
        return;
    if (!m_makeBill)
        m_makeBill = new TMakeBillForm(this);
    m_makeBill->setBill(entry, m_store.typeNames());
    m_makeBill->exec();
}

void TMainForm::printBatch() {
    focusLocation();
    const MainItemFlag* bill = selectedBill();
    if (!bill || !batchPrintButton->isEnabled())
        return;
    const MainItemFlag entry = *bill;
    if (!guarded(this, [&] { m_store.loadWorkingTemplate(entry); }))
        return;
    TBatchPrintForm form(this, entry, m_store.typeNames());
    form.exec();
}

void TMainForm::adjustPositions() {
    const MainItemFlag* bill = selectedBill();
    if (!bill || !adjustPositionButton->isEnabled())
        return;
    MainItemFlag entry = *bill;
    entry.typeIndex = m_currentType;
    if (!guarded(this, [&] { m_store.loadWorkingTemplate(entry); }))
        return;
    TAdjPositionForm form(m_store, entry, this);
    form.exec();
}

void TMainForm::designBill() {
    ::designBill(this, m_store);
}

void TMainForm::deleteBill() {
    const MainItemFlag* bill = selectedBill();
    if (!bill)
        return;
    const MainItemFlag entry = *bill;
    if (!Prompter::instance().question(this, QStringLiteral("确定要删除票据: ") + entry.billName +
                                                 QStringLiteral("  吗 ？")))
        return;
    guarded(this, [&] {
        MainItemFlag target = entry;
        target.typeIndex = m_currentType;
        const int previous = m_store.deleteBill(target);
        const int typeRow = typeList->currentRow();
        fillTypeList();
        if (previous == 1) {
            const QString first = typeList->item(0, 0) ? typeList->item(0, 0)->text() : QString();
            m_currentType = first.isEmpty() ? -1 : m_store.typeIndexOf(first);
            typeList->setCurrentCell(0, 0);
            m_highlightedTypeRow = 0;
            typeList->viewport()->update();
            focusLocation();
        } else {
            typeList->setCurrentCell(typeRow, 0);
        }
        listBills(m_currentType);
    });
}

void TMainForm::runBackupCommand(BackupCommands::Refresh (BackupCommands::*command)()) {
    guarded(this, [&] {
        BackupCommands commands(this, &TWaitingForm::runWorker);
        switch ((commands.*command)()) {
        case BackupCommands::Refresh::All:
            refreshAll();
            break;
        case BackupCommands::Refresh::CurrentType:
            listBills(m_currentType);
            break;
        case BackupCommands::Refresh::None:
            break;
        }
    });
}

void TMainForm::importSampleBill() {
    guarded(this, [this] {
        SampleCheque::import(m_store, AppPaths::sampleBillFile());
        refreshAll();
    });
}

void TMainForm::queryHistory() {
    TQueryForm form(m_store, this);
    form.exec();
}

void TMainForm::exportBackup() {
    runBackupCommand(&BackupCommands::exportBackup);
}

void TMainForm::importBackup() {
    runBackupCommand(&BackupCommands::importBackup);
}

void TMainForm::importInformation() {
    runBackupCommand(&BackupCommands::importInformation);
}

void TMainForm::manageOwnAccounts() {
    TOwnAccountForm form(this);
    form.exec();
}

void TMainForm::manageBusinessUnits() {
    TBussAccountForm form(this);
    form.exec();
}

void TMainForm::managePurposes() {
    TPurposeForm form(this);
    form.exec();
}

void TMainForm::manageContacts() {
    TLinkManForm form(this);
    form.exec();
}

void TMainForm::importBill() {
    TLoadBillFileForm form(m_store, this);
    if (form.exec() != QDialog::Accepted)
        return;
    // The import has set the type's count already, in the transaction that created the bill.
    guarded(this, [&] {
        const int chosen = form.chosenTypeIndex();
        if (chosen != m_currentType) {
            const bool hadType = m_currentType != -1;
            fillTypeList();
            if (!hadType)
                m_currentType = chosen;
            // The refilled list may have gained a row above the listed type; keep the
            // highlight on the type whose bills are listed.
            const QString listed = m_store.typeNames().value(m_currentType);
            const QList<QTableWidgetItem*> found = typeList->findItems(listed, Qt::MatchExactly);
            m_highlightedTypeRow = found.isEmpty() ? 0 : found.constFirst()->row();
            typeList->setCurrentCell(m_highlightedTypeRow, 0);
            typeList->viewport()->update();
            if (hadType)
                return;
        }
        listBills(m_currentType);
    });
}

void TMainForm::editSystemSettings() {
    TSystemSettingsForm form(this);
    form.exec();
}

void TMainForm::choosePrinter() {
    const QStringList printers = Printing::instance().printers();
    if (printers.isEmpty()) {
        Prompter::instance().warning(this, QStringLiteral("未找到可以使用的打印机 ！"));
        return;
    }
    TSltPrinterForm form(this);
    form.choose(printers);
}

void TMainForm::changeDatabaseSettings() {
    TDatabaseSettingsForm form(this);
    form.exec();
}

void TMainForm::calibratePrinter() {
    const QStringList printers = Printing::instance().printers();
    if (printers.isEmpty()) {
        Prompter::instance().warning(this, QStringLiteral("未找到可以使用的打印机 ！"));
        return;
    }
    TPrinterCalibrationForm form(this, printers, Settings::printer());
    form.exec();
}

void TMainForm::showHelp() {
    // The help stays open beside the main window until it is closed.
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void TMainForm::showAbout() {
    TAboutBox box(this);
    box.exec();
}
