#pragma once

#include "issuing/FilledBill.h"
#include "store/MainItemFlag.h"
#include "store/Sql.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// What a print leaves behind: a row in the bill's history and the advanced automatic numbers of
// its auto-number table. Store failures throw StoreError.

// "2015年09月08日    14:05:09": the print date of a history record.
QString PrintDateText(const QDateTime& moment);

// Appends a history row: the sequence number after the last row's (1 for an empty table), the
// print date, the currency and, for every item column, the stored value of the active item of
// that name (empty when it is not active).
void AppendHistoryRecord(const QString& historyTable, int currency, const FilledBill& bill,
                         const QDateTime& moment);

// Indexes of the remembered items: passwords, automatic numbers and fixed texts, in order.
QList<int> RememberedItems(const FilledBill& bill);

enum class Remembered { All, NumbersOnly };
// Gives each remembered item the value of its column in the auto-number table's row; with
// NumbersOnly the fixed texts keep theirs. An empty table changes nothing.
void LoadRememberedItems(const QString& autoTable, FilledBill& bill, Remembered which);
// Replaces the auto-number table's row by one holding every remembered item's value.
void SaveRememberedItems(const QString& autoTable, const FilledBill& bill);

// The text with its trailing number one higher, keeping its width with leading zeros (0099 gives
// 0100, A12 gives A13, 999 gives 1000). A text that does not end in a digit, or whose trailing
// run has ten or more digits, comes back unchanged.
QString IncrementTrailingNumber(const QString& text);

// The passwords and automatic numbers of the bill one higher, as a print leaves them.
void AdvanceNumbers(FilledBill& bill);

// The records of one print, prepared before the job is sent: the write transaction is opened
// (so the store is known to be writable) and the history row and the advanced passwords and
// automatic numbers are written inside it. Destroyed without commit(), it leaves no trace.
// On a shared store the bill's numbers are taken from the store under a lock that holds other
// desks' prints of the same bill until this one is committed or dropped, so that no two prints
// get the same number; with the embedded store (one operator, one writer at a time) the bill
// keeps the numbers its window shows, which the operator may have changed.
class PendingPrintRecord {
public:
    // Throws StoreError when the store cannot be written; nothing has changed then.
    PendingPrintRecord(const MainItemFlag& entry, FilledBill& bill, int currency, const QDateTime& moment);
    // Makes the records permanent and gives the bill its advanced numbers. Throws StoreError when
    // the commit fails; the records are then rolled back and the bill keeps its values.
    void commit(FilledBill& bill);

private:
    Sql::Transaction m_tx;
    QStringList m_advanced;
};

// Prepares and commits at once: for callers that record a print made elsewhere.
void RecordPrintedBill(const MainItemFlag& entry, FilledBill& bill, int currency, const QDateTime& moment);

struct PrintOutcome {
    enum Kind {
        Recorded,          // printed, history row and numbers committed
        NotPrinted,        // the store could not be written or the printing system refused: nothing
                           // went to the printer, nothing was recorded
        PrintedUnrecorded, // the job was accepted but the records could not be committed
        NotConfirmed       // the operator said the bill did not come out right: nothing recorded
    };
    Kind kind = NotPrinted;
    QString message; // for everything but Recorded: what happened, in the operator's words
};

// Sends one bill to the printer so that nothing is printed unrecorded: the records are prepared
// first, then sendJob paints and submits the job (false with the reason when the printing system
// refuses it), and the records are committed once the job was accepted. When that last commit
// fails, the filled values are kept as a pre-bill where the store still allows it.
//
// extras.confirm, when set, is asked after the job was accepted and before anything is committed:
// false records nothing and advances no number. extras.alsoRecord runs inside the same
// transaction, for writes that belong with the record (voiding the record a reprint replaces).
struct PrintExtras {
    std::function<bool()> confirm;
    std::function<void()> alsoRecord;
};
PrintOutcome PrintAndRecord(const MainItemFlag& entry, FilledBill& bill, int currency,
                            const QDateTime& moment, const std::function<bool(QString* error)>& sendJob,
                            const PrintExtras& extras = {});
