#include "issuing/ui/BillEditorOverlay.h"

#include "issuing/BillInFilling.h"
#include "issuing/CalcMethod.h"
#include "issuing/ItemValueRules.h"
#include "issuing/OtherContent.h"
#include "issuing/TypedValue.h"
#include "issuing/ui/ReferenceLookups.h"
#include "issuing/ui/TMonthDayTimeForm.h"
#include "issuing/ui/TypingGuard.h"
#include "issuing/ui/UpDown.h"
#include "platform/Clock.h"
#include "platform/ui/Prompter.h"
#include "store/StoreError.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolButton>

#include <algorithm>

namespace {
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
} // namespace

BillEditorOverlay::BillEditorOverlay(QWidget* picture, QWidget* window, BillInFilling& filling,
                                     std::function<void()> redraw)
    : QObject(window), m_picture(picture), m_window(window), m_filling(filling), m_redraw(std::move(redraw)),
      m_lookups(ReferenceLookups::windows()) {
    picture->installEventFilter(this);
    createEditors(picture);
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this,
                                [this](QWidget*, QWidget* now) { focusChanged(now); });
}

BillEditorOverlay::~BillEditorOverlay() {
    // Destroying the widgets moves the focus; the overlay is no longer there to hear of it.
    disconnect(m_focusConnection);
}

void BillEditorOverlay::setLookups(std::unique_ptr<ReferenceLookups> lookups) {
    m_lookups = std::move(lookups);
}

void BillEditorOverlay::createEditors(QWidget* picture) {
    const QString aqua = QStringLiteral("background: rgb(0, 255, 255); border: none;");
    amountEditor = new QLineEdit(picture);
    amountEditor->setObjectName(QStringLiteral("amountEditor"));
    amountEditor->setFrame(false);
    amountEditor->setStyleSheet(aqua);
    m_amountGuard = new TypingGuard(amountEditor, this);
    m_amountGuard->setRule([](const TypingGuard::Key& key, const QString& before, const QString& after) {
        if (!key.isDigit() && !key.is('.') && !key.isBackspace())
            return false;
        if (key.is('.') && before.contains(QLatin1Char('.')))
            return false;
        return TypedValue::isAmountText(after);
    });

    memoEditor = new QPlainTextEdit(picture);
    memoEditor->setObjectName(QStringLiteral("memoEditor"));
    memoEditor->setFrameShape(QFrame::NoFrame);
    memoEditor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memoEditor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memoEditor->setStyleSheet(aqua);
    memoEditor->document()->setDocumentMargin(1);
    m_memoGuard = new TypingGuard(memoEditor, this);
    m_memoGuard->setRule([this](const TypingGuard::Key& key, const QString& before, const QString&) {
        if (m_edited < 0)
            return true;
        switch (m_filling.bill.items.at(m_edited).type) {
        case ItemType::DigitGrid:
            return key.isDigit() || key.isBackspace();
        case ItemType::Quantity:
            return key.isDigit() || key.isBackspace() || (key.is('.') && !before.contains(QLatin1Char('.')));
        default:
            return true;
        }
    });

    datePartEditor = new QLineEdit(picture);
    datePartEditor->setObjectName(QStringLiteral("datePartEditor"));
    datePartEditor->setFrame(false);
    datePartEditor->setStyleSheet(aqua);
    datePartEditor->setMaxLength(4);
    datePartArrows = new UpDown(picture);
    datePartArrows->setObjectName(QStringLiteral("datePartArrows"));
    datePartArrows->setAssociate(datePartEditor);
    datePartArrows->setWrap(true);
    m_datePartGuard = new TypingGuard(datePartEditor, this);
    m_datePartGuard->setRule([this](const TypingGuard::Key& key, const QString&, const QString& after) {
        if (!key.isDigit() && !key.isBackspace())
            return false;
        if (m_edited < 0)
            return true;
        const ItemType type = m_filling.bill.items.at(m_edited).type;
        if (type == ItemType::Year || type == ItemType::YearCapital)
            return after.size() <= 4;
        const QString t = after.trimmed();
        return t.isEmpty() || TypedValue::isNumberWithin(t, 1, datePartArrows->maximum());
    });

    choiceEditor = new QComboBox(picture);
    choiceEditor->setObjectName(QStringLiteral("choiceEditor"));
    choiceEditor->setEditable(true);
    choiceEditor->setInsertPolicy(QComboBox::NoInsert);
    choiceEditor->setStyleSheet(QStringLiteral("QComboBox { background: rgb(0, 255, 255); }"));
    choiceEditor->lineEdit()->installEventFilter(this);
    // Choosing an entry without typing ends the editing at once.
    connect(choiceEditor, &QComboBox::activated, this, [this] {
        if (m_open == Open::Choice && !m_choiceTyped)
            QMetaObject::invokeMethod(this, &BillEditorOverlay::hideEditors, Qt::QueuedConnection);
    });

    lookupButton = new QToolButton(picture);
    lookupButton->setObjectName(QStringLiteral("lookupButton"));
    lookupButton->setText(QStringLiteral("…"));
    lookupButton->setFocusPolicy(Qt::NoFocus);
    connect(lookupButton, &QToolButton::clicked, this, &BillEditorOverlay::pickLookup);

    datePicker = new QDateEdit(picture);
    datePicker->setObjectName(QStringLiteral("datePicker"));
    datePicker->setCalendarPopup(true);
    datePicker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    datePicker->setStyleSheet(QStringLiteral("QDateEdit { background: rgb(0, 255, 255); }"));
    datePicker->installEventFilter(this);
    // Closing the calendar with a pick, by a click or by Enter, ends the editing.
    const auto pickEnds = [this] {
        if (m_open == Open::Date)
            QMetaObject::invokeMethod(this, &BillEditorOverlay::hideEditors, Qt::QueuedConnection);
    };
    connect(datePicker->calendarWidget(), &QCalendarWidget::clicked, this, pickEnds);
    connect(datePicker->calendarWidget(), &QCalendarWidget::activated, this, pickEnds);

    for (QWidget* w : {static_cast<QWidget*>(amountEditor), static_cast<QWidget*>(memoEditor),
                       static_cast<QWidget*>(datePartEditor), static_cast<QWidget*>(choiceEditor)}) {
        w->installEventFilter(this);
    }
    for (QWidget* w : {static_cast<QWidget*>(amountEditor), static_cast<QWidget*>(memoEditor),
                       static_cast<QWidget*>(datePartEditor), static_cast<QWidget*>(datePartArrows),
                       static_cast<QWidget*>(choiceEditor), static_cast<QWidget*>(lookupButton),
                       static_cast<QWidget*>(datePicker)})
        w->hide();
}

