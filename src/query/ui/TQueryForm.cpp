#include "query/ui/TQueryForm.h"

#include "app/ui/TStringInputForm.h"
#include "issuing/ui/TMakeBillForm.h"
#include "platform/Clock.h"
#include "platform/ui/MinimizeFollow.h"
#include "platform/ui/Prompter.h"
#include "platform/ui/SpreadsheetDialogs.h"
#include "query/QueryDates.h"
#include "query/SaveQueryThread.h"
#include "query/ui/HistoryListModel.h"
#include "reference/ColumnFit.h"
#include "reference/ui/SheetTransfers.h"
#include "store/BillStore.h"
#include "store/VoidedRecords.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {
const QString kMask = QStringLiteral("0000年00月00日; ");

// Cells of the history list: texts right-aligned 8 pixels from the cell's right edge and centred
// vertically; the selected row on the inactive-caption colour with white text, other rows black
// on white. The header row is the view's header, centred on the window's colour.
// Voided records are drawn grey and struck through.
class HistoryGridDelegate : public QStyledItemDelegate {
public:
    HistoryGridDelegate(QObject* parent, std::function<bool(int)> voided)
        : QStyledItemDelegate(parent), m_voided(std::move(voided)) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const bool voided = m_voided(index.row());
        painter->save();
        painter->fillRect(option.rect, selected ? QColor(191, 205, 219) : QColor(Qt::white));
        painter->setPen(selected ? QColor(Qt::white) : (voided ? QColor(Qt::gray) : QColor(Qt::black)));
        QFont font = option.font;
        font.setStrikeOut(voided);
        painter->setFont(font);
        painter->drawText(option.rect.adjusted(0, 0, -8, 0), Qt::AlignRight | Qt::AlignVCenter,
                          index.data().toString());
        painter->restore();
    }

private:
    std::function<bool(int)> m_voided;
};

QPushButton* commandButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    return b;
}
} // namespace

TQueryForm::TQueryForm(BillStore& store, QWidget* parent) : QDialog(parent), m_store(store) {
    setWindowTitle(QStringLiteral("统计查询"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(760, 480);

    auto* outer = new QVBoxLayout(this);
    auto* panel = new QHBoxLayout;
    typeSelector = new QComboBox(this);
    billSelector = new QComboBox(this);
    billSelector->setMinimumContentsLength(12);
    fromDateEdit = new QLineEdit(this);
    toDateEdit = new QLineEdit(this);
    for (QLineEdit* e : {fromDateEdit, toDateEdit}) {
        e->setInputMask(kMask);
        e->installEventFilter(this);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000年00月00日")) + 16);
    }
    printCountEdit = new QLineEdit(this);
    printCountEdit->setReadOnly(true);
    printCountEdit->setAlignment(Qt::AlignRight);
    printCountEdit->setFixedWidth(80);
    listButton = commandButton(QStringLiteral("查 询"), this);
    exportButton = commandButton(QStringLiteral("导出 Excel"), this);
    deleteButton = commandButton(QStringLiteral("删 除"), this);
    exitButton = commandButton(QStringLiteral("退  出"), this);
    voidButton = commandButton(QStringLiteral("作 废"), this);
    unvoidButton = commandButton(QStringLiteral("取消作废"), this);
    reprintButton = commandButton(QStringLiteral("重 打"), this);

    panel->addWidget(new QLabel(QStringLiteral("票据类型"), this));
    panel->addWidget(typeSelector);
    panel->addWidget(new QLabel(QStringLiteral("票据名称"), this));
    panel->addWidget(billSelector);
    panel->addWidget(new QLabel(QStringLiteral("打印日期从"), this));
    panel->addWidget(fromDateEdit);
    panel->addWidget(new QLabel(QStringLiteral("至"), this));
    panel->addWidget(toDateEdit);
    panel->addWidget(new QLabel(QStringLiteral("打印张数"), this));
    panel->addWidget(printCountEdit);
    panel->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b :
         {listButton, exportButton, reprintButton, voidButton, unvoidButton, deleteButton, exitButton})
        buttons->addWidget(b);
    outer->addLayout(panel);
    outer->addLayout(buttons);

    m_model = new HistoryListModel(this);
    historyList = new QTableView(this);
    historyList->setModel(m_model);
    historyList->setItemDelegate(
        new HistoryGridDelegate(historyList, [this](int row) { return m_listing.isVoided(row); }));
    historyList->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several records can be chosen for voiding (Ctrl and Shift with the mouse).
    historyList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    historyList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    historyList->verticalHeader()->hide();
    historyList->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    historyList->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    historyList->horizontalHeader()->setHighlightSections(false);
    outer->addWidget(historyList, 1);

    connect(typeSelector, &QComboBox::currentIndexChanged, this, &TQueryForm::typeChanged);
    connect(billSelector, &QComboBox::currentIndexChanged, this, &TQueryForm::billSelected);
    connect(fromDateEdit, &QLineEdit::textChanged, this, &TQueryForm::fromDateChanged);
    connect(toDateEdit, &QLineEdit::textChanged, this, &TQueryForm::toDateChanged);
    connect(listButton, &QPushButton::clicked, this, &TQueryForm::listRecords);
    connect(exportButton, &QPushButton::clicked, this, &TQueryForm::exportRecords);
    connect(deleteButton, &QPushButton::clicked, this, &TQueryForm::deleteListed);
    connect(exitButton, &QPushButton::clicked, this, &TQueryForm::leave);
    connect(voidButton, &QPushButton::clicked, this, &TQueryForm::voidRecords);
    connect(unvoidButton, &QPushButton::clicked, this, &TQueryForm::unvoidRecords);
    connect(reprintButton, &QPushButton::clicked, this, &TQueryForm::reprintRecord);
    FormCreate();
}

TQueryForm::~TQueryForm() = default;

void TQueryForm::FormCreate() {
    const QSignalBlocker block(typeSelector);
    typeSelector->clear();
    for (const QString& name : m_store.typeNames())
        typeSelector->addItem(name.trimmed());
    fromDateEdit->setText(QueryDates::masked(QStringLiteral("20070701")));
    toDateEdit->setText(QueryDates::masked(QStringLiteral("20070701")));
}

void TQueryForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        resetFilters();
}

