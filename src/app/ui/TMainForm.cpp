#include "app/ui/TMainForm.h"

#include "app/ui/HelpWindow.h"
#include "app/ui/TAboutBox.h"
#include "app/ui/TPrinterCalibrationForm.h"
#include "app/ui/TSltPrinterForm.h"
#include "app/ui/TSystemSettingsForm.h"
#include "app/ui/TWaitingForm.h"
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
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <exception>
#include <functional>

namespace {
const int kCardLeft = 16; // left edge of the "开  票" button: the bill cards start there
const QColor kPen(89, 172, 255);
const QColor kFill(215, 232, 240);
const QColor kHighlightFill(150, 196, 218);
const QColor kHighlightPen(0, 0, 255);

QFont cellFont(const QWidget* w) {
    QFont f = w->font();
    f.setPointSize(10);
    return f;
}

// Draws a type-list card: rounded rectangle with the type name.
class TypeCardDelegate : public QStyledItemDelegate {
public:
    TypeCardDelegate(QTableWidget* grid, std::function<QColor()> background, std::function<int()> highlighted)
        : QStyledItemDelegate(grid), m_grid(grid), m_background(std::move(background)),
          m_highlighted(std::move(highlighted)) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect cell = option.rect;
        p->save();
        p->fillRect(cell, m_background());
        const bool hi = index.row() == m_highlighted();
        const QString text = index.data().toString();
        if (!text.isEmpty()) {
            p->setRenderHint(QPainter::Antialiasing);
            p->setPen(QPen(hi ? kHighlightPen : kPen, hi ? 2 : 1));
            p->setBrush(hi ? kHighlightFill : kFill);
            const int right = m_grid->viewport()->width() - 8;
            p->drawRoundedRect(QRect(QPoint(cell.left() + 8, cell.top() + 2), QPoint(right, cell.top() + 34)),
                               5, 5);
            p->setFont(cellFont(m_grid));
            p->setPen(hi ? QColor(Qt::blue) : QColor(Qt::black));
            const QFontMetrics fm(p->font());
            p->drawText(cell.left() + 32, cell.top() + (36 - fm.height()) / 2 + fm.ascent(), text);
        }
        p->restore();
    }

private:
    QTableWidget* m_grid;
    std::function<QColor()> m_background;
    std::function<int()> m_highlighted;
};

// Draws the bill list: a header card in row 0, then one card with a round marker per bill.
class BillCardDelegate : public QStyledItemDelegate {
public:
    BillCardDelegate(QTableWidget* grid, std::function<QColor()> background, std::function<int()> selected)
        : QStyledItemDelegate(grid), m_grid(grid), m_background(std::move(background)),
          m_selected(std::move(selected)) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect cell = option.rect;
        const int c = kCardLeft;
        p->save();
        p->fillRect(cell, m_background());
        p->setFont(cellFont(m_grid));
        const QFontMetrics fm(p->font());
        const QString text = index.data().toString();
        if (index.row() == 0) {
            const QRect inner(QPoint(c + 2, cell.top() + 2), QPoint(cell.right() - 2, cell.bottom() - 2));
            p->fillRect(inner, kFill);
            if (!text.isEmpty()) {
                p->setPen(Qt::black);
                p->drawText(c + (inner.width() - fm.horizontalAdvance(text)) / 2,
                            inner.top() + (inner.height() - fm.height()) / 2 + fm.ascent(), text);
            }
        } else {
            const bool hi = index.row() == m_selected() + 1;
            const QColor pen = hi ? kHighlightPen : kPen;
            const QColor fill = hi ? kHighlightFill : kFill;
            p->setRenderHint(QPainter::Antialiasing);
            p->setPen(QPen(pen, hi ? 2 : 1));
            p->setBrush(fill);
            p->drawRoundedRect(
                QRect(QPoint(c + 2, cell.top() + 2), QPoint(cell.right() - 2, cell.bottom() - 2)), 5, 5);
            p->setPen(QPen(pen, 1));
            p->setBrush(Qt::white);
            p->drawEllipse(QRect(QPoint(c + 8, cell.top() + 8), QPoint(c + 24, cell.top() + 24)));
            if (hi) {
                p->setPen(Qt::blue);
                p->setBrush(Qt::blue);
                p->drawEllipse(QRect(QPoint(c + 14, cell.top() + 14), QPoint(c + 18, cell.top() + 18)));
            }
            p->setPen(hi ? QColor(Qt::blue) : QColor(Qt::black));
            p->drawText(c + 28, cell.top() + (cell.height() - fm.height()) / 2 + fm.ascent(), text);
        }
        p->restore();
    }

