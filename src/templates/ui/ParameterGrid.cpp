#include "templates/ui/ParameterGrid.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

const QColor kAqua(0, 255, 255);
const QColor kCurrent(122, 150, 223);

// Labels on the window colour, values black on white, the current value white on blue; texts 4
// pixels from the left edge, vertically centred.
class ParameterDelegate : public QStyledItemDelegate {
public:
    ParameterDelegate(QTableWidget* grid, bool centredLabels)
        : QStyledItemDelegate(grid), m_grid(grid), m_centred(centredLabels) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect r = option.rect;
        const bool labelCell = index.column() == 0;
        const bool current = !labelCell && index.row() == m_grid->currentRow();
        p->save();
        if (labelCell)
            p->fillRect(r, m_grid->palette().color(QPalette::Window));
        else
            p->fillRect(r, current ? kCurrent : QColor(Qt::white));
        p->setPen(current ? Qt::white : Qt::black);
        const QString text = index.data().toString();
        const QRect textRect = r.adjusted(4, 0, 0, 0);
        if (labelCell && m_centred)
            p->drawText(r, Qt::AlignCenter, text);
        else
            p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
        p->restore();
    }

private:
    QTableWidget* m_grid;
    bool m_centred;
};

// Keys that move the caret of an editable drop-down's text.
bool isCaretKey(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End;
}

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

ParameterGrid::ParameterGrid(QWidget* parent, int rightGap) : QTableWidget(parent), m_rightGap(rightGap) {
    setColumnCount(2);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new ParameterDelegate(this, false));

    m_edit = new QLineEdit(viewport());
    m_combo = new QComboBox(viewport());
    for (QWidget* w : {static_cast<QWidget*>(m_edit), static_cast<QWidget*>(m_combo)}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, kAqua);
        pal.setColor(QPalette::Button, kAqua);
        w->setPalette(pal);
        w->hide();
        w->installEventFilter(this);
    }
    m_edit->setFrame(false);
    m_edit->setContextMenuPolicy(Qt::NoContextMenu);
    m_combo->setFocusPolicy(Qt::StrongFocus);

    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column == 1)
            emit valueDoubleClicked(row);
    });
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        // Labels are not values: the value of the row stays current.
        if (column == 0 && row >= 0) {
            setCurrentCell(row, 1);
            return;
        }
        hideEditors();
        if (row >= 0)
            placeEditors(row);
        viewport()->update();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { hideEditors(); });
    connect(m_combo, &QComboBox::activated, this, [this](int index) {
        if (m_closing || !m_combo->isVisible())
            return;
        m_closing = true;
        const QString text = m_combo->itemText(index);
        m_combo->hide();
        m_closing = false;
        restoreFocus();
        if (text != m_before)
            emit entryChosen(m_row, index, text);
    });
}

void ParameterGrid::setLabels(const QStringList& labels, bool centredLabels) {
    setItemDelegate(new ParameterDelegate(this, centredLabels));
    setRowCount(labels.size());
    for (int r = 0; r < labels.size(); ++r) {
        auto* l = new QTableWidgetItem(labels.at(r));
        l->setFlags(Qt::ItemIsEnabled);
        setItem(r, 0, l);
        auto* v = new QTableWidgetItem;
        v->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(r, 1, v);
    }
    fitColumns();
    if (!labels.isEmpty())
        setCurrentCell(0, 1);
}

int ParameterGrid::fullHeight() const {
    return rowCount() * verticalHeader()->defaultSectionSize() + 2 * frameWidth();
}

QString ParameterGrid::label(int row) const {
    const QTableWidgetItem* i = item(row, 0);
    return i ? i->text() : QString();
}

QString ParameterGrid::value(int row) const {
    const QTableWidgetItem* i = item(row, 1);
    return i ? i->text() : QString();
}

void ParameterGrid::setValue(int row, const QString& text) {
    if (QTableWidgetItem* i = item(row, 1))
        i->setText(text);
}

void ParameterGrid::clearValues() {
    for (int r = 0; r < rowCount(); ++r)
        setValue(r, QString());
}

void ParameterGrid::fitColumns() {
    const QFontMetrics fm(font());
    int widest = 0;
    for (int r = 0; r < rowCount(); ++r)
        widest = std::max(widest, fm.horizontalAdvance(label(r)));
    const int labelWidth = widest + 2 * fm.horizontalAdvance(QStringLiteral("中"));
    setColumnWidth(0, labelWidth);
    setColumnWidth(1, std::max(20, viewport()->width() - labelWidth - m_rightGap));
}

void ParameterGrid::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    fitColumns();
}

void ParameterGrid::placeEditors(int row) {
    const QRect cell = visualRect(model()->index(row, 1));
    m_edit->setGeometry(cell);
    m_combo->setGeometry(cell.left(), cell.top(), cell.width(),
                         std::max(cell.height(), m_combo->sizeHint().height()));
}

