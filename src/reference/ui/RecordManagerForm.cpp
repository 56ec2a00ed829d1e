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
    recordFields = new FieldPanel(rules.fields, this);
    recordList = RecordGrid::create(this, 20, RecordGridDelegate::Style::Manager, rules.centredHeader);
    // The grid shows the button face behind its cells, as the record windows always did.
    recordList->setBackgroundRole(QPalette::Button);
    recordList->viewport()->setBackgroundRole(QPalette::Button);

    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(recordFields, 1);
    m_buttonBar = new QVBoxLayout;
    auto* buttons = new QVBoxLayout;
    buttons->addLayout(m_buttonBar);
    buttons->addStretch();
    top->addLayout(buttons);
    outer->addLayout(top);
    outer->addWidget(recordList, 1);
    resize(rules.fields.size() > 8 ? 900 : 760, 560);

    connect(recordFields, &FieldPanel::changed, this, &RecordManagerForm::fieldsEdited);
    connect(recordList, &QTableWidget::cellClicked, this, [this] { showCurrentRecord(); });
    // Moving the selection by keyboard loads the row too; the program's own moves do not.
    connect(recordList, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (!m_loading && row != previous)
            showCurrentRecord();
    });
}

QPushButton* RecordManagerForm::addCommandButton(const QString& objectName, const QString& caption,
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
        run([this] { loadRecords(); });
}

void RecordManagerForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}

void RecordManagerForm::loadRecords() {
    recordFields->reset();
    enableButtons(false, false, false, false);
    reloadRecords();
    widenToColumns();
}

void RecordManagerForm::widenToColumns() {
    int columns = 0;
    for (int c = 0; c < recordList->columnCount(); ++c)
        columns += recordList->columnWidth(c);
    // Room for a vertical scroll bar, which appears once the rows outgrow the grid.
    const int around =
        width() - recordList->viewport()->width() + recordList->verticalScrollBar()->sizeHint().width();
    int wanted = columns + around;
    if (const QScreen* s = screen())
        wanted = std::min(wanted, s->availableGeometry().width() - (frameGeometry().width() - width()));
    if (wanted <= width())
        return;
    resize(wanted, height());
    if (QLayout* l = layout())
        l->activate();
    fitColumns();
}

template <typename F> void RecordManagerForm::run(F&& action) {
    try {
        action();
    } catch (const TableChangedError& e) {
        Prompter::instance().error(this, e.message());
        guarded(this, [this] {
            recordFields->reset();
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
        m_gridColumns = recordFields->columns();
    }
    m_loading = true;
    RecordGrid::setHeaders(recordList, headers);
    RecordGrid::setRecords(recordList, table.records(m_gridColumns));
    fitColumns();
    recordList->setCurrentCell(0, 0);
    m_loading = false;
}

void RecordManagerForm::fitColumns() {
    RecordGrid::fitColumns(recordList, m_rules.padded ? RecordGrid::chinaPad(recordList) : 0);
}

void RecordManagerForm::enableButtons(bool add, bool modify, bool remove, bool select) {
    enable(m_addButton, add);
    enable(m_modifyButton, modify);
    enable(m_deleteButton, remove);
    enable(m_selectButton, select);
}

void RecordManagerForm::showCurrentRecord() {
    if (recordList->currentRow() < 0)
        return;
    run([this] { loadRowIntoFields(); });
}

void RecordManagerForm::loadRowIntoFields() {
    const int row = recordList->currentRow();
    if (row < 0)
        return;
    const ReferenceTable table(m_rules.table);
    recordFields->reset();
    enableButtons(false, false, false, false);
    if (table.count() == 0)
        return;
    if (m_rules.loadFromTable) {
        const StoredRecord r =
            table.recordAt(row, RecordGrid::rowIdAt(recordList, row), recordFields->columns());
        if (r.rowId < 0)
            return;
        recordFields->setTexts(r.values);
    } else {
        recordFields->setTexts(RecordGrid::rowTexts(recordList, row));
    }
    enableButtons(false, false, true, m_selectMode);
    recordFields->focusFirst();
}

void RecordManagerForm::fieldsEdited() {
    if (recordFields->editsEmpty()) {
        enable(m_addButton, false);
        enable(m_modifyButton, m_rules.modifyWhenEmpty);
    } else {
        enableButtons(true, true, false, false);
    }
}

void RecordManagerForm::afterChange(bool select) {
    recordFields->reset();
    enable(m_addButton, false);
    enable(m_modifyButton, false);
    enable(m_deleteButton, false);
    enable(m_selectButton, select);
    recordFields->focusFirst();
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
        const QStringList texts = recordFields->texts();
        const int codeField = int(recordFields->columns().indexOf(m_rules.codeColumn));
        if (codeField >= 0) {
            const QString code = texts.at(codeField);
            if (!code.isEmpty() && table.containsIgnoringCase(m_rules.codeColumn, code) &&
                Prompter::instance().question(this, kDuplicateCode))
                return;
        }
        table.append(recordFields->columns(), texts);
        reloadRecords();
        m_loading = true;
        recordList->setCurrentCell(recordList->rowCount() - 1, 0);
        m_loading = false;
        afterChange(false);
    });
}

void RecordManagerForm::modifyRecord() {
    const int row = recordList->currentRow();
    if (row < 0)
        return;
    run([this, row] {
        ReferenceTable table(m_rules.table);
        const QStringList texts = recordFields->texts();
        const int codeField = int(recordFields->columns().indexOf(m_rules.codeColumn));
        if (codeField >= 0 && !texts.at(codeField).isEmpty()) {
            // Every other record with the same code asks once; its own row is no duplicate.
            const QList<int> same = table.positionsWithText(m_rules.codeColumn, texts.at(codeField), row);
            for (int i = 0; i < same.size(); ++i)
                if (Prompter::instance().question(this, kDuplicateCode))
                    return;
        }
        const qint64 id = RecordGrid::rowIdAt(recordList, row);
        if (!table.replaceAt(row, id, recordFields->columns(), texts, m_gridColumns,
                             RecordGrid::rowTexts(recordList, row)))
            return;
        RecordGrid::setRecord(recordList, row, table.recordWithId(id, m_gridColumns));
        fitColumns();
        afterChange(selectEnabled());
    });
}

void RecordManagerForm::deleteRecord() {
    const int row = recordList->currentRow();
    if (row < 0)
        return;
    run([this, row] {
        ReferenceTable table(m_rules.table);
        table.removeAt(row, RecordGrid::rowIdAt(recordList, row), m_gridColumns,
                       RecordGrid::rowTexts(recordList, row));
        m_loading = true;
        if (table.count() == 0) {
            RecordGrid::setEmptyRow(recordList);
            recordList->setCurrentCell(0, 0);
            m_loading = false;
            recordFields->reset();
            enableButtons(false, false, false, false);
            return;
        }
        recordList->removeRow(row);
        m_loading = false;
        fitColumns();
        afterChange(selectEnabled());
    });
}

void RecordManagerForm::queryRecords() {
    if (!enabled(m_addButton) && !enabled(m_deleteButton))
        return;
    run([this] {
        const QStringList texts = recordFields->texts();
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
            ReferenceTable(m_rules.table).matching(recordFields->columns(), filter);
        if (found.isEmpty())
            return;
        TInfoShowForm result(this);
        result.setRecords(RecordGrid::headers(recordList), found);
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
    const int row = recordList->currentRow();
    if (row < 0)
        return {};
    return table.recordAt(row, RecordGrid::rowIdAt(recordList, row), fields).values;
}
