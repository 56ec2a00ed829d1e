#include "issuing/ui/TBatchPrintForm.h"

#include "issuing/PrintJob.h"
#include "issuing/ValuesFile.h"
#include "issuing/ui/SetUpPrintJob.h"
#include "issuing/ui/TMakeBillForm.h"
#include "platform/SpreadsheetError.h"
#include "platform/SpreadsheetWriter.h"
#include "platform/ui/Prompter.h"
#include "store/BillStore.h"
#include "store/StoreError.h"
#include "templates/TemplateError.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kUnmatched = QStringLiteral("（不对应）");
// Columns of the review list before the printed items.
enum ReviewColumn { ChoiceColumn, LineColumn, StateColumn, NumberColumn, MessageColumn, FirstItemColumn };

} // namespace

TBatchPrintForm::TBatchPrintForm(QWidget* parent, const MainItemFlag& entry, const QStringList& typeNames)
    : QDialog(parent), m_entry(entry), m_typeNames(typeNames) {
    setWindowTitle(QStringLiteral("%1--%2  批量打印").arg(typeNames.value(entry.typeIndex), entry.billName));
    resize(1000, 640);

    dataFileEdit = new QLineEdit(this);
    dataFileEdit->setReadOnly(true);
    chooseFileButton = new QPushButton(QStringLiteral("选择数据文件…"), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("数据文件："), this));
    fileRow->addWidget(dataFileEdit, 1);
    fileRow->addWidget(chooseFileButton);

    columnMatches = new QTableWidget(0, 2, this);
    columnMatches->setHorizontalHeaderLabels({QStringLiteral("设置项"), QStringLiteral("数据列")});
    columnMatches->horizontalHeader()->setStretchLastSection(true);
    columnMatches->verticalHeader()->hide();
    columnMatches->setEditTriggers(QAbstractItemView::NoEditTriggers);
    reviewButton = new QPushButton(QStringLiteral("核对"), this);
    auto* matchBox = new QVBoxLayout;
    matchBox->addWidget(new QLabel(QStringLiteral("数据列与设置项的对应："), this));
    matchBox->addWidget(columnMatches, 1);
    matchBox->addWidget(reviewButton);
    auto* matchPanel = new QWidget(this);
    matchPanel->setLayout(matchBox);

    reviewList = new QTableWidget(0, FirstItemColumn, this);
    reviewList->setHorizontalHeaderLabels({QStringLiteral("选择"), QStringLiteral("行号"),
                                           QStringLiteral("状态"), QStringLiteral("编号"),
                                           QStringLiteral("说明")});
    reviewList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    reviewList->setSelectionBehavior(QAbstractItemView::SelectRows);
    reviewList->verticalHeader()->hide();
    auto* splitter = new QSplitter(this);
    splitter->addWidget(matchPanel);
    splitter->addWidget(reviewList);
    splitter->setStretchFactor(1, 3);

    totalsLabel = new QLabel(this);
    totalsLabel->setObjectName(QStringLiteral("totalsLabel"));
    totalsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progressLabel = new QLabel(this);
    progressLabel->setObjectName(QStringLiteral("progressLabel"));

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    printChosenButton = button(QStringLiteral("打印所选"));
    pauseButton = button(QStringLiteral("暂停"));
    stopButton = button(QStringLiteral("停止"));
    resumeButton = button(QStringLiteral("继续"));
    buttons->addStretch();
    preBillButton = button(QStringLiteral("预开票"));
    exportButton = button(QStringLiteral("导出核对表"));
    closeButton = button(QStringLiteral("关闭"));
    chooseFileButton->setAutoDefault(false);
    reviewButton->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(splitter, 1);
    layout->addWidget(totalsLabel);
    layout->addWidget(progressLabel);
    layout->addLayout(buttons);

    connect(chooseFileButton, &QPushButton::clicked, this, &TBatchPrintForm::chooseDataFile);
    connect(reviewButton, &QPushButton::clicked, this, &TBatchPrintForm::reviewRows);
    connect(reviewList, &QTableWidget::cellChanged, this, &TBatchPrintForm::rowChoiceChanged);
    connect(reviewList, &QTableWidget::cellDoubleClicked, this, &TBatchPrintForm::correctRow);
    connect(printChosenButton, &QPushButton::clicked, this, &TBatchPrintForm::printChosen);
    connect(pauseButton, &QPushButton::clicked, this, [this] {
        if (running())
            m_run->pause();
        updateButtons();
    });
    connect(stopButton, &QPushButton::clicked, this, [this] {
        if (running())
            m_run->stop();
        updateButtons();
    });
    connect(resumeButton, &QPushButton::clicked, this, [this] { startRun(false); });
    connect(preBillButton, &QPushButton::clicked, this, &TBatchPrintForm::preBillChosen);
    connect(exportButton, &QPushButton::clicked, this, &TBatchPrintForm::exportReview);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    guarded(this, [this] {
        m_bill = BatchBill::load(m_entry, logicalDpiX() > 0 ? logicalDpiX() : 96);
        fillColumnMatches({});
    });
    updateButtons();
}

