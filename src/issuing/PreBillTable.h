#pragma once

#include "issuing/FilledBill.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// A filled bill kept for later printing: its number, its currency and the stored value of each
// item of the template by item name.
struct PreBill {
    int number = 0;
    int currency = 0;
    QHash<QString, QString> values;
};

// The pre-bill table of one bill ("BeforeNumber", "货币种类", then one column per item). Rows keep
// the order in which they were saved. Store failures throw StoreError.
class PreBillTable {
public:
    explicit PreBillTable(QString table) : m_table(std::move(table)) {}

    // Numbers the rows 1, 2, 3 ... in table order, so that they are consecutive after a deletion,
    // and returns them in that order.
    QList<PreBill> renumberAndRead() const;
    // Appends a pre-bill: every item column takes the value of the active item of its name, empty
    // for items that are not active.
    void append(int number, int currency, const FilledBill& bill) const;
    // The first pre-bill with that number.
    std::optional<PreBill> find(int number) const;
    // Deletes the first pre-bill with that number.
    void remove(int number) const;
    void clear() const;

private:
    QString m_table;
};
