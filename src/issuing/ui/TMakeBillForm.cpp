#include "issuing/ui/TMakeBillForm.h"

#include "issuing/BillPrint.h"
#include "issuing/CalcMethod.h"
#include "issuing/Conversion.h"
#include "issuing/CurrencyTable.h"
#include "issuing/ItemValueRules.h"
#include "issuing/OtherContent.h"
#include "issuing/PreBillTable.h"
#include "issuing/PrintFilledBill.h"
#include "issuing/PrintJob.h"
#include "issuing/PrintRecords.h"
#include "issuing/TypedValue.h"
#include "issuing/ui/ReferenceLookups.h"
#include "issuing/ui/SetUpPrintJob.h"
#include "issuing/ui/TBatchPrintForm.h"
#include "issuing/ui/TMonthDayTimeForm.h"
#include "issuing/ui/TPrintPreviewForm.h"
#include "issuing/ui/TypingGuard.h"
#include "issuing/ui/UpDown.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "platform/ui/MinimizeFollow.h"
#include "platform/ui/Prompter.h"
#include "store/StoreError.h"
#include "store/VoidedRecords.h"
#include "templates/TemplateError.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kRowHeight = 18;

bool isLookup(ItemType t) {
    return t == ItemType::BusinessUnit || t == ItemType::OwnUnit || t == ItemType::Purpose ||
           t == ItemType::Contact;
}
bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// Memos keep CR LF line breaks in stored values, as every multi-line value of a bill does.
QString toMemo(const QString& value) {
    QString s = value;
    return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
QString fromMemo(const QString& text) {
    QString s = text;
    return s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

bool inside(const QWidget* w, const QWidget* ancestor) {
    for (; w; w = w->parentWidget())
        if (w == ancestor)
            return true;
    return false;
}

// Cells of the pre-bill list: the header row and the number column on the window's colour, the
// selected pre-bill in the inactive caption's colours, the others black on white.
class PreBillDelegate : public QStyledItemDelegate {
public:
    explicit PreBillDelegate(QTableWidget* grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString text = index.data().toString();
        const bool fixed = index.row() == 0 || index.column() == 0;
        const bool selected = !fixed && index.row() == m_grid->currentRow();
        const QPalette& pal = option.palette;
        QColor fill = Qt::white;
        QColor ink = Qt::black;
        if (fixed) {
            fill = pal.color(QPalette::Window);
            ink = pal.color(QPalette::WindowText);
        } else if (selected) {
            fill = pal.color(QPalette::Inactive, QPalette::Highlight);
            ink = Qt::white;
        }
        painter->save();
        painter->fillRect(option.rect, fill);
        painter->setPen(ink);
        const QRect r = option.rect.adjusted(2, 0, -2, 0);
        painter->drawText(r, Qt::AlignVCenter | (fixed ? Qt::AlignHCenter : Qt::AlignLeft), text);
        painter->restore();
    }

private:
    QTableWidget* m_grid;
};
} // namespace

TMakeBillForm::TMakeBillForm(QWidget* parent) : QDialog(parent), m_lookups(ReferenceLookups::windows()) {
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(CurrencyTable::names());
    ComboBox1->setCurrentIndex(0);
    connect(ComboBox1, &QComboBox::activated, this, &TMakeBillForm::ComboBox1Change);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setWidgetResizable(false);
    // A press on the look-up button or the arrows beside an editor must leave the focus in the
    // editor; a picture that took the focus would close the editor before the release.
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    PrnImage = new QLabel;
    PrnImage->setObjectName(QStringLiteral("PrnImage"));
    PrnImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PrnImage->installEventFilter(this);
    ScrollBox1->setWidget(PrnImage);
    createEditors();

    Label1 = new QLabel(QStringLiteral("币种:"), this);
    Label1->setStyleSheet(QStringLiteral("color: red"));
    Panel1 = new QWidget(this);
    auto* panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    auto button = [this, panel](const char* text, const char* name, void (TMakeBillForm::*handler)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setMinimumSize(88, 32);
        connect(b, &QPushButton::clicked, this, handler);
        panel->addWidget(b);
        return b;
    };
    SpeedButton1 = button("预 开 票", "SpeedButton1", &TMakeBillForm::SpeedButton1Click);
    SpeedButton5 = button("新 开 票", "SpeedButton5", &TMakeBillForm::SpeedButton5Click);
    previewButton = button("打印预览", "previewButton", &TMakeBillForm::previewPrint);
    exportPdfButton = button("导出PDF", "exportPdfButton", &TMakeBillForm::exportPdf);
    SpeedButton2 = button("打  印", "SpeedButton2", &TMakeBillForm::SpeedButton2Click);
    batchPrintButton = button("批量打印", "batchPrintButton", &TMakeBillForm::printBatch);
    SpeedButton3 = button("退  出", "SpeedButton3", &TMakeBillForm::SpeedButton3Click);

    createPreBillList();

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(8, 0, 0, 0); // the label keeps off the window's edge
    bar->addWidget(Label1);
    bar->addWidget(ComboBox1);
    bar->addStretch();
    bar->addWidget(Panel1);
    auto* splitter = new QFrame(this);
    splitter->setFixedHeight(4);
    splitter->setStyleSheet(QStringLiteral("background: red"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(ScrollBox1, 1);
    layout->addLayout(bar);
    layout->addWidget(splitter);
    layout->addWidget(StringGrid);

    m_focusConnection = connect(qApp, &QApplication::focusChanged, this,
                                [this](QWidget*, QWidget* now) { focusChanged(now); });
}

TMakeBillForm::~TMakeBillForm() {
    // Destroying the widgets moves the focus; this window is no longer there to hear of it.
    disconnect(m_focusConnection);
}

void TMakeBillForm::createEditors() {
    QWidget* canvas = PrnImage;
    const QString aqua = QStringLiteral("background: rgb(0, 255, 255); border: none;");
    TextInput = new QLineEdit(canvas);
    TextInput->setObjectName(QStringLiteral("TextInput"));
    TextInput->setFrame(false);
    TextInput->setStyleSheet(aqua);
    m_textGuard = new TypingGuard(TextInput, this);
    m_textGuard->setRule([](const TypingGuard::Key& key, const QString& before, const QString& after) {
        if (!key.isDigit() && !key.is('.') && !key.isBackspace())
            return false;
        if (key.is('.') && before.contains(QLatin1Char('.')))
            return false;
        return TypedValue::isAmountText(after);
    });

    Memo1 = new QPlainTextEdit(canvas);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setStyleSheet(aqua);
    Memo1->document()->setDocumentMargin(1);
    m_memo1Guard = new TypingGuard(Memo1, this);
    m_memo1Guard->setRule([this](const TypingGuard::Key& key, const QString& before, const QString&) {
        if (m_edited < 0)
            return true;
        switch (m_bill.items.at(m_edited).type) {
        case ItemType::DigitGrid:
            return key.isDigit() || key.isBackspace();
        case ItemType::Quantity:
            return key.isDigit() || key.isBackspace() || (key.is('.') && !before.contains(QLatin1Char('.')));
        default:
            return true;
        }
    });

    Memo2 = new QLineEdit(canvas);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setFrame(false);
    Memo2->setStyleSheet(aqua);
    Memo2->setMaxLength(4);
    UpDown1 = new UpDown(canvas);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setAssociate(Memo2);
    UpDown1->setWrap(true);
    m_memo2Guard = new TypingGuard(Memo2, this);
    m_memo2Guard->setRule([this](const TypingGuard::Key& key, const QString&, const QString& after) {
        if (!key.isDigit() && !key.isBackspace())
            return false;
        if (m_edited < 0)
            return true;
        const ItemType type = m_bill.items.at(m_edited).type;
        if (type == ItemType::Year || type == ItemType::YearCapital)
            return after.size() <= 4;
        const QString t = after.trimmed();
        return t.isEmpty() || TypedValue::isNumberWithin(t, 1, UpDown1->maximum());
    });

    EditCombo = new QComboBox(canvas);
    EditCombo->setObjectName(QStringLiteral("EditCombo"));
    EditCombo->setEditable(true);
    EditCombo->setInsertPolicy(QComboBox::NoInsert);
    EditCombo->setStyleSheet(QStringLiteral("QComboBox { background: rgb(0, 255, 255); }"));
    EditCombo->lineEdit()->installEventFilter(this);
    // Choosing an entry without typing ends the editing at once.
    connect(EditCombo, &QComboBox::activated, this, [this] {
        if (m_editor == Editor::EditCombo && !m_comboTyped)
            QMetaObject::invokeMethod(this, &TMakeBillForm::hideEditors, Qt::QueuedConnection);
    });

    EnterBtn = new QToolButton(canvas);
    EnterBtn->setObjectName(QStringLiteral("EnterBtn"));
    EnterBtn->setText(QStringLiteral("…"));
    EnterBtn->setFocusPolicy(Qt::NoFocus);
    connect(EnterBtn, &QToolButton::clicked, this, &TMakeBillForm::EnterBtnClick);

    MyDateTimePicker = new QDateEdit(canvas);
    MyDateTimePicker->setObjectName(QStringLiteral("MyDateTimePicker"));
    MyDateTimePicker->setCalendarPopup(true);
    MyDateTimePicker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    MyDateTimePicker->setStyleSheet(QStringLiteral("QDateEdit { background: rgb(0, 255, 255); }"));
    MyDateTimePicker->installEventFilter(this);
    // Closing the calendar with a pick, by a click or by Enter, ends the editing.
    const auto pickEnds = [this] {
        if (m_editor == Editor::DatePicker)
            QMetaObject::invokeMethod(this, &TMakeBillForm::hideEditors, Qt::QueuedConnection);
    };
    connect(MyDateTimePicker->calendarWidget(), &QCalendarWidget::clicked, this, pickEnds);
    connect(MyDateTimePicker->calendarWidget(), &QCalendarWidget::activated, this, pickEnds);

    for (QWidget* w : {static_cast<QWidget*>(TextInput), static_cast<QWidget*>(Memo1),
                       static_cast<QWidget*>(Memo2), static_cast<QWidget*>(EditCombo)}) {
        w->installEventFilter(this);
    }
    for (QWidget* w :
         {static_cast<QWidget*>(TextInput), static_cast<QWidget*>(Memo1), static_cast<QWidget*>(Memo2),
          static_cast<QWidget*>(UpDown1), static_cast<QWidget*>(EditCombo), static_cast<QWidget*>(EnterBtn),
          static_cast<QWidget*>(MyDateTimePicker)})
        w->hide();
}

void TMakeBillForm::createPreBillList() {
    StringGrid = new QTableWidget(this);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    StringGrid->horizontalHeader()->hide();
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setItemDelegate(new PreBillDelegate(StringGrid));
    StringGrid->setMinimumHeight(5 * kRowHeight);
    // The picture takes the room the window has beyond the list's.
    StringGrid->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    StringGrid->viewport()->installEventFilter(this);
    // The header row stays where it is.
    connect(StringGrid, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int oldRow, int) {
                if (row == 0 && StringGrid->rowCount() > 1)
                    StringGrid->setCurrentCell(oldRow > 0 ? oldRow : 1, column);
                StringGrid->viewport()->update();
            });

    PopupMenu1 = new QMenu(this);
    N1 = PopupMenu1->addAction(QStringLiteral("选择预开票"), this, &TMakeBillForm::N1Click);
    PopupMenu1->addSeparator();
    N3 = PopupMenu1->addAction(QStringLiteral("删除预开票"), this, &TMakeBillForm::N3Click);
    N4 = PopupMenu1->addAction(QStringLiteral("清空预开票"), this, &TMakeBillForm::N4Click);
}

void TMakeBillForm::setBill(const MainItemFlag& entry, const QStringList& typeNames) {
    m_entry = entry;
    m_typeNames = typeNames;
}

void TMakeBillForm::setLookups(std::unique_ptr<ReferenceLookups> lookups) {
    m_lookups = std::move(lookups);
}

void TMakeBillForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_ready && !event->spontaneous())
        guarded(this, [this] { FormShow(); });
}

void TMakeBillForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}

void TMakeBillForm::closeEvent(QCloseEvent* event) {
    hideEditors();
    m_ready = false;
    QDialog::closeEvent(event);
}

void TMakeBillForm::FormShow() {
    m_dpi = logicalDpiX();
    m_clicked = m_edited = -1;
    m_editor = Editor::None;
    m_bill = LoadWorkingBill(m_dpi);
    m_fontErrorShown = false;

    StringGrid->clear();
    StringGrid->setColumnCount(m_bill.count() + 1);
    StringGrid->setRowCount(2);
    StringGrid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("序号")));
    for (int i = 0; i < m_bill.count(); ++i)
        StringGrid->setItem(0, i + 1, new QTableWidgetItem(m_bill.items.at(i).name));

    m_currency = ComboBox1->currentIndex();
    FillPreBillList();
    SetDefaultValues(m_bill, Clock::now());
    LoadRememberedItems(m_entry.autoTable, m_bill, Remembered::All);
    m_nextPreBill = QString::number(m_preBillCount + 1);
    m_picture.build(m_bill, m_dpi);
    sizeWindow();
    redraw();
    m_ready = true;
    setWindowTitle(m_typeNames.value(m_bill.page.typeIndex) + QStringLiteral("--") + m_bill.page.billName +
                   QStringLiteral("  开票"));
    const bool shown = m_bill.page.currencyChoice;
    Label1->setVisible(shown);
    ComboBox1->setVisible(shown);
    if (!shown)
        m_currency = 0;
    if (m_reprint)
        loadReprint();
}