void ParameterGrid::openTextEditor(int row, Keys keys) {
    hideEditors();
    setCurrentCell(row, 1);
    m_row = row;
    m_keys = keys;
    m_before = value(row);
    switch (keys) {
    case Keys::Any:
        m_edit->setValidator(nullptr);
        break;
    case Keys::Digits:
        m_edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), m_edit));
        break;
    case Keys::Digits4:
        m_edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), m_edit));
        break;
    case Keys::SignedDigits:
        m_edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d*")), m_edit));
        break;
    }
    placeEditors(row);
    m_edit->setText(m_before);
    m_edit->show();
    m_edit->raise();
    m_edit->setFocus();
    m_edit->deselect();
    m_edit->setCursorPosition(m_before.size());
}

void ParameterGrid::openComboEditor(int row, const QStringList& entries, int current, bool editable) {
    hideEditors();
    setCurrentCell(row, 1);
    m_row = row;
    m_before = value(row);
    m_closing = true;
    m_comboStepped = false;
    m_combo->clear();
    m_combo->setEditable(editable);
    m_combo->addItems(entries);
    m_combo->setCurrentIndex(current);
    if (editable) {
        m_combo->lineEdit()->installEventFilter(this);
        m_combo->setInsertPolicy(QComboBox::NoInsert);
        if (current < 0)
            m_combo->setEditText(m_before);
    }
    m_closing = false;
    placeEditors(row);
    m_combo->show();
    m_combo->raise();
    m_combo->setFocus();
}

bool ParameterGrid::editorOpen() const {
    return m_edit->isVisible() || m_combo->isVisible();
}

void ParameterGrid::commitText(const QString& text) {
    restoreFocus();
    if (text != m_before)
        emit textCommitted(m_row, m_before, text);
}

void ParameterGrid::hideEditors() {
    if (m_closing)
        return;
    m_closing = true;
    QString typed;
    bool commit = false;
    if (m_edit->isVisible()) {
        typed = m_edit->text();
        commit = true;
        m_edit->hide();
    }
    int stepped = -1;
    if (m_combo->isVisible()) {
        if (m_combo->isEditable()) {
            typed = m_combo->currentText();
            commit = true;
        } else if (m_comboStepped) {
            stepped = m_combo->currentIndex();
        }
        m_combo->hide();
    }
    m_comboStepped = false;
    m_closing = false;
    if (commit) {
        commitText(typed);
    } else if (stepped >= 0) {
        restoreFocus();
        const QString text = m_combo->itemText(stepped);
        if (text != m_before)
            emit entryChosen(m_row, stepped, text);
    }
}

void ParameterGrid::restoreFocus() {
    if (window()->isActiveWindow())
        setFocus();
}

bool ParameterGrid::acceptsKey(const QString& key) const {
    if (key.isEmpty() || key.at(0).unicode() < 0x20 || m_keys == Keys::Any)
        return true; // Backspace and keys that type nothing
    const QChar c = key.at(0);
    const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
    switch (m_keys) {
    case Keys::Any:
        return true;
    case Keys::Digits:
        return digit;
    case Keys::Digits4:
        return digit && m_edit->text().size() < 4;
    case Keys::SignedDigits:
        if (c == QLatin1Char('-')) {
            const int at = m_edit->hasSelectedText() ? m_edit->selectionStart() : m_edit->cursorPosition();
            return at == 0 && !m_edit->text().contains(QLatin1Char('-'));
        }
        return digit;
    }
    return false;
}

bool ParameterGrid::eventFilter(QObject* watched, QEvent* event) {
    const bool onEdit = watched == m_edit;
    const bool onCombo = watched == m_combo || (m_combo->isEditable() && watched == m_combo->lineEdit());
    if (!onEdit && !onCombo)
        return QTableWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isEnter(key->key())) {
            hideEditors();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            // The cell keeps the text it had when the editor opened.
            if (onEdit)
                m_edit->setText(m_before);
            else if (m_combo->isEditable())
                m_combo->setEditText(m_before);
            m_comboStepped = false;
            hideEditors();
            return true;
        }
        if (onCombo && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) &&
            key->modifiers() == Qt::NoModifier) {
            // The arrows step through the entries; Enter or leaving the editor takes the choice.
            const int next = m_combo->currentIndex() + (key->key() == Qt::Key_Up ? -1 : 1);
            if (next >= 0 && next < m_combo->count()) {
                m_closing = true;
                m_combo->setCurrentIndex(next);
                m_closing = false;
                m_comboStepped = true;
            }
            return true;
        }
        if (onCombo && (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown))
            return true;
        if (onCombo && isCaretKey(key->key()))
            return !m_combo->isEditable();
        if (onEdit && !acceptsKey(key->text()))
            return true;
    } else if (event->type() == QEvent::FocusOut) {
        auto* focus = static_cast<QFocusEvent*>(event);
        // Opening the drop-down's list takes the focus for a moment.
        if (focus->reason() != Qt::PopupFocusReason && !(onCombo && m_combo->view()->isVisible()) &&
            (m_edit->isVisible() || m_combo->isVisible()) && !m_closing) {
            if (onEdit || m_combo->isEditable() || watched == m_combo)
                hideEditors();
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

void ParameterGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid() || index.column() == 0) {
        // Labels and the empty area below the rows only close the editors.
        hideEditors();
        return;
    }
    QTableWidget::mousePressEvent(event);
}
