#pragma once

#include <QDialog>

class QLabel;

// The about box: product name, version, the owner's company and user name from the settings, and
// the application folder.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    QLabel* CompanyLabel = nullptr;
    QLabel* UserLabel = nullptr;

private:
    void showRegistration();
};
