#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;

// Single-line text input. For names (the default) "-" is refused, since item names never contain
// it; free text such as a reason takes any character.
class TStringInputForm : public QDialog {
    Q_OBJECT
public:
    explicit TStringInputForm(QWidget* parent = nullptr);

    QLabel* promptLabel = nullptr;
    QLineEdit* textEdit = nullptr;

    // Shows the window with a caption, label and initial text; the typed text when confirmed.
    enum class Text { Name, Free };
    static std::optional<QString> ask(QWidget* parent, const QString& caption, const QString& label,
                                      const QString& initial, Text text = Text::Name);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_name = true;
    void confirm();
    void cancel();
};