private:
    QTableWidget* m_grid;
    std::function<QColor()> m_background;
    std::function<int()> m_selected;
};

QTableWidget* makeGrid(QWidget* parent, int rowHeight) {
    auto* g = new QTableWidget(parent);
    g->setColumnCount(1);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(rowHeight);
    g->setShowGrid(false);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setFocusPolicy(Qt::NoFocus);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setFrameShape(QFrame::NoFrame);
    return g;
}

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
    FormCreate();
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
    BitBtn1 = new QPushButton(QStringLiteral("导入票据"), buttonArea);
    BitBtn2 = new QPushButton(QStringLiteral("信息管理"), buttonArea);
    BitBtn3 = new QPushButton(QStringLiteral("统计查询"), buttonArea);
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3}) {
        b->setFixedSize(88, 40);
        b->setFocusPolicy(Qt::NoFocus);
        bal->addWidget(b);
    }
    bannerLayout->addWidget(buttonArea);
    outer->addWidget(banner);
    outer->addWidget(bar(central, false));

    auto* lower = new QHBoxLayout;
    lower->setSpacing(0);
    TypeGrid = makeGrid(central, 36);
    TypeGrid->setFixedWidth(200);
    TypeGrid->setItemDelegate(new TypeCardDelegate(
        TypeGrid, [this] { return Panel4->palette().color(QPalette::Window); },
        [this] { return m_highlightedTypeRow; }));
    TypeGrid->viewport()->installEventFilter(this);
    lower->addWidget(TypeGrid);
    lower->addWidget(bar(central, true));

    auto* work = new QWidget(central);
    setBackground(work, face);
    auto* workLayout = new QVBoxLayout(work);
    workLayout->setContentsMargins(0, 0, 0, 0);
    workLayout->setSpacing(0);
    Panel4 = new QLabel(QStringLiteral("  当前位置："), work);
    Panel4->setFixedHeight(41);
    QFont pf = Panel4->font();
    pf.setPixelSize(12);
    Panel4->setFont(pf);
    setBackground(Panel4, face);
    QPalette lp = Panel4->palette();
    lp.setColor(QPalette::WindowText, Qt::blue);
    Panel4->setPalette(lp);
    Panel4->setFocusPolicy(Qt::StrongFocus);
    workLayout->addWidget(Panel4);
    setBackground(TypeGrid, face);

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
    BitBtn4 = new QPushButton(QStringLiteral("开  票"), strip);
    batchPrintButton = new QPushButton(QStringLiteral("批量打印"), strip);
    BitBtn5 = new QPushButton(QStringLiteral("位置调整"), strip);
    BitBtn6 = new QPushButton(QStringLiteral("删除票据"), strip);
    int x = 16;
    for (QPushButton* b : {BitBtn4, batchPrintButton, BitBtn5, BitBtn6}) {
        b->setGeometry(x, 12, 88, 40);
        b->setFocusPolicy(Qt::NoFocus);
        x += 104;
    }
    belowLayout->addWidget(buttonBar);
    ItemGrid = makeGrid(belowArea, 32);
    setBackground(ItemGrid, below);
    ItemGrid->setItemDelegate(new BillCardDelegate(
        ItemGrid, [below] { return below; }, [this] { return m_selectedBill; }));
    ItemGrid->viewport()->installEventFilter(this);
    auto* gridRow = new QHBoxLayout;
    gridRow->setContentsMargins(0, 0, 0, 0);
    gridRow->addWidget(ItemGrid);
    welcomePanel = new WelcomePanel(!AppPaths::sampleBillFile().isEmpty(), belowArea);
    welcomePanel->hide();
    gridRow->addWidget(welcomePanel, 1);
    gridRow->addStretch();
    belowLayout->addLayout(gridRow, 1);
    workLayout->addWidget(belowArea, 1);
    lower->addWidget(work, 1);
    outer->addLayout(lower, 1);
    setCentralWidget(central);

    connect(BitBtn4, &QPushButton::clicked, this, &TMainForm::BitBtn4Click);
    connect(batchPrintButton, &QPushButton::clicked, this, &TMainForm::printBatch);
    connect(BitBtn5, &QPushButton::clicked, this, &TMainForm::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TMainForm::BitBtn6Click);
    connect(welcomePanel, &WelcomePanel::importBillFileRequested, this, &TMainForm::N2Click);
    connect(welcomePanel, &WelcomePanel::designBillRequested, this, &TMainForm::N3Click);
    connect(welcomePanel, &WelcomePanel::importSampleRequested, this, &TMainForm::importSampleBill);
}

