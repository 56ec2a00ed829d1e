#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

// A spoiled bill stays on record: a void marks one history record of a bill with the operator's
// reason and the time. Voids live in a table of their own ("作废记录"), never in the history
// tables, whose columns are the bill's item names. A bill is known by its history table's name.
// Store failures throw StoreError.
namespace VoidedRecords {

QString table();

struct Mark {
    QString reason;
    QString time; // "2015-09-08 14:05:09"
};

// The voids of one bill by history number.
QHash<qint64, Mark> of(const QString& historyTable);

// Marks the records as voided, in one transaction; a record voided before keeps its first mark.
// The reason must not be empty.
void mark(const QString& historyTable, const QList<qint64>& numbers, const QString& reason,
          const QDateTime& moment);
void unmark(const QString& historyTable, const QList<qint64>& numbers);
// Every void of a bill (its deletion) or of some of its records (their deletion).
void forgetBill(const QString& historyTable);

} // namespace VoidedRecords