TBatchPrintForm::~TBatchPrintForm() = default;

void TBatchPrintForm::chooseDataFile() {
    FileDialogSpec spec;
    spec.title = QStringLiteral("选择数据文件");
    spec.filter = QStringLiteral("数据文件(*.xlsx *.xls *.ods *.txt *.tsv);;所有文件(*)");
    const QString path = Prompter::instance().openFile(this, spec);
    if (!path.isEmpty())
        openDataFile(path);
}

bool TBatchPrintForm::openDataFile(const QString& path) {
    if (!m_bill || running())
        return false;
    return guarded(this, [&] {
        const ValuesFile values = ValuesFile::read(path);
        m_header = values.header;
        m_data = values.rows;
        m_lines = values.lineNumbers;
        dataFileEdit->setText(path);
        m_rows.clear();
        fillColumnMatches(MatchColumns(m_bill->blank, m_header, RememberedMapping(m_entry)));
        showRows();
    });
}

void TBatchPrintForm::fillColumnMatches(const ColumnMapping& mapping) {
    const QStringList names = MappableNames(m_bill->blank);
    columnMatches->setRowCount(int(names.size()));
    QStringList choices{kUnmatched};
    for (const QString& h : std::as_const(m_header))
        if (!h.isEmpty())
            choices << h;
    for (int r = 0; r < names.size(); ++r) {
        columnMatches->setItem(r, 0, new QTableWidgetItem(names.at(r)));
        auto* box = new QComboBox(columnMatches);
        box->addItems(choices);
        const QString chosen = mapping.value(names.at(r));
        box->setCurrentIndex(chosen.isEmpty() ? 0 : std::max(0, int(choices.indexOf(chosen))));
        columnMatches->setCellWidget(r, 1, box);
    }
    columnMatches->resizeColumnToContents(0);
}

ColumnMapping TBatchPrintForm::chosenMapping() const {
    ColumnMapping mapping;
    for (int r = 0; r < columnMatches->rowCount(); ++r) {
        const auto* box = qobject_cast<QComboBox*>(columnMatches->cellWidget(r, 1));
        if (box && box->currentIndex() > 0)
            mapping.insert(columnMatches->item(r, 0)->text(), box->currentText());
    }
    return mapping;
}

void TBatchPrintForm::reviewRows() {
    if (!m_bill || running())
        return;
    if (m_header.isEmpty()) {
        Prompter::instance().notice(this, QStringLiteral("请先选择数据文件。"));
        return;
    }
    for (const BatchRow& row : std::as_const(m_rows))
        if (row.state == BatchRow::State::Printed &&
            !Prompter::instance().question(this,
                                           QStringLiteral("重新核对会清除已打印的标记。要重新核对吗？")))
            return;
        else if (row.state == BatchRow::State::Printed)
            break;
    guarded(this, [this] {
        m_mapping = chosenMapping();
        RememberMapping(m_entry, m_mapping);
        m_rows = ReviewRows(*m_bill, m_header, m_data, m_lines, m_mapping);
    });
    showRows();
}

void TBatchPrintForm::showRows() {
    m_showing = true;
    const QStringList items = PrintedItemNames(m_bill->blank);
    reviewList->clear();
    reviewList->setColumnCount(FirstItemColumn + int(items.size()));
    reviewList->setHorizontalHeaderLabels(QStringList{QStringLiteral("选择"), QStringLiteral("行号"),
                                                      QStringLiteral("状态"), QStringLiteral("编号"),
                                                      QStringLiteral("说明")} +
                                          items);
    reviewList->setRowCount(int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r)
        showRow(r);
    reviewList->resizeColumnsToContents();
    // A long reason keeps its column narrow enough for the printed texts; the whole stands in its tip.
    reviewList->setColumnWidth(MessageColumn, std::min(reviewList->columnWidth(MessageColumn), 240));
    m_showing = false;
    showTotals();
    updateButtons();
}

