#include "issuing/ui/TMakeBillForm.h"

#include "issuing/CurrencyTable.h"
#include "issuing/ItemValueRules.h"
#include "issuing/PreBillTable.h"
#include "issuing/PrintRecords.h"
#include "issuing/ui/BillEditorOverlay.h"
#include "issuing/ui/BillPrintCommands.h"
#include "issuing/ui/PreBillList.h"
#include "issuing/ui/ReferenceLookups.h"
#include "platform/Clock.h"
#include "platform/ui/MinimizeFollow.h"
#include "platform/ui/Prompter.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kListRowHeight = 18;

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}
} // namespace

TMakeBillForm::TMakeBillForm(QWidget* parent) : QDialog(parent) {
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    currencySelector = new QComboBox(this);
    currencySelector->setObjectName(QStringLiteral("currencySelector"));
    currencySelector->addItems(CurrencyTable::names());
    currencySelector->setCurrentIndex(0);
    connect(currencySelector, &QComboBox::activated, this, &TMakeBillForm::changeCurrency);

    pictureScroller = new QScrollArea(this);
    pictureScroller->setObjectName(QStringLiteral("pictureScroller"));
    pictureScroller->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pictureScroller->setWidgetResizable(false);
    // A press on the look-up button or the arrows beside an editor must leave the focus in the
    // editor; a picture that took the focus would close the editor before the release.
    pictureScroller->setFocusPolicy(Qt::NoFocus);
    pictureView = new QLabel;
    pictureView->setObjectName(QStringLiteral("pictureView"));
    pictureView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pictureScroller->setWidget(pictureView);
    editors = new BillEditorOverlay(pictureView, this, m_filling, [this] { redraw(); });

    currencyLabel = new QLabel(QStringLiteral("币种:"), this);
    currencyLabel->setStyleSheet(QStringLiteral("color: red"));
    commandBar = new QWidget(this);
    auto* bar = new QHBoxLayout(commandBar);
    bar->setContentsMargins(0, 0, 0, 0);
    auto button = [this, bar](const char* text, const char* name, void (TMakeBillForm::*handler)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), commandBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setMinimumSize(88, 32);
        connect(b, &QPushButton::clicked, this, handler);
        bar->addWidget(b);
        return b;
    };
    preBillButton = button("预 开 票", "preBillButton", &TMakeBillForm::keepAsPreBill);
    newBillButton = button("新 开 票", "newBillButton", &TMakeBillForm::newBill);
    previewButton = button("打印预览", "previewButton", &TMakeBillForm::previewPrint);
    exportPdfButton = button("导出PDF", "exportPdfButton", &TMakeBillForm::exportPdf);
    printButton = button("打  印", "printButton", &TMakeBillForm::printBill);
    batchPrintButton = button("批量打印", "batchPrintButton", &TMakeBillForm::printBatch);
    exitButton = button("退  出", "exitButton", &TMakeBillForm::leave);

    preBillList = new PreBillList(this, m_filling);
    connect(preBillList, &PreBillList::menuAsked, this, &TMakeBillForm::openPreBillMenu);
    connect(preBillList->choosePreBillAction, &QAction::triggered, this, &TMakeBillForm::loadSelectedPreBill);
    m_commands = new BillPrintCommands(this, m_filling, [this] { preBillList->fill(); });

    auto* top = new QHBoxLayout;
    top->setContentsMargins(8, 0, 0, 0); // the label keeps off the window's edge
    top->addWidget(currencyLabel);
    top->addWidget(currencySelector);
    top->addStretch();
    top->addWidget(commandBar);
    auto* splitter = new QFrame(this);
    splitter->setFixedHeight(4);
    splitter->setStyleSheet(QStringLiteral("background: red"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(pictureScroller, 1);
    layout->addLayout(top);
    layout->addWidget(splitter);
    layout->addWidget(preBillList);
}

TMakeBillForm::~TMakeBillForm() {
    // The editors go before the widgets they watch, which move the focus as they are destroyed.
    delete editors;
}

void TMakeBillForm::setBill(const MainItemFlag& entry, const QStringList& typeNames) {
    m_filling.entry = entry;
    m_filling.typeNames = typeNames;
}

void TMakeBillForm::setLookups(std::unique_ptr<ReferenceLookups> lookups) {
    editors->setLookups(std::move(lookups));
}

int TMakeBillForm::clickedItem() const {
    return editors->clickedItem();
}

int TMakeBillForm::editedItem() const {
    return editors->editedItem();
}

int TMakeBillForm::preBillCount() const {
    return preBillList->preBillCount();
}

QString TMakeBillForm::nextPreBillNumber() const {
    return QString::number(preBillList->nextNumber());
}

void TMakeBillForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_ready && !event->spontaneous())
        guarded(this, [this] { loadBill(); });
}

void TMakeBillForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}

void TMakeBillForm::closeEvent(QCloseEvent* event) {
    editors->hideEditors();
    m_ready = false;
    QDialog::closeEvent(event);
}

void TMakeBillForm::keyPressEvent(QKeyEvent* event) {
    // The window is left with "退  出"; Esc and Enter belong to the editors.
    if (event->key() == Qt::Key_Escape || isEnter(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TMakeBillForm::loadBill() {
    m_filling.screenDpi = logicalDpiX();
    editors->forgetClick();
    m_filling.bill = LoadWorkingBill(m_filling.screenDpi);
    m_fontErrorShown = false;

    preBillList->showColumns();
    m_filling.currency = currencySelector->currentIndex();
    preBillList->fill();
    SetDefaultValues(m_filling.bill, Clock::now());
    LoadRememberedItems(m_filling.entry.autoTable, m_filling.bill, Remembered::All);
    m_filling.picture.build(m_filling.bill, m_filling.screenDpi);
    sizeWindow();
    redraw();
    m_ready = true;
    setWindowTitle(m_filling.typeNames.value(m_filling.bill.page.typeIndex) + QStringLiteral("--") +
                   m_filling.bill.page.billName + QStringLiteral("  开票"));
    const bool shown = m_filling.currencyShown();
    currencyLabel->setVisible(shown);
    currencySelector->setVisible(shown);
    if (!shown)
        m_filling.currency = 0;
    if (m_reprint)
        loadReprint();
}

void TMakeBillForm::setReprint(const QHash<QString, QString>& values, int currency,
                               std::optional<qint64> replaces) {
    m_reprint = Reprint{values, currency};
    m_commands->setReplaces(replaces);
}

void TMakeBillForm::setCorrecting(bool correcting) {
    for (QPushButton* b : {preBillButton, previewButton, exportPdfButton, printButton, batchPrintButton})
        b->setVisible(!correcting);
}

void TMakeBillForm::loadReprint() {
    FilledBill& bill = m_filling.bill;
    for (int i = 0; i < bill.count(); ++i) {
        const auto v = m_reprint->values.find(bill.items.at(i).name);
        if (v != m_reprint->values.end())
            bill.values[i] = *v;
    }
    // The numbers go on from the last print, never back to the old record's.
    guarded(this, [this] {
        LoadRememberedItems(m_filling.entry.autoTable, m_filling.bill, Remembered::NumbersOnly);
    });
    if (m_filling.currencyShown() && m_reprint->currency >= 0 &&
        m_reprint->currency < currencySelector->count()) {
        currencySelector->setCurrentIndex(m_reprint->currency);
        m_filling.currency = m_reprint->currency;
    }
    m_reprint.reset();
    redraw();
}

void TMakeBillForm::sizeWindow() {
    const QImage& pic = m_filling.picture.base();
    pictureView->resize(pic.size());
    QRect main = parentWidget() ? parentWidget()->window()->geometry() : QRect();
    if (main.isEmpty() && screen())
        main = screen()->availableGeometry();
    const int listHeight = 6 * kListRowHeight;
    const int panelHeight = commandBar->sizeHint().height() + 8;
    const int splitterHeight = 4;
    int scrollHeight = pic.height() + 4;
    bool heightLimited = false;
    if (scrollHeight >= main.height() - listHeight - panelHeight - splitterHeight - 50) {
        heightLimited = true;
        scrollHeight = std::max(100, main.height() - 50 - listHeight - panelHeight - splitterHeight);
    }
    const int least = currencyLabel->sizeHint().width() + currencySelector->sizeHint().width() +
                      commandBar->sizeHint().width() + 24;
    int width = pic.width() + 4 + (heightLimited ? 22 : 0);
    const bool widthLimited = width > main.width();
    if (widthLimited)
        width = main.width();
    width = std::max(width, least);
    if (widthLimited && !heightLimited)
        scrollHeight += 18;
    // A picture that fits is shown whole.
    pictureScroller->setMinimumSize(std::min(width, 200),
                                    heightLimited ? std::min(scrollHeight, 100) : scrollHeight);
    resize(width + 4, scrollHeight + panelHeight + splitterHeight + listHeight + 8);
}

void TMakeBillForm::redraw() {
    m_shown = m_filling.picture.withValues(m_filling.bill, m_filling.currency, currencyShown());
    pictureView->setPixmap(QPixmap::fromImage(m_shown));
    // An unreadable item font is told once; the item stays undrawn.
    if (!m_filling.picture.fontError().isEmpty() && !m_fontErrorShown) {
        m_fontErrorShown = true;
        Prompter::instance().error(this, m_filling.picture.fontError());
    }
}

void TMakeBillForm::commandDone() {
    redraw();
    editors->forgetClick();
}

void TMakeBillForm::changeCurrency(int index) {
    m_filling.currency = index;
    redraw();
}

void TMakeBillForm::newBill() {
    editors->hideEditors();
    guarded(this, [this] {
        SetDefaultValues(m_filling.bill, Clock::now());
        LoadRememberedItems(m_filling.entry.autoTable, m_filling.bill, Remembered::All);
    });
    commandDone();
}

void TMakeBillForm::leave() {
    editors->hideEditors();
    close();
}

void TMakeBillForm::printBill() {
    editors->hideEditors();
    m_commands->printBill();
    commandDone();
}

void TMakeBillForm::previewPrint() {
    editors->hideEditors();
    m_commands->previewPrint();
    commandDone();
}

void TMakeBillForm::printBatch() {
    editors->hideEditors();
    m_commands->printBatch();
    commandDone();
}

void TMakeBillForm::exportPdf() {
    editors->hideEditors();
    m_commands->exportPdf();
    editors->forgetClick();
}

void TMakeBillForm::keepAsPreBill() {
    editors->hideEditors();
    preBillList->keepBill();
}

void TMakeBillForm::loadSelectedPreBill() {
    guarded(this, [this] {
        const std::optional<PreBill> pre =
            PreBillTable(m_filling.entry.preBillTable).find(preBillList->selectedNumber());
        if (!pre)
            return;
        FilledBill& bill = m_filling.bill;
        for (int i = 0; i < bill.count(); ++i) {
            const auto v = pre->values.find(bill.items.at(i).name);
            if (v != pre->values.end())
                bill.values[i] = *v;
        }
        m_filling.currency = pre->currency;
        LoadRememberedItems(m_filling.entry.autoTable, bill, Remembered::NumbersOnly);
        if (m_filling.currency >= 0 && m_filling.currency < currencySelector->count())
            currencySelector->setCurrentIndex(m_filling.currency);
        commandDone();
    });
}

void TMakeBillForm::openPreBillMenu() {
    editors->hideEditors();
    if (m_ready && preBillCount() > 0)
        preBillList->preBillMenu->popup(QCursor::pos());
}
