#include "issuing/PrintRecords.h"

#include "store/Database.h"
#include "store/Sql.h"

#include <QSqlQuery>
#include <QSqlRecord>

using Sql::q;

namespace {
const QString kHistoryNumber = QStringLiteral("HistoryNumber");
const QString kPrintDate = QStringLiteral("打印日期");
const QString kCurrency = QStringLiteral("货币种类");
const QString kAutoNumber = QStringLiteral("AutoNumber");

bool isNumber(ItemType t) {
    return t == ItemType::Password || t == ItemType::AutoNumber;
}
} // namespace

QString PrintDateText(const QDateTime& moment) {
    return moment.toString(QStringLiteral("yyyy'年'MM'月'dd'日'    HH:mm:ss"));
}

void AppendHistoryRecord(const QString& table, int currency, const FilledBill& bill,
                         const QDateTime& moment) {
    const QSqlDatabase db = Database::get(Db::Bill);
    const QVariant last = Sql::scalar(
        db, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid DESC LIMIT 1").arg(q(kHistoryNumber), q(table)));
    QStringList cols{kHistoryNumber, kPrintDate, kCurrency};
    QVariantList values{last.toLongLong() + 1, PrintDateText(moment), currency};
    for (const QString& c : Sql::columnNames(db, table)) {
        if (cols.contains(c))
            continue;
        cols << c;
        values << bill.valueOf(c);
    }
    Sql::insertRow(db, table, cols, values);
}

QList<int> RememberedItems(const FilledBill& bill) {
    QList<int> list;
    for (int i = 0; i < bill.count(); ++i)
        if (ItemTypes::isRemembered(bill.items.at(i).type))
            list << i;
    return list;
}

void LoadRememberedItems(const QString& table, FilledBill& bill, Remembered which) {
    const QSqlDatabase db = Database::get(Db::Bill);
    QSqlQuery query = Sql::exec(db, QStringLiteral("SELECT * FROM %1").arg(q(table)) + Sql::naturalOrder() +
                                        QStringLiteral(" LIMIT 1"));
    if (!query.next())
        return;
    const QSqlRecord row = query.record();
    for (int i : RememberedItems(bill)) {
        if (which == Remembered::NumbersOnly && !isNumber(bill.items.at(i).type))
            continue;
        const int c = row.indexOf(bill.items.at(i).name);
        if (c >= 0 && bill.items.at(i).name != kAutoNumber)
            bill.values[i] = row.value(c).toString();
    }
}

void SaveRememberedItems(const QString& table, const FilledBill& bill) {
    const QSqlDatabase db = Database::get(Db::Bill);
    Sql::Transaction tx(db);
    const QStringList columns = Sql::columnNames(db, table);
    QStringList cols;
    QVariantList values;
    for (int i : RememberedItems(bill)) {
        const QString& name = bill.items.at(i).name;
        if (name == kAutoNumber || !columns.contains(name) || cols.contains(name))
            continue;
        cols << name;
        values << bill.values.at(i);
    }
    Sql::emptyTable(db, table);
    if (!cols.isEmpty())
        Sql::insertRow(db, table, cols, values);
    else
        Sql::exec(db, QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(q(table)));
    tx.commit();
}

QString IncrementTrailingNumber(const QString& text) {
    int start = text.size();
    while (start > 0 && text.at(start - 1) >= QLatin1Char('0') && text.at(start - 1) <= QLatin1Char('9'))
        --start;
    const int width = int(text.size()) - start;
    if (width == 0 || width >= 10)
        return text;
    const qint64 next = text.mid(start).toLongLong() + 1;
    return text.left(start) + QStringLiteral("%1").arg(next, width, 10, QLatin1Char('0'));
}

void RecordPrintedBill(const MainItemFlag& entry, FilledBill& bill, int currency, const QDateTime& moment) {
    FilledBill advanced = bill;
    for (int i : RememberedItems(advanced))
        if (isNumber(advanced.items.at(i).type))
            advanced.values[i] = IncrementTrailingNumber(advanced.values.at(i));

    const QSqlDatabase db = Database::get(Db::Bill);
    Sql::Transaction tx(db);
    AppendHistoryRecord(entry.historyTable, currency, bill, moment);
    SaveRememberedItems(entry.autoTable, advanced);
    tx.commit();
    bill.values = advanced.values;
}