bool BillEditorOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picture && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            openEditorAt(mouse->position().toPoint());
        return false;
    }
    if (event->type() == QEvent::KeyPress)
        return editorKey(watched, static_cast<QKeyEvent*>(event));
    return false;
}

// Enter ends an editor, or looks the typed text up in a lookup item; Esc leaves without storing.
bool BillEditorOverlay::editorKey(QObject* watched, const QKeyEvent* key) {
    const bool escape = key->key() == Qt::Key_Escape;
    if (watched == amountEditor || watched == memoEditor || watched == datePartEditor) {
        if (escape) {
            m_noStore = true;
            hideEditors();
            return true;
        }
        if (!isEnter(key))
            return false;
        if (watched == amountEditor) {
            if (amountEditor->text() == m_openValue)
                m_noStore = true;
            hideEditors();
            return true;
        }
        if (watched == datePartEditor) {
            endWithEnter();
            return true;
        }
        const ItemType type = m_edited >= 0 ? m_filling.bill.items.at(m_edited).type : ItemType::Text;
        if (type == ItemType::DigitGrid || type == ItemType::Quantity) {
            endWithEnter();
            return true;
        }
        if (EditorFor(type) == ItemEditor::Lookup) {
            lookupWithEnter(memoEditor->toPlainText().trimmed());
            return true;
        }
        return false; // a new line
    }
    if (watched == choiceEditor->lineEdit() || watched == choiceEditor) {
        if (isEnter(key)) {
            choiceEditor->setEditText(choiceEditor->currentText().trimmed());
            hideEditors();
            return true;
        }
        m_choiceTyped = true;
        return false;
    }
    if (watched == datePicker && isEnter(key)) {
        hideEditors();
        return true;
    }
    return false;
}

QWidget* BillEditorOverlay::openWidget() const {
    switch (m_open) {
    case Open::Amount:
        return amountEditor;
    case Open::Memo:
        return memoEditor;
    case Open::DatePart:
        return datePartEditor;
    case Open::Choice:
        return choiceEditor;
    case Open::Date:
        return datePicker;
    case Open::None:
        break;
    }
    return nullptr;
}

void BillEditorOverlay::focusChanged(QWidget* now) {
    if (m_open == Open::None || m_hiding || !now || now->window() != m_window)
        return;
    if (!inside(now, openWidget()))
        hideEditors();
}

void BillEditorOverlay::openEditorAt(const QPoint& pos) {
    hideEditors();
    m_clicked = InputItemAt(m_filling.bill, pos.x(), pos.y());
    if (m_clicked >= 0)
        openEditor(m_clicked);
}

