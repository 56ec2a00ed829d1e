#pragma once

#include "issuing/BatchPrint.h"
#include "issuing/PrintRecords.h"
#include "platform/Printing.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One run of 打印所选 or 继续: the rows of a review printed one after the other, each as
// PrintBatchRow prints it, until none is left, the operator pauses or stops the run, or a row
// does not print. The caller drives it a bill at a time (the window from its event loop, so that
// 暂停 and 停止 are heard between bills); pausing and stopping take effect before the next bill.
class BatchRun {
public:
    enum class State { Running, Finished, Paused, Stopped, Failed };

    // The rows a run prints, in order: the chosen rows without errors. A row that has printed
    // goes in again only when printAgain says so; otherwise it is no longer chosen.
    static QList<int> rowsToPrint(QList<BatchRow>& rows,
                                  const std::function<bool(const BatchRow&)>& printAgain);

    // rows holds every row of the review and outlives the run; queue is from rowsToPrint.
    BatchRun(const BatchBill& bill, const QStringList& header, const ColumnMapping& mapping,
             const PrintJobSetup& setup, QList<BatchRow>& rows, const QList<int>& queue);

    // Heard before the next bill.
    void pause() { m_pauseAsked = true; }
    void stop() { m_stopAsked = true; }

    // Prints the next row of the queue, or ends the run (stopped, paused, finished: in that
    // order of precedence) when asked to or when none is left; returns the state afterwards. A
    // row whose print is not Recorded ends the run as Failed with its outcome. A store or template
    // error ends it as Failed too and is thrown on; the rows keep what printed before it.
    State printNext();

    // Told of each row, by index into the rows, just before it is sent.
    std::function<void(int row)> rowStarting;

    State state() const { return m_state; }
    bool pauseAsked() const { return m_pauseAsked; }
    bool stopAsked() const { return m_stopAsked; }
    int total() const { return m_total; }
    int done() const { return m_done; }
    // The row the last printNext sent (its state shows the result), -1 when it sent none.
    int lastRow() const { return m_lastRow; }
    // How the row that ended a Failed run came out (NotPrinted with no message after an error).
    const PrintOutcome& failure() const { return m_failure; }

private:
    State end(State how);

    const BatchBill& m_bill;
    QStringList m_header;
    ColumnMapping m_mapping;
    PrintJobSetup m_setup;
    QList<BatchRow>& m_rows;
    QList<int> m_queue;
    State m_state = State::Running;
    int m_total = 0;
    int m_done = 0;
    int m_lastRow = -1;
    bool m_pauseAsked = false;
    bool m_stopAsked = false;
    PrintOutcome m_failure;
};

// The data lines of the rows that have printed, for telling the operator where a run stands.
QStringList PrintedLines(const QList<BatchRow>& rows);