void TMakeBillForm::setReprint(const QHash<QString, QString>& values, int currency,
                               std::optional<qint64> replaces) {
    m_reprint = Reprint{values, currency};
    m_replaces = replaces;
}

void TMakeBillForm::setCorrecting(bool correcting) {
    for (QPushButton* b : {SpeedButton1, previewButton, exportPdfButton, SpeedButton2, batchPrintButton})
        b->setVisible(!correcting);
}

void TMakeBillForm::loadReprint() {
    for (int i = 0; i < m_bill.count(); ++i) {
        const auto v = m_reprint->values.find(m_bill.items.at(i).name);
        if (v != m_reprint->values.end())
            m_bill.values[i] = *v;
    }
    // The numbers go on from the last print, never back to the old record's.
    guarded(this, [this] { LoadRememberedItems(m_entry.autoTable, m_bill, Remembered::NumbersOnly); });
    if (m_bill.page.currencyChoice && m_reprint->currency >= 0 && m_reprint->currency < ComboBox1->count()) {
        ComboBox1->setCurrentIndex(m_reprint->currency);
        m_currency = m_reprint->currency;
    }
    m_reprint.reset();
    redraw();
}

void TMakeBillForm::sizeWindow() {
    const QImage& pic = m_picture.base();
    PrnImage->resize(pic.size());
    QRect main = parentWidget() ? parentWidget()->window()->geometry() : QRect();
    if (main.isEmpty() && screen())
        main = screen()->availableGeometry();
    const int listHeight = 6 * kRowHeight;
    const int panelHeight = Panel1->sizeHint().height() + 8;
    const int splitterHeight = 4;
    int scrollHeight = pic.height() + 4;
    bool heightLimited = false;
    if (scrollHeight >= main.height() - listHeight - panelHeight - splitterHeight - 50) {
        heightLimited = true;
        scrollHeight = std::max(100, main.height() - 50 - listHeight - panelHeight - splitterHeight);
    }
    const int least =
        Label1->sizeHint().width() + ComboBox1->sizeHint().width() + Panel1->sizeHint().width() + 24;
    int width = pic.width() + 4 + (heightLimited ? 22 : 0);
    const bool widthLimited = width > main.width();
    if (widthLimited)
        width = main.width();
    width = std::max(width, least);
    if (widthLimited && !heightLimited)
        scrollHeight += 18;
    // A picture that fits is shown whole.
    ScrollBox1->setMinimumSize(std::min(width, 200),
                               heightLimited ? std::min(scrollHeight, 100) : scrollHeight);
    resize(width + 4, scrollHeight + panelHeight + splitterHeight + listHeight + 8);
}