void TMainForm::createMenus() {
    auto action = [this](const QString& caption, void (TMainForm::*handler)()) {
        auto* a = new QAction(caption, this);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    N12 = action(QStringLiteral("导出系统备份"), &TMainForm::N12Click);
    N21 = action(QStringLiteral("导入系统备份"), &TMainForm::N21Click);
    N22 = action(QStringLiteral("导入信息"), &TMainForm::N22Click);
    N2 = action(QStringLiteral("导入票据"), &TMainForm::N2Click);
    N3 = action(QStringLiteral("设计票据"), &TMainForm::N3Click);
    N9 = action(QStringLiteral("查询统计"), &TMainForm::N9Click);
    N5 = action(QStringLiteral("本单位帐户"), &TMainForm::N5Click);
    N6 = action(QStringLiteral("往来业务单位帐户"), &TMainForm::N6Click);
    N7 = action(QStringLiteral("用途信息"), &TMainForm::N7Click);
    N19 = action(QStringLiteral("联系人"), &TMainForm::N19Click);
    N24 = action(QStringLiteral("选择打印机"), &TMainForm::N24Click);
    calibratePrinterAction = action(QStringLiteral("打印机校准"), &TMainForm::calibratePrinter);
    systemSettingsAction = action(QStringLiteral("系统设置"), &TMainForm::editSystemSettings);
    N25 = action(QStringLiteral("帮助"), &TMainForm::N25Click);
    N18 = action(QStringLiteral("关于"), &TMainForm::N18Click);

    // menu: "票据管理" — 导入票据 (N2), 设计票据 (N3) | 导出系统备份 (N12), 导入系统备份 (N21), 导入信息
    // (N22)
    QMenu* bills = menuBar()->addMenu(QStringLiteral("票据管理"));
    for (QAction* a : {N2, N3})
        if (a)
            bills->addAction(a);
    if (N12 || N21 || N22)
        bills->addSeparator();
    for (QAction* a : {N12, N21, N22})
        if (a)
            bills->addAction(a);

    // menu: "信息管理" — 本单位帐户 (N5), 往来业务单位帐户 (N6), 用途信息 (N7), 联系人 (N19) | 选择打印机
    // (N24), 打印机校准, 系统设置 | 查询统计 (N9)
    QMenu* info = menuBar()->addMenu(QStringLiteral("信息管理"));
    InfoPopup = new QMenu(this);
    for (QAction* a : {N5, N6, N7, N19})
        if (a) {
            info->addAction(a);
            InfoPopup->addAction(a);
        }
    if (!info->isEmpty())
        info->addSeparator();
    info->addAction(N24);
    info->addAction(calibratePrinterAction);
    info->addAction(systemSettingsAction);
    if (N9) {
        info->addSeparator();
        info->addAction(N9);
    }
    if (bills->isEmpty())
        bills->menuAction()->setVisible(false);

    QMenu* about = menuBar()->addMenu(QStringLiteral("关于"));
    about->addAction(N25);
    about->addAction(N18);

    // The banner buttons and bill commands show only when their windows exist.
    BitBtn1->setVisible(N2 != nullptr);
    BitBtn2->setVisible(!InfoPopup->isEmpty());
    BitBtn3->setVisible(N9 != nullptr);
    if (N2)
        connect(BitBtn1, &QPushButton::clicked, N2, &QAction::trigger);
    if (N9)
        connect(BitBtn3, &QPushButton::clicked, N9, &QAction::trigger);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { InfoPopup->popup(QCursor::pos()); });
}

void TMainForm::FormCreate() {
    m_firstShow = true;
    m_store.ensureBillTypeTable();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_firstShow && !m_prepareStore && !m_opening)
        FormShow();
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
    for (QAction* a : {N2, N3, N12, N21, N22, N9, N5, N6, N7, N19})
        a->setEnabled(enable);
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, batchPrintButton, BitBtn5, BitBtn6})
        b->setEnabled(enable);
}

void TMainForm::FormShow() {
    m_firstShow = false;
    guarded(this, [this] {
        fillTypeList();
        int type = -1;
        const QString first = TypeGrid->item(0, 0) ? TypeGrid->item(0, 0)->text() : QString();
        if (!first.isEmpty())
            type = m_store.typeIndexOf(first);
        listBills(type);
    });
}

void TMainForm::focusLocation() {
    Panel4->setFocus();
}

void TMainForm::fillTypeList() {
    m_store.reloadTypeNames();
    showTypeList(m_store.typesWithBills());
}