void BillEditorOverlay::placeEditor(QWidget* editor, int width, int height) {
    const PixelRect& b = m_filling.bill.items.at(m_edited).box;
    editor->setGeometry(b.left, b.top, width, height);
    editor->show();
    editor->raise();
}

void BillEditorOverlay::openEditor(int item) {
    FilledBill& bill = m_filling.bill;
    const TemplateItem& it = bill.items.at(item);
    const int w = it.box.width();
    const int h = it.box.height();
    const int height = h >= 20 ? h : 20;
    const int width = w > 41 ? w : 42;
    m_choiceTyped = false;
    m_noStore = false;

    const ItemEditor kind = EditorFor(it.type);
    if (kind == ItemEditor::Toggle) {
        ToggleCheckBox(bill, item);
        m_redraw();
        return;
    }
    if (kind == ItemEditor::MonthDayTime) {
        TMonthDayTimeForm dialog(m_window);
        const std::optional<QString> value = dialog.edit(bill.values.at(item));
        if (value)
            storeValue(item, *value);
        m_redraw();
        return;
    }

    m_edited = item;
    const QString value = bill.values.at(item);
    QWidget* focus = nullptr;
    switch (kind) {
    case ItemEditor::DatePart: {
        const bool year = ItemTypes::isYear(it.type);
        const bool month = ItemTypes::isMonth(it.type);
        if (year) {
            datePartArrows->setRange(1990, 9999);
        } else if (month) {
            datePartArrows->setRange(1, 12);
        } else {
            const int days = DaysInRelatedMonth(bill, item);
            if (value.toInt() > days)
                bill.values[item] = QStringLiteral("01");
            datePartArrows->setRange(1, days);
        }
        datePartArrows->setPosition(bill.values.at(item).toInt());
        m_datePartGuard->setText(datePartEditor->text());
        const int editorWidth = std::max(w, year ? 42 : 32);
        placeEditor(datePartEditor, editorWidth, height);
        datePartArrows->setGeometry(it.box.left + editorWidth, it.box.top, datePartArrows->width(), height);
        datePartArrows->show();
        datePartArrows->raise();
        m_open = Open::DatePart;
        m_openValue = datePartEditor->text();
        focus = datePartEditor;
        break;
    }
    case ItemEditor::Amount:
        m_amountGuard->setText(value);
        placeEditor(amountEditor, width, height);
        m_open = Open::Amount;
        m_openValue = value;
        focus = amountEditor;
        break;
    case ItemEditor::Lookup: {
        m_memoGuard->setText(toMemo(value));
        const int memoWidth = w >= 64 ? w : 64;
        placeEditor(memoEditor, memoWidth, height);
        lookupButton->setGeometry(it.box.left + memoWidth, it.box.top, 20, height);
        lookupButton->show();
        lookupButton->raise();
        m_open = Open::Memo;
        m_openValue = memoEditor->toPlainText();
        focus = memoEditor;
        break;
    }
    case ItemEditor::Choice: {
        const QStringList entries = OtherContent::entries(GetOtherContentList(it.type));
        choiceEditor->clear();
        choiceEditor->addItems(entries);
        int chosen = 0;
        for (int e = 0; e < entries.size(); ++e)
            if (OtherContent::sameEntry(entries.at(e), value)) {
                chosen = int(e);
                break;
            }
        if (entries.isEmpty())
            choiceEditor->setEditText(QString());
        else
            choiceEditor->setCurrentIndex(chosen);
        placeEditor(choiceEditor, width, std::max(height, choiceEditor->sizeHint().height()));
        m_open = Open::Choice;
        m_openValue = value;
        m_choiceTyped = false;
        focus = choiceEditor;
        break;
    }
    case ItemEditor::Date: {
        // Opens on the stored date, so that leaving without a pick keeps it.
        QDate date = QDate::fromString(QStringLiteral("20") + value, QStringLiteral("yyyyMMdd"));
        if (!date.isValid())
            date = Clock::today();
        datePicker->setDate(date);
        placeEditor(datePicker, std::max(w, 90), std::max(height, datePicker->sizeHint().height()));
        m_open = Open::Date;
        m_openValue = value;
        focus = datePicker;
        break;
    }
    default:
        m_memoGuard->setText(toMemo(value));
        placeEditor(memoEditor, width, height);
        m_open = Open::Memo;
        m_openValue = memoEditor->toPlainText();
        focus = memoEditor;
        break;
    }
    if (focus)
        focus->setFocus(Qt::MouseFocusReason);
}

void BillEditorOverlay::endWithEnter() {
    if (m_open == Open::Memo) {
        const QString trimmed = memoEditor->toPlainText().trimmed();
        m_memoGuard->setText(trimmed);
        if (trimmed == m_openValue)
            m_noStore = true;
    } else if (m_open == Open::DatePart) {
        const QString trimmed = datePartEditor->text().trimmed();
        if (trimmed == m_openValue)
            m_noStore = true;
    }
    hideEditors();
}

