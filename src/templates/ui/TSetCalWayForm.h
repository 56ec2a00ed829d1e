#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QPlainTextEdit;

// The calculation method of an item: a formula of item references, numbers and "+", "-", "*".
// Names cannot be typed, only inserted from the list, and the formula is checked before it is
// accepted.
class TSetCalWayForm : public QDialog {
    Q_OBJECT
public:
    explicit TSetCalWayForm(QWidget* parent = nullptr);

    QPlainTextEdit* formulaEditor = nullptr;
    QComboBox* entrySelector = nullptr;

    // Opens on the current formula with the item references that may be inserted.
    void setFormula(const QString& formula, const QStringList& entries);
    // The checked formula after the dialog closed with OK.
    QString formula() const { return m_formula; }

    void insertEntry(int index);
    void confirm(); // 确 认

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QStringList m_entries;
    QString m_formula;
};
