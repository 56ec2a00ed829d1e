#pragma once

#include <QDialog>

class QLabel;

// The about box: product name, version, and the owner's company and user name from the settings.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    QLabel* CompanyLabel = nullptr;
    QLabel* UserLabel = nullptr;

private:
    void FormCreate();
};
