#pragma once

#include <QDialog>

// The splash window shown at start-up; it closes itself after five seconds.
class TWelcomForm : public QDialog {
    Q_OBJECT
public:
    explicit TWelcomForm(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
