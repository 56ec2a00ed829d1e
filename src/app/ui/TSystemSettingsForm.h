#pragma once

#include <QDialog>

class QCheckBox;

// "系统设置": settings of the whole program that have no other home. OK saves them to the settings
// file, 取消 leaves them as they were.
class TSystemSettingsForm : public QDialog {
    Q_OBJECT
public:
    explicit TSystemSettingsForm(QWidget* parent = nullptr);

    QCheckBox* confirmPrintBox = nullptr; // "打印后确认票据是否已正确打印"

    void saveSettings();
};
