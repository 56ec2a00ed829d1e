#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;

// Single-line text input; item names never contain "-", so that key is refused.
class TStringInputForm : public QDialog {
    Q_OBJECT
public:
    explicit TStringInputForm(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;

    // Shows the window with a caption, label and initial text; the typed text when confirmed.
    static std::optional<QString> ask(QWidget* parent, const QString& caption, const QString& label,
                                      const QString& initial);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BitBtn1Click();
    void BitBtn2Click();
};