void TBatchPrintForm::showRow(int index) {
    const bool wasShowing = m_showing;
    m_showing = true;
    const BatchRow& row = m_rows.at(index);
    auto* choice = new QTableWidgetItem;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (row.state != BatchRow::State::Error)
        flags |= Qt::ItemIsUserCheckable;
    choice->setFlags(flags);
    choice->setCheckState(row.chosen ? Qt::Checked : Qt::Unchecked);
    reviewList->setItem(index, ChoiceColumn, choice);
    reviewList->setItem(index, LineColumn, new QTableWidgetItem(QString::number(row.line)));
    reviewList->setItem(index, StateColumn, new QTableWidgetItem(StateText(row.state)));
    reviewList->setItem(index, NumberColumn, new QTableWidgetItem(row.numbers));
    auto* message = new QTableWidgetItem(row.message);
    message->setToolTip(row.message);
    reviewList->setItem(index, MessageColumn, message);
    for (int i = 0; i < row.texts.size(); ++i)
        reviewList->setItem(index, FirstItemColumn + i, new QTableWidgetItem(row.texts.at(i)));
    QColor background;
    if (row.state == BatchRow::State::Error || row.state == BatchRow::State::Failed)
        background = QColor(255, 220, 220);
    else if (row.state == BatchRow::State::Printed)
        background = QColor(220, 245, 220);
    else if (row.state == BatchRow::State::PreBilled)
        background = QColor(230, 230, 245);
    if (background.isValid())
        for (int c = 0; c < reviewList->columnCount(); ++c)
            if (QTableWidgetItem* cell = reviewList->item(index, c))
                cell->setBackground(background);
    m_showing = wasShowing;
}

void TBatchPrintForm::showTotals() {
    if (!m_bill || m_rows.isEmpty()) {
        totalsLabel->clear();
        return;
    }
    int chosen = 0, printed = 0, errors = 0;
    for (const BatchRow& row : std::as_const(m_rows)) {
        chosen += row.chosen ? 1 : 0;
        printed += row.state == BatchRow::State::Printed ? 1 : 0;
        errors += row.state == BatchRow::State::Error ? 1 : 0;
    }
    QStringList parts{QStringLiteral("共 %1 行，选中 %2 行，已打印 %3 行，有错误 %4 行")
                          .arg(m_rows.size())
                          .arg(chosen)
                          .arg(printed)
                          .arg(errors)};
    for (const BatchTotal& total : ChosenTotals(*m_bill, m_rows))
        parts << QStringLiteral("%1合计：%2").arg(total.item, total.perCurrency.join(QStringLiteral("，")));
    totalsLabel->setText(parts.join(QStringLiteral("；")));
}

void TBatchPrintForm::rowChoiceChanged(int row, int column) {
    if (m_showing || column != ChoiceColumn || row < 0 || row >= m_rows.size())
        return;
    m_rows[row].chosen = reviewList->item(row, column)->checkState() == Qt::Checked;
    showTotals();
    updateButtons();
}

// Opens the row in the bill filling window; what the operator leaves there comes back as the row.
void TBatchPrintForm::correctRow(int row, int column) {
    Q_UNUSED(column);
    if (running() || row < 0 || row >= m_rows.size() || !m_bill)
        return;
    BatchRow& r = m_rows[row];
    if (r.state == BatchRow::State::Printed) {
        Prompter::instance().notice(this, QStringLiteral("第 %1 行已打印，不能再修改。").arg(r.line));
        return;
    }
    guarded(this, [&] {
        BillStore().loadWorkingTemplate(m_entry);
        TMakeBillForm form(this);
        form.setBill(m_entry, m_typeNames);
        QHash<QString, QString> values;
        for (int i = 0; i < r.filled.bill.count(); ++i)
            values.insert(r.filled.bill.items.at(i).name, r.filled.bill.values.at(i));
        form.setReprint(values, r.filled.currency, std::nullopt);
        form.setCorrecting(true);
        form.exec();
        CorrectBatchRow(*m_bill, r, form.bill(), form.currency());
    });
    showRow(row);
    showTotals();
    updateButtons();
}

void TBatchPrintForm::printChosen() {
    startRun(true);
}

void TBatchPrintForm::startRun(bool askForPrinted) {
    if (!m_bill || running())
        return;
    const QList<int> queue = BatchRun::rowsToPrint(m_rows, [&](const BatchRow& row) {
        return askForPrinted &&
               Prompter::instance().question(
                   this, QStringLiteral("第 %1 行已打印（编号 %2），要再打印一次吗？")
                             .arg(row.line)
                             .arg(row.numbers.isEmpty() ? QStringLiteral("无") : row.numbers));
    });
    for (int i = 0; i < m_rows.size(); ++i)
        showRow(i);
    showTotals();
    if (queue.isEmpty()) {
        Prompter::instance().notice(this, QStringLiteral("没有选中可以打印的行。"));
        updateButtons();
        return;
    }
    CheckPrintDefine def = CheckPrintDefine::fromPage(m_bill->blank.page);
    def.items = m_bill->blank.items;
    std::optional<PrintJobSetup> setup;
    if (!guarded(this, [&] { setup = SetUpPrintJob(this, def); }) || !setup)
        return;
    m_run.emplace(*m_bill, m_header, m_mapping, *setup, m_rows, queue);
    m_run->rowStarting = [this](int index) {
        progressLabel->setText(QStringLiteral("正在打印第 %1 / %2 张（数据第 %3 行）")
                                   .arg(m_run->done() + 1)
                                   .arg(m_run->total())
                                   .arg(m_rows.at(index).line));
    };
    updateButtons();
    QTimer::singleShot(0, this, &TBatchPrintForm::printNextRow);
}

