#include "reference/ui/RecordManagerForm.h"

#include "platform/ui/MinimizeFollow.h"
#include "platform/ui/Prompter.h"
#include "reference/RecordFilter.h"
#include "reference/ReferenceTable.h"
#include "reference/TableChangedError.h"
#include "reference/ui/RecordGrid.h"
#include "reference/ui/TInfoShowForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kDuplicateCode = QStringLiteral("存在相同的识别码，需要修改吗 ？");

void enable(QPushButton* b, bool on) {
    if (b)
        b->setEnabled(on);
}
bool enabled(const QPushButton* b) {
    return b && b->isEnabled();
}
} // namespace

RecordManagerForm::RecordManagerForm(const ManagerRules& rules, QWidget* parent)
    : QDialog(parent), m_rules(rules) {
    setWindowTitle(rules.caption);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    CurrentRecord = new FieldPanel(rules.fields, this);
    RecordShow = RecordGrid::create(this, 20, RecordGridDelegate::Style::Manager, rules.centredHeader);
    // The grid shows the button face behind its cells, as the record windows always did.
    RecordShow->setBackgroundRole(QPalette::Button);
    RecordShow->viewport()->setBackgroundRole(QPalette::Button);

    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(CurrentRecord, 1);
    m_buttonBar = new QVBoxLayout;
    auto* buttons = new QVBoxLayout;
    buttons->addLayout(m_buttonBar);
    buttons->addStretch();
    top->addLayout(buttons);
    outer->addLayout(top);
    outer->addWidget(RecordShow, 1);
    resize(rules.fields.size() > 8 ? 900 : 760, 560);

    connect(CurrentRecord, &FieldPanel::changed, this, &RecordManagerForm::Edit1Change);
    connect(RecordShow, &QTableWidget::cellClicked, this, [this] { RecordShowClick(); });
    // Moving the selection by keyboard loads the row too; the program's own moves do not.
    connect(RecordShow, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (!m_loading && row != previous)
            RecordShowClick();
    });
}

QPushButton* RecordManagerForm::addSpeedButton(const QString& objectName, const QString& caption,
                                               int position) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(objectName);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    b->setDefault(false);
    m_buttonBar->insertWidget(position, b);
    return b;
}

void RecordManagerForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        run([this] { FormShow(); });
}

void RecordManagerForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}

void RecordManagerForm::FormShow() {
    CurrentRecord->reset();
    enableButtons(false, false, false, false);
    reloadRecords();
    widenToColumns();
}

void RecordManagerForm::widenToColumns() {
    int columns = 0;
    for (int c = 0; c < RecordShow->columnCount(); ++c)
        columns += RecordShow->columnWidth(c);
    // Room for a vertical scroll bar, which appears once the rows outgrow the grid.
    const int around =
        width() - RecordShow->viewport()->width() + RecordShow->verticalScrollBar()->sizeHint().width();
    int wanted = columns + around;
    if (const QScreen* s = screen())
        wanted = std::min(wanted, s->availableGeometry().width() - (frameGeometry().width() - width()));
    if (wanted <= width())
        return;
    resize(wanted, height());
    if (QLayout* l = layout())
        l->activate();
    FitColumns();
}

template <typename F> void RecordManagerForm::run(F&& action) {
    try {
        action();
    } catch (const TableChangedError& e) {
        Prompter::instance().error(this, e.message());
        guarded(this, [this] {
            CurrentRecord->reset();
            enableButtons(false, false, false, false);
            reloadRecords();
        });
    } catch (const std::exception& e) {
        Prompter::instance().error(this, describeException(e));
    }
}

void RecordManagerForm::reloadRecords() {
    const ReferenceTable table(m_rules.table);
    QStringList headers = m_rules.headers;
    if (headers.isEmpty()) {
        m_gridColumns = table.fieldNames();
        for (const QString& c : m_gridColumns)
            headers << c.trimmed();
    } else {
        m_gridColumns = CurrentRecord->columns();
    }
    m_loading = true;
    RecordGrid::setHeaders(RecordShow, headers);
    RecordGrid::setRecords(RecordShow, table.records(m_gridColumns));
    FitColumns();
    RecordShow->setCurrentCell(0, 0);
    m_loading = false;
}

void RecordManagerForm::FitColumns() {
    RecordGrid::fitColumns(RecordShow, m_rules.padded ? RecordGrid::chinaPad(RecordShow) : 0);
}

void RecordManagerForm::enableButtons(bool add, bool modify, bool remove, bool select) {
    enable(m_addButton, add);
    enable(m_modifyButton, modify);
    enable(m_deleteButton, remove);
    enable(m_selectButton, select);
}

void RecordManagerForm::RecordShowClick() {
    if (RecordShow->currentRow() < 0)
        return;
    run([this] { LoadRowIntoEdits(); });
}

void RecordManagerForm::LoadRowIntoEdits() {
    const int row = RecordShow->currentRow();
    if (row < 0)
        return;
    const ReferenceTable table(m_rules.table);
    CurrentRecord->reset();
    enableButtons(false, false, false, false);
    if (table.count() == 0)
        return;
    if (m_rules.loadFromTable) {
        const StoredRecord r =
            table.recordAt(row, RecordGrid::rowIdAt(RecordShow, row), CurrentRecord->columns());
        if (r.rowId < 0)
            return;
        CurrentRecord->setTexts(r.values);
    } else {
        CurrentRecord->setTexts(RecordGrid::rowTexts(RecordShow, row));
    }
    enableButtons(false, false, true, m_selectMode);
    CurrentRecord->focusFirst();
}

