#include "app/ui/TWaitingForm.h"

#include "platform/Worker.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

TWaitingForm::TWaitingForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("等待..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    messageLabel = new QLabel(QStringLiteral("正在处理"), this);
    waitLabel = new QLabel(QStringLiteral("请稍侯..."), this);
    m_band = new QLabel(this);
    m_band->setFixedSize(300, 12);
    ProgressLabel = new QLabel(this);
    for (QLabel* l : {messageLabel, waitLabel, ProgressLabel})
        l->setAlignment(Qt::AlignCenter);
    layout->addWidget(messageLabel);
    layout->addWidget(waitLabel);
    layout->addWidget(m_band, 0, Qt::AlignCenter);
    layout->addWidget(ProgressLabel);
    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->hide();
    layout->addWidget(cancelButton, 0, Qt::AlignCenter);
    bandTimer = new QTimer(this);
    bandTimer->setInterval(200);
    connect(bandTimer, &QTimer::timeout, this, &TWaitingForm::advanceBand);
}

void TWaitingForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    startBand();
}

void TWaitingForm::startBand() {
    m_phase = 15;
    ProgressLabel->clear();
    paintBand();
    bandTimer->start();
}

void TWaitingForm::advanceBand() {
    paintBand();
    m_phase = m_phase == 0 ? 15 : m_phase - 1;
}

void TWaitingForm::paintBand() {
    QPixmap pm(300, 12);
    QPainter p(&pm);
    for (int i = 0; i < 15; ++i) {
        const int v = ((m_phase + i) % 16) * 17;
        p.fillRect(i * 20, 0, 20, 12, QColor(v, v, 255));
    }
    p.end();
    m_band->setPixmap(pm);
}

void TWaitingForm::setProgress(qint64 done, qint64 total) {
    if (total > 0)
        ProgressLabel->setText(QStringLiteral("%1 / %2").arg(done).arg(total));
    else
        ProgressLabel->setText(QString::number(done));
}

void TWaitingForm::closeEvent(QCloseEvent* event) {
    // Only the end of the work closes the window; the operator cannot abandon a half-done transfer.
    if (!m_closable) {
        event->ignore();
        return;
    }
    bandTimer->stop();
    QDialog::closeEvent(event);
}

void TWaitingForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

namespace {
class WorkerThread : public QThread {
public:
    explicit WorkerThread(Worker& w) : m_worker(w) {}
    QString error;
    bool failed = false;

protected:
    void run() override {
        try {
            m_worker.run();
        } catch (const StoreError& e) {
            failed = true;
            error = e.message();
        } catch (const std::exception& e) {
            failed = true;
            error = QString::fromUtf8(e.what());
        } catch (...) {
            failed = true;
            error = QStringLiteral("未知错误");
        }
        Database::closeThreadConnections();
    }

private:
    Worker& m_worker;
};
} // namespace

bool TWaitingForm::runWorker(QWidget* parent, const QString& text, Worker& worker, QString* error) {
    TWaitingForm form(parent);
    form.messageLabel->setText(text);
    WorkerThread thread(worker);
    // The worker lives on the window thread; its progress signal is queued across from the thread.
    QObject::connect(&worker, &Worker::progress, &form, &TWaitingForm::setProgress, Qt::QueuedConnection);
    if (worker.cancellable()) {
        form.cancelButton->show();
        QObject::connect(form.cancelButton, &QPushButton::clicked, &form, [&form, &worker] {
            worker.requestCancel();
            form.cancelButton->setEnabled(false);
            form.waitLabel->setText(QStringLiteral("正在取消..."));
        });
    }
    QObject::connect(
        &thread, &QThread::finished, &form,
        [&form] {
            form.m_closable = true;
            form.bandTimer->stop();
            form.accept();
        },
        Qt::QueuedConnection);
    thread.start();
    form.exec();
    thread.wait();
    if (thread.failed && error)
        *error = thread.error;
    return !thread.failed;
}