void TQueryForm::resetFilters() {
    {
        const QSignalBlocker block(typeSelector);
        typeSelector->setCurrentIndex(typeSelector->count() > 0 ? 0 : -1);
    }
    fillBillNames();
    printCountEdit->clear();
    fromDateEdit->setText(QueryDates::masked(QStringLiteral("20070718")));
    toDateEdit->setText(QueryDates::masked(Clock::today().toString(QStringLiteral("yyyyMMdd"))));
    clearList();
    guarded(this, [this] { lookUpHistoryTable(); });
}

void TQueryForm::fillBillNames() {
    const QSignalBlocker block(billSelector);
    billSelector->clear();
    const int type = typeSelector->currentIndex();
    if (type >= 0)
        guarded(this, [&] { billSelector->addItems(m_store.billNamesOfType(type)); });
    billSelector->setCurrentIndex(billSelector->count() > 0 ? 0 : -1);
}

void TQueryForm::typeChanged() {
    fillBillNames();
    billChanged();
}

void TQueryForm::billSelected() {
    billChanged();
}

void TQueryForm::billChanged() {
    clearList();
    printCountEdit->clear();
    guarded(this, [this] { lookUpHistoryTable(); });
    historyList->setFocus();
}

void TQueryForm::lookUpHistoryTable() {
    m_entry = MainItemFlag();
    m_historyTable.clear();
    m_itemTable.clear();
    const int type = typeSelector->currentIndex();
    if (type < 0 || billSelector->currentIndex() < 0)
        return;
    const QString name = billSelector->currentText();
    for (const MainItemFlag& e : m_store.billEntriesOfType(type)) {
        if (e.billName == name) {
            m_entry = e;
            m_historyTable = e.historyTable;
            m_itemTable = e.itemTable;
            return;
        }
    }
}

