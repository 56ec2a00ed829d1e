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

// StringGridDrawCell: texts right-aligned 8 pixels from the cell's right edge and centred
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

QPushButton* speedButton(const QString& caption, QWidget* parent) {
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
    ComboBox1 = new QComboBox(this);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setMinimumContentsLength(12);
    MaskEdit1 = new QLineEdit(this);
    MaskEdit2 = new QLineEdit(this);
    for (QLineEdit* e : {MaskEdit1, MaskEdit2}) {
        e->setInputMask(kMask);
        e->installEventFilter(this);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000年00月00日")) + 16);
    }
    Memo1 = new QLineEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setAlignment(Qt::AlignRight);
    Memo1->setFixedWidth(80);
    SpeedButton1 = speedButton(QStringLiteral("查 询"), this);
    SpeedButton2 = speedButton(QStringLiteral("导出 Excel"), this);
    SpeedButton3 = speedButton(QStringLiteral("删 除"), this);
    SpeedButton4 = speedButton(QStringLiteral("退  出"), this);
    voidButton = speedButton(QStringLiteral("作 废"), this);
    unvoidButton = speedButton(QStringLiteral("取消作废"), this);
    reprintButton = speedButton(QStringLiteral("重 打"), this);

    panel->addWidget(new QLabel(QStringLiteral("票据类型"), this));
    panel->addWidget(ComboBox1);
    panel->addWidget(new QLabel(QStringLiteral("票据名称"), this));
    panel->addWidget(ComboBox2);
    panel->addWidget(new QLabel(QStringLiteral("打印日期从"), this));
    panel->addWidget(MaskEdit1);
    panel->addWidget(new QLabel(QStringLiteral("至"), this));
    panel->addWidget(MaskEdit2);
    panel->addWidget(new QLabel(QStringLiteral("打印张数"), this));
    panel->addWidget(Memo1);
    panel->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b :
         {SpeedButton1, SpeedButton2, reprintButton, voidButton, unvoidButton, SpeedButton3, SpeedButton4})
        buttons->addWidget(b);
    outer->addLayout(panel);
    outer->addLayout(buttons);

    m_model = new HistoryListModel(this);
    StringGrid = new QTableView(this);
    StringGrid->setModel(m_model);
    StringGrid->setItemDelegate(
        new HistoryGridDelegate(StringGrid, [this](int row) { return m_listing.isVoided(row); }));
    StringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several records can be chosen for voiding (Ctrl and Shift with the mouse).
    StringGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->verticalHeader()->hide();
    StringGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    StringGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid->horizontalHeader()->setHighlightSections(false);
    outer->addWidget(StringGrid, 1);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TQueryForm::ComboBox1Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TQueryForm::ComboBox2Change);
    connect(MaskEdit1, &QLineEdit::textChanged, this, &TQueryForm::MaskEdit1Change);
    connect(MaskEdit2, &QLineEdit::textChanged, this, &TQueryForm::MaskEdit2Change);
    connect(SpeedButton1, &QPushButton::clicked, this, &TQueryForm::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TQueryForm::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TQueryForm::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &TQueryForm::SpeedButton4Click);
    connect(voidButton, &QPushButton::clicked, this, &TQueryForm::voidRecords);
    connect(unvoidButton, &QPushButton::clicked, this, &TQueryForm::unvoidRecords);
    connect(reprintButton, &QPushButton::clicked, this, &TQueryForm::reprintRecord);
    FormCreate();
}

TQueryForm::~TQueryForm() = default;

void TQueryForm::FormCreate() {
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    for (const QString& name : m_store.typeNames())
        ComboBox1->addItem(name.trimmed());
    MaskEdit1->setText(QueryDates::masked(QStringLiteral("20070701")));
    MaskEdit2->setText(QueryDates::masked(QStringLiteral("20070701")));
}

void TQueryForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TQueryForm::FormShow() {
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? 0 : -1);
    }
    fillBillNames();
    Memo1->clear();
    MaskEdit1->setText(QueryDates::masked(QStringLiteral("20070718")));
    MaskEdit2->setText(QueryDates::masked(Clock::today().toString(QStringLiteral("yyyyMMdd"))));
    clearList();
    guarded(this, [this] { lookUpHistoryTable(); });
}

void TQueryForm::fillBillNames() {
    const QSignalBlocker block(ComboBox2);
    ComboBox2->clear();
    const int type = ComboBox1->currentIndex();
    if (type >= 0)
        guarded(this, [&] { ComboBox2->addItems(m_store.billNamesOfType(type)); });
    ComboBox2->setCurrentIndex(ComboBox2->count() > 0 ? 0 : -1);
}

void TQueryForm::ComboBox1Change() {
    fillBillNames();
    billChanged();
}

void TQueryForm::ComboBox2Change() {
    billChanged();
}

void TQueryForm::billChanged() {
    clearList();
    Memo1->clear();
    guarded(this, [this] { lookUpHistoryTable(); });
    StringGrid->setFocus();
}

void TQueryForm::lookUpHistoryTable() {
    m_entry = MainItemFlag();
    m_historyTable.clear();
    m_itemTable.clear();
    const int type = ComboBox1->currentIndex();
    if (type < 0 || ComboBox2->currentIndex() < 0)
        return;
    const QString name = ComboBox2->currentText();
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
    if ((watched == MaskEdit1 || watched == MaskEdit2) && event->type() == QEvent::KeyPress)
        return MaskEdit1KeyDown(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool TQueryForm::MaskEdit1KeyDown(QKeyEvent* event) {
    const int key = event->key();
    // The operator types over the eight digit positions; moving between fields stays possible.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9 && !(event->modifiers() & Qt::KeypadModifier) &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right;
    return !(digit || arrow);
}

void TQueryForm::MaskEdit1Change() {
    normaliseDate(MaskEdit1);
}

void TQueryForm::MaskEdit2Change() {
    normaliseDate(MaskEdit2);
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

void TQueryForm::SpeedButton1Click() {
    clearList();
    Memo1->clear();
    if (m_historyTable.isEmpty())
        return;
    const QString from = QueryDates::digits(MaskEdit1->displayText());
    const QString to = QueryDates::digits(MaskEdit2->displayText());
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
    Memo1->setText(QString::number(m_listed));
    StringGrid->setFocus();
}

void TQueryForm::showListing() {
    m_model->setRows(m_listing.header, m_listing.rows + m_listing.totals);
    sizeColumns();
}

void TQueryForm::sizeColumns() {
    const QFontMetrics fm(StringGrid->font());
    const int unit = fm.horizontalAdvance(QStringLiteral("中国"));
    QList<QStringList> rows{m_listing.header};
    rows += m_listing.rows;
    rows += m_listing.totals;
    const QList<int> widths = ColumnFit::selectionWidths(
        rows, [&fm](const QString& s) { return fm.horizontalAdvance(s); }, unit,
        StringGrid->viewport()->width());
    for (qsizetype c = 0; c < widths.size(); ++c)
        StringGrid->setColumnWidth(int(c), widths.at(c));
}

void TQueryForm::SpeedButton2Click() {
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

void TQueryForm::SpeedButton3Click() {
    if (m_listed == 0)
        return;
    if (!Prompter::instance().question(this, QStringLiteral("确定要删除目前的所有记录吗 ？")))
        return;
    if (guarded(this, [this] { DeleteHistoryRows(m_historyTable, m_listing.numbers); })) {
        clearList();
        Memo1->clear();
    }
}

void TQueryForm::SpeedButton4Click() {
    reject();
}

QList<int> TQueryForm::chosenRows() const {
    QList<int> rows;
    if (m_listed == 0)
        return rows;
    for (const QModelIndex& index : StringGrid->selectionModel()->selectedRows())
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
        SpeedButton1Click();
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
        SpeedButton1Click();
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
    SpeedButton1Click();
}

void TQueryForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}