void TMakeBillForm::redraw() {
    m_shown = m_picture.withValues(m_bill, m_currency, currencyShown());
    PrnImage->setPixmap(QPixmap::fromImage(m_shown));
    // An unreadable item font is told once; the item stays undrawn.
    if (!m_picture.fontError().isEmpty() && !m_fontErrorShown) {
        m_fontErrorShown = true;
        Prompter::instance().error(this, m_picture.fontError());
    }
}

bool TMakeBillForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PrnImage && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            PrnImageMouseUp(mouse->position().toPoint());
        return false;
    }
    if (StringGrid && watched == StringGrid->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        StringGridDblClick();
        return true;
    }
    if (event->type() != QEvent::KeyPress || !EditCombo)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool escape = key->key() == Qt::Key_Escape;
    if (watched == TextInput || watched == Memo1 || watched == Memo2) {
        if (escape) {
            m_noStore = true;
            hideEditors();
            return true;
        }
        if (!isEnter(key))
            return false;
        if (watched == TextInput) {
            if (TextInput->text() == m_openValue)
                m_noStore = true;
            hideEditors();
            return true;
        }
        if (watched == Memo2) {
            endWithEnter();
            return true;
        }
        const ItemType type = m_edited >= 0 ? m_bill.items.at(m_edited).type : ItemType::Text;
        if (type == ItemType::DigitGrid || type == ItemType::Quantity) {
            endWithEnter();
            return true;
        }
        if (isLookup(type)) {
            lookupWithEnter(Memo1->toPlainText().trimmed());
            return true;
        }
        return false; // a new line
    }
    if (watched == EditCombo->lineEdit() || watched == EditCombo) {
        if (isEnter(key)) {
            EditCombo->setEditText(EditCombo->currentText().trimmed());
            hideEditors();
            return true;
        }
        m_comboTyped = true;
        return false;
    }
    if (watched == MyDateTimePicker && isEnter(key)) {
        hideEditors();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TMakeBillForm::keyPressEvent(QKeyEvent* event) {
    // The window is left with "退  出"; Esc and Enter belong to the editors.
    if (event->key() == Qt::Key_Escape || isEnter(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TMakeBillForm::focusChanged(QWidget* now) {
    if (m_editor == Editor::None || m_hiding || !now || now->window() != this)
        return;
    QWidget* editor = nullptr;
    switch (m_editor) {
    case Editor::TextInput:
        editor = TextInput;
        break;
    case Editor::Memo1:
        editor = Memo1;
        break;
    case Editor::Memo2:
        editor = Memo2;
        break;
    case Editor::EditCombo:
        editor = EditCombo;
        break;
    case Editor::DatePicker:
        editor = MyDateTimePicker;
        break;
    case Editor::None:
        return;
    }
    if (!inside(now, editor))
        hideEditors();
}

void TMakeBillForm::PrnImageMouseUp(const QPoint& pos) {
    hideEditors();
    m_clicked = -1;
    for (int i = 0; i < m_bill.count(); ++i) {
        const TemplateItem& it = m_bill.items.at(i);
        const PixelRect& b = it.box;
        if (it.showInput && pos.x() >= b.left && pos.x() <= b.right && pos.y() >= b.top &&
            pos.y() <= b.bottom) {
            m_clicked = i;
            openEditor(i);
            return;
        }
    }
}

void TMakeBillForm::placeEditor(QWidget* editor, int width, int height) {
    const PixelRect& b = m_bill.items.at(m_edited).box;
    editor->setGeometry(b.left, b.top, width, height);
    editor->show();
    editor->raise();
}

void TMakeBillForm::openEditor(int item) {
    const TemplateItem& it = m_bill.items.at(item);
    const int w = it.box.width();
    const int h = it.box.height();
    const int height = h >= 20 ? h : 20;
    const int width = w > 41 ? w : 42;
    m_comboTyped = false;
    m_noStore = false;

    switch (it.type) {
    case ItemType::CheckBox:
        ToggleCheckBox(m_bill, item);
        redraw();
        return;
    case ItemType::MonthDayTime: {
        TMonthDayTimeForm dialog(this);
        const std::optional<QString> value = dialog.edit(m_bill.values.at(item));
        if (value)
            storeValue(item, *value);
        redraw();
        return;
    }
    default:
        break;
    }

    m_edited = item;
    const QString value = m_bill.values.at(item);
    QWidget* focus = nullptr;
    switch (it.type) {
    case ItemType::YearCapital:
    case ItemType::Year:
    case ItemType::MonthCapital:
    case ItemType::Month:
    case ItemType::DayCapital:
    case ItemType::Day: {
        const bool year = it.type == ItemType::YearCapital || it.type == ItemType::Year;
        const bool month = it.type == ItemType::MonthCapital || it.type == ItemType::Month;
        if (year) {
            UpDown1->setRange(1990, 9999);
        } else if (month) {
            UpDown1->setRange(1, 12);
        } else {
            const int days = DaysInRelatedMonth(m_bill, item);
            if (value.toInt() > days)
                m_bill.values[item] = QStringLiteral("01");
            UpDown1->setRange(1, days);
        }
        UpDown1->setPosition(m_bill.values.at(item).toInt());
        m_memo2Guard->setText(Memo2->text());
        const int memoWidth = std::max(w, year ? 42 : 32);
        placeEditor(Memo2, memoWidth, height);
        UpDown1->setGeometry(it.box.left + memoWidth, it.box.top, UpDown1->width(), height);
        UpDown1->show();
        UpDown1->raise();
        m_editor = Editor::Memo2;
        m_openValue = Memo2->text();
        focus = Memo2;
        break;
    }
    case ItemType::AmountCapital:
    case ItemType::AmountFigures:
    case ItemType::AmountGrid:
        m_textGuard->setText(value);
        placeEditor(TextInput, width, height);
        m_editor = Editor::TextInput;
        m_openValue = value;
        focus = TextInput;
        break;
    case ItemType::BusinessUnit:
    case ItemType::OwnUnit:
    case ItemType::Purpose:
    case ItemType::Contact: {
        m_memo1Guard->setText(toMemo(value));
        const int memoWidth = w >= 64 ? w : 64;
        placeEditor(Memo1, memoWidth, height);
        EnterBtn->setGeometry(it.box.left + memoWidth, it.box.top, 20, height);
        EnterBtn->show();
        EnterBtn->raise();
        m_editor = Editor::Memo1;
        m_openValue = Memo1->toPlainText();
        focus = Memo1;
        break;
    }
    case ItemType::BillKind:
    case ItemType::ReturnReason:
    case ItemType::Handler:
    case ItemType::Telephone: {
        const QStringList entries = OtherContent::entries(GetOtherContentList(it.type));
        EditCombo->clear();
        EditCombo->addItems(entries);
        int chosen = 0;
        for (int e = 0; e < entries.size(); ++e)
            if (OtherContent::sameEntry(entries.at(e), value)) {
                chosen = int(e);
                break;
            }
        if (entries.isEmpty())
            EditCombo->setEditText(QString());
        else
            EditCombo->setCurrentIndex(chosen);
        placeEditor(EditCombo, width, std::max(height, EditCombo->sizeHint().height()));
        m_editor = Editor::EditCombo;
        m_openValue = value;
        m_comboTyped = false;
        focus = EditCombo;
        break;
    }
    case ItemType::YearMonthDay: {
        // Opens on the stored date, so that leaving without a pick keeps it.
        QDate date = QDate::fromString(QStringLiteral("20") + value, QStringLiteral("yyyyMMdd"));
        if (!date.isValid())
            date = Clock::today();
        MyDateTimePicker->setDate(date);
        placeEditor(MyDateTimePicker, std::max(w, 90),
                    std::max(height, MyDateTimePicker->sizeHint().height()));
        m_editor = Editor::DatePicker;
        m_openValue = value;
        focus = MyDateTimePicker;
        break;
    }
    default:
        m_memo1Guard->setText(toMemo(value));
        placeEditor(Memo1, width, height);
        m_editor = Editor::Memo1;
        m_openValue = Memo1->toPlainText();
        focus = Memo1;
        break;
    }
    if (focus)
        focus->setFocus(Qt::MouseFocusReason);
}

void TMakeBillForm::endWithEnter() {
    if (m_editor == Editor::Memo1) {
        const QString trimmed = Memo1->toPlainText().trimmed();
        m_memo1Guard->setText(trimmed);
        if (trimmed == m_openValue)
            m_noStore = true;
    } else if (m_editor == Editor::Memo2) {
        const QString trimmed = Memo2->text().trimmed();
        if (trimmed == m_openValue)
            m_noStore = true;
    }
    hideEditors();
}

void TMakeBillForm::hideEditors() {
    if (m_hiding)
        return;
    m_hiding = true;
    const int item = m_edited;
    const Editor editor = m_editor;
    bool store = !m_noStore;
    QString value;
    switch (editor) {
    case Editor::TextInput:
        value = TextInput->text();
        break;
    case Editor::Memo1:
        value = fromMemo(Memo1->toPlainText());
        break;
    case Editor::Memo2:
        value = QString::number(UpDown1->position());
        break;
    case Editor::EditCombo:
        value = EditCombo->currentText();
        store = value != m_openValue;
        break;
    case Editor::DatePicker:
        value = MyDateTimePicker->date().toString(QStringLiteral("yyMMdd"));
        store = true;
        break;
    case Editor::None:
        store = false;
        break;
    }
    m_edited = -1;
    m_editor = Editor::None;
    for (QWidget* w :
         {static_cast<QWidget*>(TextInput), static_cast<QWidget*>(Memo1), static_cast<QWidget*>(Memo2),
          static_cast<QWidget*>(UpDown1), static_cast<QWidget*>(EditCombo), static_cast<QWidget*>(EnterBtn),
          static_cast<QWidget*>(MyDateTimePicker)})
        w->hide();
    m_noStore = false;
    if (item >= 0 && store)
        storeValue(item, value);
    redraw();
    m_hiding = false;
}

void TMakeBillForm::storeValue(int item, const QString& text) {
    try {
        StoreItemValue(m_bill, item, text);
    } catch (const CalculationError& e) {
        redraw();
        Prompter::instance().error(this, e.message());
    } catch (const StoreError& e) {
        redraw();
        Prompter::instance().error(this, e.message());
    }
}

void TMakeBillForm::lookupWithEnter(const QString& text) {
    if (m_edited < 0)
        return;
    const ItemType type = m_bill.items.at(m_edited).type;
    QStringList values, names;
    guarded(this, [&] {
        switch (type) {
        case ItemType::BusinessUnit:
        case ItemType::Contact: {
            if (text.isEmpty())
                return;
            const bool unit = type == ItemType::BusinessUnit;
            const int found = unit ? m_lookups->SelectBusinessUnit(this, text, values, names)
                                   : m_lookups->SelectContact(this, text, values, names);
            if (found == 1) {
                applyLookup(values, names);
                return;
            }
            const QString question = unit ? QStringLiteral("需要增加新的业务单位吗 ？")
                                          : QStringLiteral("需要增加新的联系人吗 ？");
            if (Prompter::instance().question(this, question) &&
                (unit ? m_lookups->QuickAddBusinessUnit(this, text, values)
                      : m_lookups->QuickAddContact(this, text, values))) {
                applyLookup(values, names);
                return;
            }
            keepTypedText(text);
            return;
        }
        case ItemType::OwnUnit:
            if (m_lookups->SelectOwnAccount(this, values, names) == 1)
                applyLookup(values, names);
            else
                keepTypedText(text);
            return;
        case ItemType::Purpose:
            // Nothing found leaves the editor open for another try.
            if (!text.isEmpty() && m_lookups->SelectPurpose(this, text, values, names) == 1)
                applyLookup(values, names);
            return;
        default:
            return;
        }
    });
}

void TMakeBillForm::EnterBtnClick() {
    if (m_edited < 0)
        return;
    const ItemType type = m_bill.items.at(m_edited).type;
    QStringList values, names;
    guarded(this, [&] {
        int chosen = 0;
        switch (type) {
        case ItemType::BusinessUnit:
            chosen = m_lookups->PickBusinessUnit(this, values, names);
            break;
        case ItemType::OwnUnit:
            chosen = m_lookups->SelectOwnAccount(this, values, names);
            break;
        case ItemType::Purpose:
            chosen = m_lookups->PickPurpose(this, QString(), values, names);
            break;
        case ItemType::Contact:
            chosen = m_lookups->PickContact(this, values, names);
            break;
        default:
            break;
        }
        if (chosen == 1)
            applyLookup(values, names);
    });
}

void TMakeBillForm::applyLookup(const QStringList& values, const QStringList& names) {
    const int item = m_edited;
    if (item < 0)
        return;
    ApplyLookup(m_bill, item, values, names);
    m_noStore = true;
    hideEditors();
}

void TMakeBillForm::keepTypedText(const QString& text) {
    const int item = m_edited;
    if (item < 0)
        return;
    KeepTypedLookupText(m_bill, item, text);
    m_noStore = true;
    hideEditors();
}

void TMakeBillForm::ComboBox1Change(int index) {
    m_currency = index;
    redraw();
}

void TMakeBillForm::SpeedButton5Click() {
    hideEditors();
    guarded(this, [this] {
        SetDefaultValues(m_bill, Clock::now());
        LoadRememberedItems(m_entry.autoTable, m_bill, Remembered::All);
    });
    m_nextPreBill = QString::number(m_preBillCount + 1);
    redraw();
    m_clicked = m_edited = -1;
}

void TMakeBillForm::SpeedButton3Click() {
    hideEditors();
    close();
}

void TMakeBillForm::SpeedButton2Click() {
    hideEditors();
    std::optional<PrintJobSetup> setup;
    guarded(this, [&] {
        CheckPrintFonts(m_bill);
        CheckPrintDefine def = CheckPrintDefine::fromPage(m_bill.page);
        def.items = m_bill.items;
        setup = SetUpPrintJob(this, def);
    });
    if (setup)
        printWith(*setup);
    redraw();
    m_clicked = m_edited = -1;
}

void TMakeBillForm::previewPrint() {
    hideEditors();
    std::optional<PrintJobSetup> setup;
    bool print = false;
    guarded(this, [&] {
        CheckPrintFonts(m_bill);
        CheckPrintDefine def = CheckPrintDefine::fromPage(m_bill.page);
        def.items = m_bill.items;
        setup = SetUpPrintJob(this, def);
        if (!setup)
            return;
        // Painted at the resolution of the PDF pages, as the print path paints them, and kept at
        // half of it: fine enough to read every value at 200 %. A page larger than a bill ever is
        // is painted coarser, so that its picture stays within memory.
        constexpr double kLargestPixels = 40e6;
        const double tenthsSquared = double(std::max(1, m_bill.page.width)) * std::max(1, m_bill.page.length);
        const int dpi = std::min(kPdfDpi, int(std::sqrt(kLargestPixels / tenthsSquared) * 254));
        const QImage painted = RenderPrintedPage(m_bill, *setup, std::max(dpi, 2), m_picture.background(),
                                                 m_currency, currencyShown(), m_dpi);
        const int previewDpi = std::max(dpi, 2) / 2;
        const QImage page =
            painted.scaled(std::max(1, painted.width() / 2), std::max(1, painted.height() / 2),
                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        TPrintPreviewForm preview(this, page, previewDpi, m_picture.background(), page.rect(),
                                  setup->printerName, CalibrationMark(setup->offsetX, setup->offsetY));
        print = preview.exec() == QDialog::Accepted;
    });
    if (setup && print)
        printWith(*setup);
    redraw();
    m_clicked = m_edited = -1;
}

void TMakeBillForm::printBatch() {
    hideEditors();
    TBatchPrintForm batch(this, m_entry, m_typeNames);
    batch.exec();
    // The batch advanced the numbers and may have kept pre-bills.
    guarded(this, [this] {
        LoadRememberedItems(m_entry.autoTable, m_bill, Remembered::NumbersOnly);
        FillPreBillList();
    });
    redraw();
    m_clicked = m_edited = -1;
}

void TMakeBillForm::exportPdf() {
    hideEditors();
    guarded(this, [this] {
        CheckPrintFonts(m_bill);
        FileDialogSpec spec;
        spec.title = QStringLiteral("导出PDF");
        spec.filter = QStringLiteral("PDF 文件(*.pdf)");
        spec.defaultSuffix = QStringLiteral("pdf");
        spec.fileName = m_entry.billName + QStringLiteral(".pdf");
        const QString file = Prompter::instance().saveFile(this, spec);
        if (file.isEmpty())
            return;
        QString error;
        if (!WriteBillsPdf(file, {PageOfBill{&m_bill, m_currency}}, m_picture.background(), currencyShown(),
                           m_dpi, &error))
            Prompter::instance().error(this, QStringLiteral("无法写入 PDF 文件“%1”：%2").arg(file, error));
    });
    m_clicked = m_edited = -1;
}

void TMakeBillForm::printWith(const PrintJobSetup& setup) {
    guarded(this, [&] {
        FilledBillPrint print;
        print.entry = &m_entry;
        print.bill = &m_bill;
        print.currency = m_currency;
        print.currencyShown = currencyShown();
        print.background = m_picture.background();
        print.screenDpi = m_dpi;
        print.moment = Clock::now();
        if (Settings::confirmAfterPrint())
            print.extras.confirm = [this] {
                return Prompter::instance().question(this, QStringLiteral("票据是否已正确打印？"));
            };
        if (m_replaces)
            print.extras.alsoRecord = [this] {
                VoidedRecords::mark(m_entry.historyTable, {*m_replaces}, QStringLiteral("重打"),
                                    Clock::now());
            };
        const PrintOutcome outcome = PrintFilledBill(print, setup);
        if (outcome.kind == PrintOutcome::Recorded)
            m_replaces.reset();
        if (outcome.kind == PrintOutcome::PrintedUnrecorded)
            FillPreBillList();
        if (outcome.kind != PrintOutcome::Recorded && outcome.kind != PrintOutcome::NotConfirmed)
            Prompter::instance().error(this, outcome.message);
    });
}

void TMakeBillForm::setRowTexts(int row, int number, int currency,
                                const std::function<QString(const QString&)>& valueOf) {
    StringGrid->setItem(row, 0, new QTableWidgetItem(QString::number(number)));
    for (int i = 0; i < m_bill.count(); ++i) {
        const TemplateItem& it = m_bill.items.at(i);
        StringGrid->setItem(
            row, i + 1,
            new QTableWidgetItem(FormatListValue(ValueList::PreBills, it.type, valueOf(it.name),
                                                 it.printSuffix, currency, currencyShown())));
    }
}

void TMakeBillForm::FillPreBillList() {
    StringGrid->setRowCount(1);
    StringGrid->setRowCount(2);
    m_preBillCount = 0;
    const QList<PreBill> list = PreBillTable(preBillTable()).renumberAndRead();
    for (const PreBill& p : list) {
        const int row = m_preBillCount + 1;
        if (row >= StringGrid->rowCount())
            StringGrid->setRowCount(row + 1);
        setRowTexts(row, p.number, p.currency, [&p](const QString& name) { return p.values.value(name); });
        ++m_preBillCount;
    }
    StringGrid->setCurrentCell(1, 0);
    m_nextPreBill = QString::number(m_preBillCount + 1);
    sizeColumns();
}

void TMakeBillForm::sizeColumns() {
    const QFontMetrics fm(StringGrid->font());
    const int u = fm.horizontalAdvance(QStringLiteral("中"));
    int total = 0;
    for (int c = 0; c < StringGrid->columnCount(); ++c) {
        int widest = 2 * u;
        for (int r = 0; r < StringGrid->rowCount(); ++r)
            if (const QTableWidgetItem* cell = StringGrid->item(r, c))
                widest = std::max(widest, fm.horizontalAdvance(cell->text()));
        StringGrid->setColumnWidth(c, widest + u);
        total += widest + u;
    }
    const int room = StringGrid->viewport()->width();
    const int last = StringGrid->columnCount() - 1;
    if (last >= 0 && total < room)
        StringGrid->setColumnWidth(last, StringGrid->columnWidth(last) + room - total);
}

void TMakeBillForm::SpeedButton1Click() {
    hideEditors();
    guarded(this, [this] {
        const int number = m_nextPreBill.toInt();
        PreBillTable(preBillTable()).append(number, m_currency, m_bill);
        const int row = m_preBillCount + 1;
        if (row >= StringGrid->rowCount())
            StringGrid->setRowCount(row + 1);
        setRowTexts(row, number, m_currency, [this](const QString& name) { return m_bill.valueOf(name); });
        StringGrid->setCurrentCell(row, 0);
        sizeColumns();
        ++m_preBillCount;
        m_nextPreBill = QString::number(m_preBillCount + 1);
    });
}

int TMakeBillForm::selectedPreBillNumber() const {
    const int row = StringGrid->currentRow();
    const QTableWidgetItem* cell = row > 0 ? StringGrid->item(row, 0) : nullptr;
    return cell ? cell->text().toInt() : 0;
}

void TMakeBillForm::N1Click() {
    guarded(this, [this] {
        const std::optional<PreBill> pre = PreBillTable(preBillTable()).find(selectedPreBillNumber());
        if (!pre)
            return;
        for (int i = 0; i < m_bill.count(); ++i) {
            const auto v = pre->values.find(m_bill.items.at(i).name);
            if (v != pre->values.end())
                m_bill.values[i] = *v;
        }
        m_currency = pre->currency;
        m_nextPreBill = QString::number(m_preBillCount + 1);
        LoadRememberedItems(m_entry.autoTable, m_bill, Remembered::NumbersOnly);
        if (m_currency >= 0 && m_currency < ComboBox1->count())
            ComboBox1->setCurrentIndex(m_currency);
        redraw();
        m_clicked = m_edited = -1;
    });
}

void TMakeBillForm::N3Click() {
    if (m_preBillCount == 0)
        return;
    const int number = selectedPreBillNumber();
    if (!Prompter::instance().question(this, QStringLiteral("确定要删除序号 ") + QString::number(number) +
                                                 QStringLiteral("  的预开票吗 ？")))
        return;
    guarded(this, [&] {
        PreBillTable(preBillTable()).remove(number);
        FillPreBillList();
    });
}

void TMakeBillForm::N4Click() {
    if (m_preBillCount == 0)
        return;
    if (!Prompter::instance().question(this, QStringLiteral("确定要清空预开票吗 ？")))
        return;
    guarded(this, [this] {
        PreBillTable(preBillTable()).clear();
        FillPreBillList();
    });
}

void TMakeBillForm::StringGridDblClick() {
    hideEditors();
    if (m_ready && m_preBillCount > 0)
        PopupMenu1->popup(QCursor::pos());
}
