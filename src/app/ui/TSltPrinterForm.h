#pragma once

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;

// Choice of the printer that bills are printed on.
class TSltPrinterForm : public QDialog {
    Q_OBJECT
public:
    explicit TSltPrinterForm(QWidget* parent = nullptr);

    QComboBox* printerSelector = nullptr;
    QCheckBox* makeDefaultCheck = nullptr; // "设置为默认打印机 "

    // Fills the list, selects the first entry, shows the window; the chosen name when confirmed.
    // A confirmed choice with the box ticked is also saved as "Printer" in the settings.
    std::optional<QString> choose(const QStringList& printers);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tickMakeDefault();
    void confirm();
};
