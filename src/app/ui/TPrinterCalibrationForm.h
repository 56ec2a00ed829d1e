#pragma once

#include "platform/Settings.h"

#include <QDialog>
#include <QList>
#include <QPoint>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// 打印机校准: per printer, prints the calibration sheet, takes the positions the operator measured
// on it, shows the offset they give and saves it under the printer's name.
class TPrinterCalibrationForm : public QDialog {
    Q_OBJECT
public:
    TPrinterCalibrationForm(QWidget* parent, const QStringList& printers, const QString& current);

    QComboBox* printerSelector = nullptr;
    QLabel* savedOffsetLabel = nullptr; // the printer's calibration as saved
    QSpinBox* paperWidthBox = nullptr;  // the sheet's paper in millimetres, A4 unless changed
    QSpinBox* paperLengthBox = nullptr;
    QPushButton* printSheetButton = nullptr; // "打印校准页"
    QList<QLineEdit*> measuredXEdits;        // per crosshair, in millimetres; empty: not measured
    QList<QLineEdit*> measuredYEdits;
    QPushButton* computeButton = nullptr;  // "计算偏移"
    QLabel* computedOffsetLabel = nullptr; // the offset the measurements give, before saving
    QPushButton* saveButton = nullptr;     // "保存校准"
    QPushButton* clearButton = nullptr;    // "清除校准"
    QPushButton* closeButton = nullptr;    // "关闭"

private:
    QString printer() const;
    QList<QPoint> crosshairs() const;
    void showSavedOffset();
    void relabelCrosshairs();
    void printSheet();
    void computeOffset();
    void saveOffset();
    void clearOffset();

    QList<QLabel*> m_crosshairLabels;
    std::optional<Settings::PrinterOffset> m_computed;
};