void TMainForm::showTypeList(const QStringList& withBills) {
    TypeGrid->setColumnWidth(0, TypeGrid->viewport()->width() > 0 ? TypeGrid->viewport()->width() : 200);
    TypeGrid->clearContents();
    TypeGrid->setRowCount(std::max<int>(1, withBills.size()));
    for (int r = 0; r < TypeGrid->rowCount(); ++r)
        TypeGrid->setItem(r, 0, new QTableWidgetItem(r < withBills.size() ? withBills.at(r) : QString()));
    TypeGrid->setCurrentCell(0, 0);
    TypeGrid->viewport()->update();
    // A newcomer sees where to begin instead of an empty list.
    welcomePanel->setVisible(withBills.isEmpty());
    ItemGrid->setVisible(!withBills.isEmpty());
}

void TMainForm::listBills(int typeIndex) {
    const bool known = typeIndex >= 0 && typeIndex < m_store.typeNames().size();
    showBills(typeIndex, known ? m_store.billEntriesOfType(typeIndex) : QList<MainItemFlag>());
}

void TMainForm::showBills(int typeIndex, const QList<MainItemFlag>& entries) {
    m_currentType = typeIndex;
    m_entries.clear();
    const int clientWidth = BitBtn6->geometry().left() + BitBtn6->width() + 200;
    ItemGrid->setFixedWidth(clientWidth + 2 * ItemGrid->frameWidth());
    ItemGrid->setColumnWidth(0, clientWidth);
    ItemGrid->clearContents();
    if (typeIndex < 0 || typeIndex >= m_store.typeNames().size()) {
        m_currentType = -1;
        Panel4->setText(QStringLiteral("  目前位置："));
        ItemGrid->setRowCount(15);
        m_selectedBill = -1;
        focusLocation();
        ItemGrid->viewport()->update();
        return;
    }
    const QString typeName = m_store.typeNames().at(typeIndex);
    Panel4->setText(QStringLiteral("  目前位置：") + typeName);
    m_entries = entries;
    const int count = m_entries.size();
    ItemGrid->setRowCount(std::max(count + 1, 15));
    ItemGrid->setItem(0, 0, new QTableWidgetItem(typeName + QStringLiteral("-列表")));
    m_rememberedBillRow = 1;
    for (int i = 0; i < count; ++i)
        ItemGrid->setItem(i + 1, 0, new QTableWidgetItem(m_entries.at(i).billName.trimmed()));
    if (count > 0) {
        m_selectedBill = 0;
        ItemGrid->setCurrentCell(1, 0);
    } else {
        m_selectedBill = -1;
        focusLocation();
    }
    ItemGrid->viewport()->update();
}

void TMainForm::refreshAll() {
    guarded(this, [this] {
        m_entries.clear();
        m_store.ensureBillTypeTable();
        fillTypeList();
        m_highlightedTypeRow = 0;
        const QString first = TypeGrid->item(0, 0) ? TypeGrid->item(0, 0)->text() : QString();
        listBills(first.isEmpty() ? -1 : m_store.typeIndexOf(first));
    });
}

const MainItemFlag* TMainForm::selectedBill() const {
    if (m_selectedBill < 0 || m_selectedBill >= m_entries.size())
        return nullptr;
    return &m_entries.at(m_selectedBill);
}

