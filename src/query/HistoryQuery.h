#pragma once

#include "query/DecimalSum.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

// The print history of one bill as the query window lists it.
struct HistoryListing {
    QStringList header;         // "序号", "打印日期", then the recorded item columns in table order
    QList<QStringList> rows;    // one per listed history record
    QList<qint64> numbers;      // "HistoryNumber" of each listed row
    QList<QString> voidReasons; // per listed row: the reason it was voided, empty when it stands
    QList<QStringList> totals;  // the total rows ("合计" in the first), when something was summed

    bool isVoided(qsizetype row) const { return !voidReasons.value(row).isEmpty(); }

    void clear() { *this = HistoryListing(); }
    // Header, listed rows and total rows, as the list shows them.
    QList<QStringList> allRows() const;
};

// A summed value is not a number (or not a whole number for 数字对格 and 数量), or a summed row
// names no known currency. The message names the record and the column.
class HistoryValueError : public std::runtime_error {
public:
    explicit HistoryValueError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Lists the history records printed from `fromDate` to `toDate` (YYYYMMDD, both included; dates
// compared as year, month and day), in table order, with each item column converted for the
// history list, and appends the total rows: per currency for the summed amount items, one sum for
// the summed 数字对格 and 数量 items. An empty history table name lists nothing. Returns the number of
// records listed.
//
// Voided records are listed like the others but left out of the totals; when any listed record is
// voided, the header and every row end with "作废" ("作废" or empty) and "作废原因".
//
// A summed value that cannot be added throws HistoryValueError; the rows listed before it stay in
// `list`, without totals. Store failures throw StoreError.
int ListHistory(const QString& historyTable, const QString& itemTable, const QString& fromDate,
                const QString& toDate, HistoryListing& list);

// One history record as it was stored: the value of each recorded item column by name, and its
// currency. Nothing when no record has that number.
struct HistoryRecord {
    QHash<QString, QString> values;
    int currency = 0;
};
std::optional<HistoryRecord> ReadHistoryRecord(const QString& historyTable, qint64 number);

// Deletes the history records with these numbers and their voids, in one transaction; other
// records stay.
void DeleteHistoryRows(const QString& historyTable, const QList<qint64>& numbers);

// A total amount as the lists show it: the currency's sign and the figures with thousands
// separators ("￥1,234.50"), exact.
QString TotalAmountText(int currency, const DecimalSum& sum);

// The date index a listing gives a history table, as SQLite keeps its definition.
QString historyDateIndexDefinition(const QSqlDatabase& db, const QString& historyTable);
