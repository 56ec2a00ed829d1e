#pragma once

#include <QStringList>
#include <QTableWidget>

class QComboBox;
class QLineEdit;

// A two-column grid of parameters: labels on the left, values on the right. Values are edited
// through a line edit and a drop-down that the grid places over a value cell when the owning
// window opens them (usually on a double-click). The window decides what a committed text means;
// the grid only reports it.
class ParameterGrid : public QTableWidget {
    Q_OBJECT
public:
    // What the line edit accepts of typed keys.
    enum class Keys {
        Any,
        Digits,       // 0 to 9 and Backspace
        Digits4,      // the same, but no digit once the text has 4 characters
        SignedDigits, // digits and one "-" typed as the first character
    };

    // rightGap: pixels left free right of the value column. The editors become children of the
    // grid; their owner keeps the pointers under its own names.
    ParameterGrid(QWidget* parent, int rightGap = 2);

    QLineEdit* edit() const { return m_edit; }
    QComboBox* combo() const { return m_combo; }

    void setLabels(const QStringList& labels, bool centredLabels = false);
    // The height that shows every row without scrolling.
    int fullHeight() const;
    QString label(int row) const;
    QString value(int row) const;
    void setValue(int row, const QString& text);
    void clearValues();

    // Opens the line edit over the row's value cell with the cell's text and the caret at its end.
    void openTextEditor(int row, Keys keys);
    // Opens the drop-down over the row's value cell; editable drop-downs take typed texts too.
    void openComboEditor(int row, const QStringList& entries, int current, bool editable);
    // Closes an open editor; a line edit (or a typed drop-down text) commits as when it is left.
    void hideEditors();
    bool editorOpen() const;
    // The row the open (or last) editor belongs to, and the cell's text when it opened.
    int editorRow() const { return m_row; }
    QString valueBeforeEdit() const { return m_before; }

signals:
    // A double-click on the value cell of a row.
    void valueDoubleClicked(int row);
    // The line edit or an editable drop-down was left with a text that differs from the cell's.
    void textCommitted(int row, const QString& before, const QString& text);
    // An entry of the drop-down was chosen: clicked in its list, or stepped to with the arrow keys
    // and taken with Enter or by leaving the editor.
    void entryChosen(int row, int index, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitColumns();
    void placeEditors(int row);
    void commitText(const QString& text);
    bool acceptsKey(const QString& key) const;
    void restoreFocus();

    QLineEdit* m_edit = nullptr;
    QComboBox* m_combo = nullptr;
    Keys m_keys = Keys::Any;
    int m_row = -1;
    QString m_before;
    bool m_closing = false;
    bool m_comboStepped = false; // the arrow keys moved the drop-down's choice
    int m_rightGap = 2;
};
