#include "issuing/PrintRecords.h"

#include "issuing/PreBillTable.h"
#include "store/Database.h"
#include "store/Dialect.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <optional>

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
    QSqlQuery query =
        Sql::exec(db, Sql::selectAll(db, table) + Sql::naturalOrder() + QStringLiteral(" LIMIT 1"));
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

void AdvanceNumbers(FilledBill& bill) {
    for (int i : RememberedItems(bill))
        if (isNumber(bill.items.at(i).type))
            bill.values[i] = IncrementTrailingNumber(bill.values.at(i));
}

PendingPrintRecord::PendingPrintRecord(const MainItemFlag& entry, FilledBill& bill, int currency,
                                       const QDateTime& moment)
    : m_tx(Database::get(Db::Bill)) {
    const QSqlDatabase db = Database::get(Db::Bill);
    if (Dialect::isPostgres(db)) {
        Dialect::lockForNumbering(db, entry.historyTable);
        LoadRememberedItems(entry.autoTable, bill, Remembered::NumbersOnly);
    }
    FilledBill advanced = bill;
    AdvanceNumbers(advanced);
    AppendHistoryRecord(entry.historyTable, currency, bill, moment);
    SaveRememberedItems(entry.autoTable, advanced);
    m_advanced = advanced.values;
}

void PendingPrintRecord::commit(FilledBill& bill) {
    m_tx.commit();
    bill.values = m_advanced;
}

void RecordPrintedBill(const MainItemFlag& entry, FilledBill& bill, int currency, const QDateTime& moment) {
    PendingPrintRecord(entry, bill, currency, moment).commit(bill);
}

PrintOutcome PrintAndRecord(const MainItemFlag& entry, FilledBill& bill, int currency,
                            const QDateTime& moment, const std::function<bool(QString* error)>& sendJob,
                            const PrintExtras& extras) {
    std::optional<PendingPrintRecord> record;
    try {
        record.emplace(entry, bill, currency, moment);
        if (extras.alsoRecord)
            extras.alsoRecord();
    } catch (const StoreError& e) {
        return {PrintOutcome::NotPrinted, QStringLiteral("票据未打印：打印记录无法写入。\n") + e.message()};
    }
    QString error;
    if (!sendJob(&error)) {
        record.reset();
        return {PrintOutcome::NotPrinted, error};
    }
    if (extras.confirm && !extras.confirm()) {
        record.reset();
        return {PrintOutcome::NotConfirmed, {}};
    }
    try {
        record->commit(bill);
        return {PrintOutcome::Recorded, {}};
    } catch (const StoreError& e) {
        record.reset();
        QString message = QStringLiteral("票据已打印，但打印记录未能保存：") + e.message();
        try {
            const PreBillTable preBills(entry.preBillTable);
            const int number = int(preBills.renumberAndRead().size()) + 1;
            preBills.append(number, currency, bill);
            message += QStringLiteral("\n填写的内容已保存为第 %1 张预开票。").arg(number);
        } catch (const StoreError&) {
            message += QStringLiteral("\n填写的内容仍在窗口中，请在数据库可以写入后保存为预开票。");
        }
        return {PrintOutcome::PrintedUnrecorded, message};
    }
}
