#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;
class QPushButton;
class TypingGuard;
class UpDown;

// "月、日、时、分": edits an eight-digit MMDDhhmm value in four number fields with arrows.
class TMonthDayTimeForm : public QDialog {
    Q_OBJECT
public:
    explicit TMonthDayTimeForm(QWidget* parent = nullptr);

    QLineEdit* monthEditor = nullptr;  // 月
    QLineEdit* dayEditor = nullptr;    // 日
    QLineEdit* hourEditor = nullptr;   // 时
    QLineEdit* minuteEditor = nullptr; // 分
    UpDown* monthArrows = nullptr;
    UpDown* dayArrows = nullptr;
    UpDown* hourArrows = nullptr;
    UpDown* minuteArrows = nullptr;
    QPushButton* okButton = nullptr;     // "确 认"
    QPushButton* cancelButton = nullptr; // "取 消"

    void setValue(const QString& value) { m_value = value; }
    QString value() const { return m_value; }
    // Shows the dialog with the value; the new value when it closed with OK.
    std::optional<QString> edit(const QString& value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showValue();
    void confirm();

    QString m_value;
};