int TMainForm::typeListRowAt(const QPoint& pos) const {
    return TypeGrid->rowAt(pos.y());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (m_prepareStore && watched == menuBar() && event->type() == QEvent::Paint) {
        // Queued behind the painting, so that the window is on the screen before the store is read.
        QMetaObject::invokeMethod(this, &TMainForm::openAfterFirstPaint, Qt::QueuedConnection);
        menuBar()->removeEventFilter(this);
        return false;
    }
    const bool typeList = TypeGrid && watched == TypeGrid->viewport();
    const bool billList = ItemGrid && watched == ItemGrid->viewport();
    if (!typeList && !billList)
        return QMainWindow::eventFilter(watched, event);
    auto* me = dynamic_cast<QMouseEvent*>(event);
    if (!me || me->button() != Qt::LeftButton)
        return QMainWindow::eventFilter(watched, event);
    const QPoint pos = me->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (typeList)
            TypeGridMouseDown(pos);
        else
            ItemGridMouseDown(pos);
        return true;
    case QEvent::MouseButtonDblClick:
        if (typeList) {
            TypeGridMouseDown(pos);
        } else {
            ItemGridMouseDown(pos);
            ItemGridDblClick();
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (typeList) {
            TypeGridClick();
        } else {
            ItemGridClick();
            ItemGridMouseUp();
        }
        return true;
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

void TMainForm::TypeGridMouseDown(const QPoint& pos) {
    guarded(this, [&] {
        const int row = typeListRowAt(pos);
        if (pos.x() > 8 && pos.x() < TypeGrid->viewport()->width() - 8) {
            if (row == m_highlightedTypeRow || row < 0)
                return;
            m_highlightedTypeRow = row;
            const QString name = TypeGrid->item(row, 0) ? TypeGrid->item(row, 0)->text() : QString();
            listBills(name.isEmpty() ? -1 : m_store.typeIndexOf(name));
        } else {
            TypeGrid->setCurrentCell(m_highlightedTypeRow, 0);
            focusLocation();
        }
    });
}

void TMainForm::TypeGridClick() {
    TypeGrid->viewport()->update();
    focusLocation();
}

void TMainForm::ItemGridMouseDown(const QPoint& pos) {
    const int row = ItemGrid->rowAt(pos.y());
    m_pressedOnBill = false;
    if (row >= 1) {
        if (pos.x() <= kCardLeft) {
            ItemGrid->setCurrentCell(m_rememberedBillRow, 0);
        } else if (row <= m_entries.size()) {
            m_pressedOnBill = true;
            m_rememberedBillRow = row;
        }
    }
    focusLocation();
}

void TMainForm::ItemGridClick() {
    ItemGrid->setCurrentCell(m_rememberedBillRow, 0);
    m_selectedBill = m_entries.isEmpty() ? -1 : m_rememberedBillRow - 1;
    ItemGrid->viewport()->update();
}

void TMainForm::ItemGridDblClick() {
    m_doubleClick = m_pressedOnBill;
}

void TMainForm::ItemGridMouseUp() {
    const bool open = m_pressedOnBill && m_doubleClick;
    m_doubleClick = false;
    if (open)
        BitBtn4Click();
}

void TMainForm::BitBtn4Click() {
    focusLocation();
    const MainItemFlag* bill = selectedBill();
    if (!bill || !BitBtn4->isEnabled())
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

void TMainForm::BitBtn5Click() {
    const MainItemFlag* bill = selectedBill();
    if (!bill || !BitBtn5->isEnabled())
        return;
    MainItemFlag entry = *bill;
    entry.typeIndex = m_currentType;
    if (!guarded(this, [&] { m_store.loadWorkingTemplate(entry); }))
        return;
    TAdjPositionForm form(m_store, entry, this);
    form.exec();
}

void TMainForm::N3Click() {
    designBill(this, m_store);
}

void TMainForm::BitBtn6Click() {
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
        const int typeRow = TypeGrid->currentRow();
        fillTypeList();
        if (previous == 1) {
            const QString first = TypeGrid->item(0, 0) ? TypeGrid->item(0, 0)->text() : QString();
            m_currentType = first.isEmpty() ? -1 : m_store.typeIndexOf(first);
            TypeGrid->setCurrentCell(0, 0);
            m_highlightedTypeRow = 0;
            TypeGrid->viewport()->update();
            focusLocation();
        } else {
            TypeGrid->setCurrentCell(typeRow, 0);
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

void TMainForm::N9Click() {
    TQueryForm form(m_store, this);
    form.exec();
}

void TMainForm::N12Click() {
    runBackupCommand(&BackupCommands::exportBackup);
}

void TMainForm::N21Click() {
    runBackupCommand(&BackupCommands::importBackup);
}

void TMainForm::N22Click() {
    runBackupCommand(&BackupCommands::importInformation);
}

void TMainForm::N5Click() {
    TOwnAccountForm form(this);
    form.exec();
}

void TMainForm::N6Click() {
    TBussAccountForm form(this);
    form.exec();
}

void TMainForm::N7Click() {
    TPurposeForm form(this);
    form.exec();
}

void TMainForm::N19Click() {
    TLinkManForm form(this);
    form.exec();
}

void TMainForm::N2Click() {
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
            const QList<QTableWidgetItem*> found = TypeGrid->findItems(listed, Qt::MatchExactly);
            m_highlightedTypeRow = found.isEmpty() ? 0 : found.constFirst()->row();
            TypeGrid->setCurrentCell(m_highlightedTypeRow, 0);
            TypeGrid->viewport()->update();
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

void TMainForm::N24Click() {
    const QStringList printers = Printing::instance().printers();
    if (printers.isEmpty()) {
        Prompter::instance().warning(this, QStringLiteral("未找到可以使用的打印机 ！"));
        return;
    }
    TSltPrinterForm form(this);
    form.choose(printers);
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

void TMainForm::N25Click() {
    // The help stays open beside the main window until it is closed.
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void TMainForm::N18Click() {
    TAboutBox box(this);
    box.exec();
}