void RecordManagerForm::Edit1Change() {
    if (CurrentRecord->editsEmpty()) {
        enable(m_addButton, false);
        enable(m_modifyButton, m_rules.modifyWhenEmpty);
    } else {
        enableButtons(true, true, false, false);
    }
}

void RecordManagerForm::afterChange(bool select) {
    CurrentRecord->reset();
    enable(m_addButton, false);
    enable(m_modifyButton, false);
    enable(m_deleteButton, false);
    enable(m_selectButton, select);
    CurrentRecord->focusFirst();
}

bool RecordManagerForm::selectEnabled() const {
    switch (m_rules.selectAfterChange) {
    case ManagerRules::Select::Disabled:
        return false;
    case ManagerRules::Select::Enabled:
        return true;
    case ManagerRules::Select::Unchanged:
        break;
    }
    return enabled(m_selectButton);
}

void RecordManagerForm::addRecord() {
    run([this] {
        ReferenceTable table(m_rules.table);
        const QStringList texts = CurrentRecord->texts();
        const int codeField = int(CurrentRecord->columns().indexOf(m_rules.codeColumn));
        if (codeField >= 0) {
            const QString code = texts.at(codeField);
            if (!code.isEmpty() && table.containsIgnoringCase(m_rules.codeColumn, code) &&
                Prompter::instance().question(this, kDuplicateCode))
                return;
        }
        table.append(CurrentRecord->columns(), texts);
        reloadRecords();
        m_loading = true;
        RecordShow->setCurrentCell(RecordShow->rowCount() - 1, 0);
        m_loading = false;
        afterChange(false);
    });
}

void RecordManagerForm::modifyRecord() {
    const int row = RecordShow->currentRow();
    if (row < 0)
        return;
    run([this, row] {
        ReferenceTable table(m_rules.table);
        const QStringList texts = CurrentRecord->texts();
        const int codeField = int(CurrentRecord->columns().indexOf(m_rules.codeColumn));
        if (codeField >= 0 && !texts.at(codeField).isEmpty()) {
            // Every other record with the same code asks once; its own row is no duplicate.
            const QList<int> same = table.positionsWithText(m_rules.codeColumn, texts.at(codeField), row);
            for (int i = 0; i < same.size(); ++i)
                if (Prompter::instance().question(this, kDuplicateCode))
                    return;
        }
        const qint64 id = RecordGrid::rowIdAt(RecordShow, row);
        if (!table.replaceAt(row, id, CurrentRecord->columns(), texts))
            return;
        RecordGrid::setRecord(RecordShow, row, table.recordWithId(id, m_gridColumns));
        FitColumns();
        afterChange(selectEnabled());
    });
}

void RecordManagerForm::deleteRecord() {
    const int row = RecordShow->currentRow();
    if (row < 0)
        return;
    run([this, row] {
        ReferenceTable table(m_rules.table);
        table.removeAt(row, RecordGrid::rowIdAt(RecordShow, row));
        m_loading = true;
        if (table.count() == 0) {
            RecordGrid::setEmptyRow(RecordShow);
            RecordShow->setCurrentCell(0, 0);
            m_loading = false;
            CurrentRecord->reset();
            enableButtons(false, false, false, false);
            return;
        }
        RecordShow->removeRow(row);
        m_loading = false;
        FitColumns();
        afterChange(selectEnabled());
    });
}

void RecordManagerForm::queryRecords() {
    if (!enabled(m_addButton) && !enabled(m_deleteButton))
        return;
    run([this] {
        const QStringList texts = CurrentRecord->texts();
        RecordFilter filter;
        switch (m_rules.query) {
        case ManagerRules::Query::None:
            return;
        case ManagerRules::Query::SkipEmptyStored:
            filter = RecordFilter::forAll(texts, RecordFilter::Test::SkipEmptyStored);
            break;
        case ManagerRules::Query::Strict:
            filter = RecordFilter::forAll(texts, RecordFilter::Test::Strict);
            break;
        case ManagerRules::Query::Contacts:
            filter = RecordFilter::contacts(texts);
            break;
        }
        const QList<QStringList> found =
            ReferenceTable(m_rules.table).matching(CurrentRecord->columns(), filter);
        if (found.isEmpty())
            return;
        TInfoShowForm result(this);
        result.setRecords(RecordGrid::headers(RecordShow), found);
        result.exec();
    });
}

void RecordManagerForm::selectRecord() {
    m_selectMode = false;
    accept();
}

void RecordManagerForm::exitWindow() {
    m_selectMode = false;
    reject();
}

QStringList RecordManagerForm::storedCurrentRecord(QStringList* names) {
    const ReferenceTable table(m_rules.table);
    const QStringList fields = table.fieldNames();
    if (names) {
        names->clear();
        for (const QString& f : fields)
            *names << f.trimmed();
    }
    const int row = RecordShow->currentRow();
    if (row < 0)
        return {};
    return table.recordAt(row, RecordGrid::rowIdAt(RecordShow, row), fields).values;
}
