#include "issuing/BatchRun.h"

QList<int> BatchRun::rowsToPrint(QList<BatchRow>& rows,
                                 const std::function<bool(const BatchRow&)>& printAgain) {
    QList<int> queue;
    for (int i = 0; i < rows.size(); ++i) {
        BatchRow& row = rows[i];
        if (!row.chosen || row.state == BatchRow::State::Error)
            continue;
        if (row.state == BatchRow::State::Printed && !(printAgain && printAgain(row))) {
            row.chosen = false;
            continue;
        }
        queue << i;
    }
    return queue;
}

BatchRun::BatchRun(const BatchBill& bill, const QStringList& header, const ColumnMapping& mapping,
                   const PrintJobSetup& setup, QList<BatchRow>& rows, const QList<int>& queue)
    : m_bill(bill), m_header(header), m_mapping(mapping), m_setup(setup), m_rows(rows), m_queue(queue),
      m_total(int(queue.size())) {}

BatchRun::State BatchRun::printNext() {
    m_lastRow = -1;
    if (m_state != State::Running)
        return m_state;
    if (m_stopAsked)
        return end(State::Stopped);
    if (m_pauseAsked)
        return end(State::Paused);
    if (m_queue.isEmpty())
        return end(State::Finished);
    m_lastRow = m_queue.takeFirst();
    if (rowStarting)
        rowStarting(m_lastRow);
    try {
        const PrintOutcome outcome = PrintBatchRow(m_bill, m_header, m_mapping, m_rows[m_lastRow], m_setup);
        if (outcome.kind != PrintOutcome::Recorded) {
            m_failure = outcome;
            return end(State::Failed);
        }
    } catch (...) {
        m_failure = PrintOutcome{PrintOutcome::NotPrinted, QString()};
        end(State::Failed);
        throw;
    }
    ++m_done;
    return m_state;
}

BatchRun::State BatchRun::end(State how) {
    m_state = how;
    m_queue.clear();
    return m_state;
}

QStringList PrintedLines(const QList<BatchRow>& rows) {
    QStringList printed;
    for (const BatchRow& row : rows)
        if (row.state == BatchRow::State::Printed)
            printed << QString::number(row.line);
    return printed;
}