void TBatchPrintForm::printNextRow() {
    if (!running())
        return;
    BatchRun::State state = BatchRun::State::Failed;
    const bool ran = guarded(this, [&] { state = m_run->printNext(); });
    const int index = m_run->lastRow();
    if (index >= 0) {
        showRow(index);
        showTotals();
    }
    switch (state) {
    case BatchRun::State::Running:
        QTimer::singleShot(0, this, &TBatchPrintForm::printNextRow);
        return;
    case BatchRun::State::Finished:
        showRunEnd(QStringLiteral("完成"));
        return;
    case BatchRun::State::Paused:
        showRunEnd(QStringLiteral("已暂停"));
        return;
    case BatchRun::State::Stopped:
        showRunEnd(QStringLiteral("已停止"));
        return;
    case BatchRun::State::Failed:
        break;
    }
    const BatchRow& row = m_rows.at(index);
    showRunEnd(QStringLiteral("在第 %1 行停止").arg(row.line));
    if (ran && m_run->failure().kind != PrintOutcome::NotConfirmed) {
        const QStringList printed = PrintedLines(m_rows);
        Prompter::instance().error(
            this, QStringLiteral(
                      "数据第 %1 行：%2\n已打印的行：%3\n处理好后点“继续”从第一个未打印的选中行接着打印。")
                      .arg(row.line)
                      .arg(m_run->failure().message,
                           printed.isEmpty() ? QStringLiteral("无") : printed.join(QStringLiteral("、"))));
    }
}

void TBatchPrintForm::showRunEnd(const QString& why) {
    progressLabel->setText(
        QStringLiteral("%1：本次打印 %2 / %3 张").arg(why).arg(m_run->done()).arg(m_run->total()));
    updateButtons();
}

void TBatchPrintForm::preBillChosen() {
    if (!m_bill || running())
        return;
    int kept = 0;
    guarded(this, [&] {
        for (int i = 0; i < m_rows.size(); ++i) {
            BatchRow& row = m_rows[i];
            if (!row.chosen || row.state != BatchRow::State::Ready)
                continue;
            PreBillBatchRow(*m_bill, row);
            ++kept;
            showRow(i);
        }
    });
    showTotals();
    updateButtons();
    progressLabel->setText(QStringLiteral("已把 %1 行存为预开票").arg(kept));
}

void TBatchPrintForm::exportReview() {
    if (!m_bill || m_rows.isEmpty())
        return;
    FileDialogSpec spec;
    spec.title = QStringLiteral("导出核对表");
    spec.filter = QStringLiteral("Excel 工作簿(*.xlsx)");
    spec.defaultSuffix = QStringLiteral("xlsx");
    spec.fileName = m_entry.billName + QStringLiteral("-核对表.xlsx");
    const QString path = Prompter::instance().saveFile(this, spec);
    if (path.isEmpty())
        return;
    guarded(this, [&] { ExportReview(SpreadsheetWriter::xlsxName(path), *m_bill, m_rows); });
}

void TBatchPrintForm::updateButtons() {
    const bool haveRows = !m_rows.isEmpty();
    bool unprintedChosen = false;
    for (const BatchRow& row : std::as_const(m_rows))
        unprintedChosen = unprintedChosen || (row.chosen && row.state != BatchRow::State::Printed &&
                                              row.state != BatchRow::State::Error);
    chooseFileButton->setEnabled(!running());
    reviewButton->setEnabled(!running() && m_bill.has_value());
    printChosenButton->setEnabled(!running() && haveRows);
    pauseButton->setEnabled(running() && !m_run->pauseAsked() && !m_run->stopAsked());
    stopButton->setEnabled(running() && !m_run->stopAsked());
    resumeButton->setEnabled(!running() && unprintedChosen && m_run.has_value());
    preBillButton->setEnabled(!running() && haveRows);
    exportButton->setEnabled(!running() && haveRows);
    closeButton->setEnabled(!running());
}

void TBatchPrintForm::closeEvent(QCloseEvent* event) {
    if (running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TBatchPrintForm::reject() {
    if (!running())
        QDialog::reject();
}
