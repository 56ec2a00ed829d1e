#pragma once

#include <QWidget>

class QPushButton;

// What the main window's work area shows while the store holds no bill: a short welcome and the
// three ways to a first bill.
class WelcomePanel : public QWidget {
    Q_OBJECT
public:
    // The sample button shows only when the program has its sample file.
    WelcomePanel(bool sampleAvailable, QWidget* parent = nullptr);

signals:
    void importBillFileRequested();
    void designBillRequested();
    void importSampleRequested();

private:
    QPushButton* m_importBillFileButton;
    QPushButton* m_designBillButton;
    QPushButton* m_importSampleButton;
};
