#include "issuing/PreBillTable.h"

#include "store/Database.h"
#include "store/Sql.h"

#include <QSqlQuery>
#include <QSqlRecord>

using Sql::q;

namespace {
const QString kNumber = QStringLiteral("BeforeNumber");
const QString kCurrency = QStringLiteral("货币种类");

PreBill fromRecord(const QSqlRecord& rec) {
    PreBill p;
    p.number = rec.value(kNumber).toInt();
    p.currency = rec.value(kCurrency).toInt();
    for (int c = 0; c < rec.count(); ++c) {
        const QString name = rec.fieldName(c);
        if (name != kNumber && name != kCurrency)
            p.values.insert(name, rec.value(c).toString());
    }
    return p;
}
} // namespace

QList<PreBill> PreBillTable::renumberAndRead() const {
    const QSqlDatabase db = Database::get(Db::Bill);
    Sql::Transaction tx(db);
    QList<qint64> rows;
    {
        QSqlQuery ids =
            Sql::exec(db, QStringLiteral("SELECT rowid FROM %1").arg(q(m_table)) + Sql::naturalOrder());
        while (ids.next())
            rows << ids.value(0).toLongLong();
    }
    for (int i = 0; i < rows.size(); ++i)
        Sql::exec(db, QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(q(m_table), q(kNumber)),
                  {i + 1, rows.at(i)});
    tx.commit();

    QList<PreBill> list;
    QSqlQuery all = Sql::exec(db, Sql::selectAll(db, m_table) + Sql::naturalOrder());
    while (all.next())
        list << fromRecord(all.record());
    return list;
}

void PreBillTable::append(int number, int currency, const FilledBill& bill) const {
    const QSqlDatabase db = Database::get(Db::Bill);
    QStringList cols{kNumber, kCurrency};
    QVariantList values{number, currency};
    for (const QString& c : Sql::columnNames(db, m_table)) {
        if (c == kNumber || c == kCurrency)
            continue;
        cols << c;
        values << bill.valueOf(c);
    }
    Sql::insertRow(db, m_table, cols, values);
}

std::optional<PreBill> PreBillTable::find(int number) const {
    const QSqlDatabase db = Database::get(Db::Bill);
    QSqlQuery query =
        Sql::exec(db,
                  Sql::selectAll(db, m_table) + QStringLiteral(" WHERE %1 = ?").arg(Sql::q(kNumber)) +
                      Sql::naturalOrder() + QStringLiteral(" LIMIT 1"),
                  {number});
    if (!query.next())
        return std::nullopt;
    return fromRecord(query.record());
}

void PreBillTable::remove(int number) const {
    const QSqlDatabase db = Database::get(Db::Bill);
    Sql::exec(db,
              QStringLiteral("DELETE FROM %1 WHERE rowid = (SELECT rowid FROM %1 WHERE %2 = ?")
                      .arg(q(m_table), q(kNumber)) +
                  Sql::naturalOrder() + QStringLiteral(" LIMIT 1)"),
              {number});
}

void PreBillTable::clear() const {
    Sql::emptyTable(Database::get(Db::Bill), m_table);
}
