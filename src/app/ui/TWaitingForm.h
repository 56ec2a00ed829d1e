#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;
class Worker;

// The busy window: shown modally while a worker runs, with a moving band of blue blocks and the
// worker's progress.
class TWaitingForm : public QDialog {
    Q_OBJECT
public:
    explicit TWaitingForm(QWidget* parent = nullptr);

    QLabel* messageLabel = nullptr; // the caller's text
    QLabel* waitLabel = nullptr;    // "请稍侯..."
    QLabel* ProgressLabel = nullptr;
    // Shown only for work that can be cancelled.
    QPushButton* cancelButton = nullptr;

    // Runs worker.run() on a thread of its own while the busy window shows text. Returns false with
    // the worker's error in *error when it threw.
    static bool runWorker(QWidget* parent, const QString& text, Worker& worker, QString* error);

    int phase() const { return m_phase; }
    void setProgress(qint64 done, qint64 total);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void startBand();
    void advanceBand();
    void paintBand();

    QTimer* bandTimer = nullptr;
    QLabel* m_band = nullptr;
    int m_phase = 15;
    bool m_closable = false;
    friend class WaitingCloser;
};
