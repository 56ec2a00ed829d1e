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

    QLineEdit* Memo1 = nullptr; // 月
    QLineEdit* Memo2 = nullptr; // 日
    QLineEdit* Memo3 = nullptr; // 时
    QLineEdit* Memo4 = nullptr; // 分
    UpDown* UpDown1 = nullptr;
    UpDown* UpDown2 = nullptr;
    UpDown* UpDown3 = nullptr;
    UpDown* UpDown4 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "确 认"
    QPushButton* BitBtn2 = nullptr; // "取 消"

    void setValue(const QString& value) { m_value = value; }
    QString value() const { return m_value; }
    // Shows the dialog with the value; the new value when it closed with OK.
    std::optional<QString> edit(const QString& value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void BitBtn1Click();

    QString m_value;
};
