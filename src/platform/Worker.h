#pragma once

#include <QObject>
#include <QString>

#include <atomic>

// Long work (backups, spreadsheet exchange) runs as a Worker on its own thread while the busy
// window shows. run() executes on that thread with its own database connections; it reports
// progress through reportProgress() and failure by throwing (StoreError or std::runtime_error with
// a Chinese message). The busy window runner delivers the result back on the window thread.
class Worker : public QObject {
    Q_OBJECT
public:
    ~Worker() override = default;
    virtual void run() = 0;

    // Whether the operator may cancel the work while it runs; a cancelled work leaves nothing
    // behind and ends by throwing.
    virtual bool cancellable() const { return false; }
    // Asks the work to stop; safe from any thread.
    void requestCancel() { m_cancel = true; }
    bool cancelRequested() const { return m_cancel.load(); }

    // Text shown to the operator after the work ended (what was done); may stay empty.
    QString summary() const { return m_summary; }

signals:
    void progress(qint64 done, qint64 total);

protected:
    void reportProgress(qint64 done, qint64 total) { emit progress(done, total); }
    void setSummary(const QString& s) { m_summary = s; }
    const std::atomic_bool* cancelFlag() const { return &m_cancel; }

private:
    QString m_summary;
    std::atomic_bool m_cancel = false;
};
