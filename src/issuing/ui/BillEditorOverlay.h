#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QComboBox;
class QDateEdit;
class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QPoint;
class QToolButton;
class QWidget;
class ReferenceLookups;
class TypingGuard;
class UpDown;
struct BillInFilling;

// The editors of the bill filling window, laid over the picture of the bill: a click on an input
// item opens the editor its kind takes (EditorFor) over the item's box; Enter, Esc, a click
// elsewhere or a change of focus close it, storing the value by the item's rules. Lookup items
// find their reference record on Enter or through the button beside them.
class BillEditorOverlay : public QObject {
    Q_OBJECT
public:
    // The editors become children of picture; window asks the operator. redraw draws the values
    // again after a value changed.
    BillEditorOverlay(QWidget* picture, QWidget* window, BillInFilling& filling,
                      std::function<void()> redraw);
    ~BillEditorOverlay() override;

    void setLookups(std::unique_ptr<ReferenceLookups> lookups);

    // Opens the editor of the first input item at the point of the picture (after storing the
    // value of an open editor); a click beside every item only closes the open one.
    void openEditorAt(const QPoint& pos);
    // Hides the open editor, storing its value unless storing was called off, and redraws.
    void hideEditors();
    // The look-up button beside a lookup item: picks a record from the item's whole list.
    void pickLookup();

    // The item last clicked, and the item whose editor is open; -1 for none.
    int clickedItem() const { return m_clicked; }
    int editedItem() const { return m_edited; }
    // Forgets the clicked item (a command or a new bill came between).
    void forgetClick() { m_clicked = m_edited = -1; }

    QLineEdit* amountEditor = nullptr;    // amounts
    QPlainTextEdit* memoEditor = nullptr; // free text, digit grids, quantities, lookups
    QLineEdit* datePartEditor = nullptr;  // year, month or day as a number
    UpDown* datePartArrows = nullptr;     // the arrows beside it
    QComboBox* choiceEditor = nullptr;    // bill kinds, return reasons, handlers, telephones
    QToolButton* lookupButton = nullptr;  // "…" beside a lookup item
    QDateEdit* datePicker = nullptr;      // a whole date with its calendar

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Open { None, Amount, Memo, DatePart, Choice, Date };

    void createEditors(QWidget* picture);
    void openEditor(int item);
    void placeEditor(QWidget* editor, int width, int height);
    QWidget* openWidget() const;
    bool editorKey(QObject* watched, const QKeyEvent* key);
    void endWithEnter();
    void lookupWithEnter(const QString& text);
    void applyLookup(const QStringList& values, const QStringList& names);
    void keepTypedText(const QString& text);
    void storeValue(int item, const QString& text);
    void focusChanged(QWidget* now);

    QWidget* m_picture;
    QWidget* m_window;
    BillInFilling& m_filling;
    std::function<void()> m_redraw;
    std::unique_ptr<ReferenceLookups> m_lookups;
    QMetaObject::Connection m_focusConnection;
    TypingGuard* m_amountGuard = nullptr;
    TypingGuard* m_memoGuard = nullptr;
    TypingGuard* m_datePartGuard = nullptr;

    int m_clicked = -1;
    int m_edited = -1;
    Open m_open = Open::None;
    QString m_openValue;
    bool m_noStore = false;
    bool m_choiceTyped = false;
    bool m_hiding = false;
};