void BillEditorOverlay::hideEditors() {
    if (m_hiding)
        return;
    m_hiding = true;
    const int item = m_edited;
    bool store = !m_noStore;
    QString value;
    switch (m_open) {
    case Open::Amount:
        value = amountEditor->text();
        break;
    case Open::Memo:
        value = fromMemo(memoEditor->toPlainText());
        break;
    case Open::DatePart:
        value = QString::number(datePartArrows->position());
        break;
    case Open::Choice:
        value = choiceEditor->currentText();
        store = value != m_openValue;
        break;
    case Open::Date:
        value = datePicker->date().toString(QStringLiteral("yyMMdd"));
        store = true;
        break;
    case Open::None:
        store = false;
        break;
    }
    m_edited = -1;
    m_open = Open::None;
    for (QWidget* w : {static_cast<QWidget*>(amountEditor), static_cast<QWidget*>(memoEditor),
                       static_cast<QWidget*>(datePartEditor), static_cast<QWidget*>(datePartArrows),
                       static_cast<QWidget*>(choiceEditor), static_cast<QWidget*>(lookupButton),
                       static_cast<QWidget*>(datePicker)})
        w->hide();
    m_noStore = false;
    if (item >= 0 && store)
        storeValue(item, value);
    m_redraw();
    m_hiding = false;
}

void BillEditorOverlay::storeValue(int item, const QString& text) {
    try {
        StoreItemValue(m_filling.bill, item, text);
    } catch (const CalculationError& e) {
        m_redraw();
        Prompter::instance().error(m_window, e.message());
    } catch (const StoreError& e) {
        m_redraw();
        Prompter::instance().error(m_window, e.message());
    }
}

void BillEditorOverlay::lookupWithEnter(const QString& text) {
    if (m_edited < 0)
        return;
    const ItemType type = m_filling.bill.items.at(m_edited).type;
    QStringList values, names;
    guarded(m_window, [&] {
        switch (type) {
        case ItemType::BusinessUnit:
        case ItemType::Contact: {
            if (text.isEmpty())
                return;
            const bool unit = type == ItemType::BusinessUnit;
            const int found = unit ? m_lookups->SelectBusinessUnit(m_window, text, values, names)
                                   : m_lookups->SelectContact(m_window, text, values, names);
            if (found == 1) {
                applyLookup(values, names);
                return;
            }
            const QString question = unit ? QStringLiteral("需要增加新的业务单位吗 ？")
                                          : QStringLiteral("需要增加新的联系人吗 ？");
            if (Prompter::instance().question(m_window, question) &&
                (unit ? m_lookups->QuickAddBusinessUnit(m_window, text, values)
                      : m_lookups->QuickAddContact(m_window, text, values))) {
                applyLookup(values, names);
                return;
            }
            keepTypedText(text);
            return;
        }
        case ItemType::OwnUnit:
            if (m_lookups->SelectOwnAccount(m_window, values, names) == 1)
                applyLookup(values, names);
            else
                keepTypedText(text);
            return;
        case ItemType::Purpose:
            // Nothing found leaves the editor open for another try.
            if (!text.isEmpty() && m_lookups->SelectPurpose(m_window, text, values, names) == 1)
                applyLookup(values, names);
            return;
        default:
            return;
        }
    });
}

void BillEditorOverlay::pickLookup() {
    if (m_edited < 0)
        return;
    const ItemType type = m_filling.bill.items.at(m_edited).type;
    QStringList values, names;
    guarded(m_window, [&] {
        int chosen = 0;
        switch (type) {
        case ItemType::BusinessUnit:
            chosen = m_lookups->PickBusinessUnit(m_window, values, names);
            break;
        case ItemType::OwnUnit:
            chosen = m_lookups->SelectOwnAccount(m_window, values, names);
            break;
        case ItemType::Purpose:
            chosen = m_lookups->PickPurpose(m_window, QString(), values, names);
            break;
        case ItemType::Contact:
            chosen = m_lookups->PickContact(m_window, values, names);
            break;
        default:
            break;
        }
        if (chosen == 1)
            applyLookup(values, names);
    });
}

void BillEditorOverlay::applyLookup(const QStringList& values, const QStringList& names) {
    const int item = m_edited;
    if (item < 0)
        return;
    ApplyLookup(m_filling.bill, item, values, names);
    m_noStore = true;
    hideEditors();
}

void BillEditorOverlay::keepTypedText(const QString& text) {
    const int item = m_edited;
    if (item < 0)
        return;
    KeepTypedLookupText(m_filling.bill, item, text);
    m_noStore = true;
    hideEditors();
}