bool TQueryForm::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == fromDateEdit || watched == toDateEdit) && event->type() == QEvent::KeyPress)
        return dateKeyPressed(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool TQueryForm::dateKeyPressed(QKeyEvent* event) {
    const int key = event->key();
    // The operator types over the eight digit positions; moving between fields stays possible.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9 && !(event->modifiers() & Qt::KeypadModifier) &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right;
    return !(digit || arrow);
}

void TQueryForm::fromDateChanged() {
    normaliseDate(fromDateEdit);
}

void TQueryForm::toDateChanged() {
    normaliseDate(toDateEdit);
}

void TQueryForm::normaliseDate(QLineEdit* edit) {
    const QString digits = QueryDates::digits(edit->displayText());
    const auto normalised = QueryDates::normalised(digits);
    // A part still blank is left as typed.
    if (!normalised || *normalised == digits)
        return;
    const int cursor = edit->cursorPosition();
    edit->setText(QueryDates::masked(*normalised));
    edit->setCursorPosition(cursor);
}

void TQueryForm::clearList() {
    m_listing.clear();
    m_listed = 0;
    m_model->clear();
}

void TQueryForm::listRecords() {
    clearList();
    printCountEdit->clear();
    if (m_historyTable.isEmpty())
        return;
    const QString from = QueryDates::digits(fromDateEdit->displayText());
    const QString to = QueryDates::digits(toDateEdit->displayText());
    try {
        m_listed = ListHistory(m_historyTable, m_itemTable, from, to, m_listing);
    } catch (const HistoryValueError& e) {
        // The rows listed before the value stay on show, without totals; nothing counts as listed.
        m_model->setRows(m_listing.header, m_listing.rows);
        sizeColumns();
        m_listed = 0;
        Prompter::instance().error(this, e.message());
        return;
    } catch (const std::exception& e) {
        clearList();
        Prompter::instance().error(this, describeException(e));
        return;
    }
    if (m_listed == 0)
        return;
    showListing();
    printCountEdit->setText(QString::number(m_listed));
    historyList->setFocus();
}

void TQueryForm::showListing() {
    m_model->setRows(m_listing.header, m_listing.rows + m_listing.totals);
    sizeColumns();
}

void TQueryForm::sizeColumns() {
    const QFontMetrics fm(historyList->font());
    const int unit = fm.horizontalAdvance(QStringLiteral("中国"));
    QList<QStringList> rows{m_listing.header};
    rows += m_listing.rows;
    rows += m_listing.totals;
    const QList<int> widths = ColumnFit::selectionWidths(
        rows, [&fm](const QString& s) { return fm.horizontalAdvance(s); }, unit,
        historyList->viewport()->width());
    for (qsizetype c = 0; c < widths.size(); ++c)
        historyList->setColumnWidth(int(c), widths.at(c));
}

void TQueryForm::exportRecords() {
    if (m_listed == 0)
        return;
    const SpreadsheetDialogs::ExportTarget target =
        SpreadsheetDialogs::askExportFile(this, QStringLiteral("导出查询到Excel文件"));
    if (target.path.isEmpty())
        return;
    SaveQueryThread worker(target.path, m_listing.allRows());
    if (SheetTransfers::runExport(this, QStringLiteral("正在查询结果"), worker, QStringLiteral("查询结果")))
        SpreadsheetDialogs::tellRenamed(this, target);
}

void TQueryForm::deleteListed() {
    if (m_listed == 0)
        return;
    if (!Prompter::instance().question(this, QStringLiteral("确定要删除目前的所有记录吗 ？")))
        return;
    if (guarded(this, [this] { DeleteHistoryRows(m_historyTable, m_listing.numbers); })) {
        clearList();
        printCountEdit->clear();
    }
}

void TQueryForm::leave() {
    reject();
}

QList<int> TQueryForm::chosenRows() const {
    QList<int> rows;
    if (m_listed == 0)
        return rows;
    for (const QModelIndex& index : historyList->selectionModel()->selectedRows())
        if (index.row() < m_listing.numbers.size())
            rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TQueryForm::voidRecords() {
    QList<qint64> numbers;
    for (int row : chosenRows())
        if (!m_listing.isVoided(row))
            numbers << m_listing.numbers.at(row);
    if (numbers.isEmpty()) {
        Prompter::instance().notice(this, QStringLiteral("请先在列表中选择要作废的记录。"));
        return;
    }
    const std::optional<QString> reason =
        TStringInputForm::ask(this, QStringLiteral("作废"), QStringLiteral("作废原因（必须填写）："),
                              QString(), TStringInputForm::Text::Free);
    if (!reason)
        return;
    if (reason->trimmed().isEmpty()) {
        Prompter::instance().notice(this, QStringLiteral("没有填写作废原因，记录未作废。"));
        return;
    }
    if (guarded(this, [&] { VoidedRecords::mark(m_historyTable, numbers, *reason, Clock::now()); }))
        listRecords();
}

void TQueryForm::unvoidRecords() {
    QList<qint64> numbers;
    for (int row : chosenRows())
        if (m_listing.isVoided(row))
            numbers << m_listing.numbers.at(row);
    if (numbers.isEmpty())
        return;
    if (!Prompter::instance().question(
            this, QStringLiteral("确定要取消这 %1 条记录的作废吗 ？").arg(numbers.size())))
        return;
    if (guarded(this, [&] { VoidedRecords::unmark(m_historyTable, numbers); }))
        listRecords();
}

void TQueryForm::reprintRecord() {
    const QList<int> rows = chosenRows();
    if (rows.size() != 1) {
        Prompter::instance().notice(this, QStringLiteral("请在列表中选择一条要重打的记录。"));
        return;
    }
    const qint64 number = m_listing.numbers.at(rows.constFirst());
    std::optional<HistoryRecord> record;
    if (!guarded(this, [&] { record = ReadHistoryRecord(m_historyTable, number); }) || !record)
        return;
    std::optional<qint64> replaces;
    if (!m_listing.isVoided(rows.constFirst()) &&
        Prompter::instance().question(this, QStringLiteral("同时作废原记录（序号 %1）吗 ？").arg(number)))
        replaces = number;
    const MainItemFlag entry = m_entry;
    if (!guarded(this, [&] { m_store.loadWorkingTemplate(entry); }))
        return;
    TMakeBillForm form(this);
    form.setBill(entry, m_store.typeNames());
    form.setReprint(record->values, record->currency, replaces);
    form.exec();
    listRecords();
}

void TQueryForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}
