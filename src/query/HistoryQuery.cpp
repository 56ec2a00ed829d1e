#include "query/HistoryQuery.h"

#include "issuing/Conversion.h"
#include "issuing/CurrencyTable.h"
#include "query/DecimalSum.h"
#include "query/QueryDates.h"
#include "store/Database.h"
#include "store/Dialect.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "store/VoidedRecords.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <array>
#include <vector>

namespace {
const QString kNumber = QStringLiteral("HistoryNumber");
const QString kDate = QStringLiteral("打印日期");
const QString kCurrency = QStringLiteral("货币种类");

struct ItemInfo {
    int type = 0;
    bool printSuffix = false;
    bool statistics = false;
};

// A listed item column and what is summed in it.
struct Column {
    QString name;
    int field = -1; // position in the history query's record
    ItemInfo item;
    bool amountSum = false;  // types 7, 8, 9: one sum per currency
    bool integerSum = false; // types 11, 17: one whole-number sum
    std::array<DecimalSum, CurrencyTable::Count> sums;
    DecimalSum integer;
};

QHash<QString, ItemInfo> readItems(const QSqlDatabase& db, const QString& itemTable) {
    QHash<QString, ItemInfo> items;
    QSqlQuery q =
        Sql::exec(db, QStringLiteral("SELECT %1, %2, %3, %4 FROM %5")
                              .arg(Sql::q(QStringLiteral("设置项目名称")),
                                   Sql::q(QStringLiteral("设置项类型")), Sql::q(QStringLiteral("打印后缀")),
                                   Sql::q(QStringLiteral("统计")), Sql::q(itemTable)) +
                          Sql::naturalOrder());
    while (q.next()) {
        const QString name = q.value(0).toString();
        // The first item of a name decides, as a look-up by name finds it first.
        if (!items.contains(name))
            items.insert(name, {q.value(1).toInt(), q.value(2).toInt() != 0, q.value(3).toInt() != 0});
    }
    return items;
}

ItemType itemType(int type) {
    return type >= 0 && type <= 25 ? static_cast<ItemType>(type) : ItemType::Text;
}

// The void columns, only where something listed was voided, so that other listings stay as they
// always were.
void addVoidColumns(HistoryListing& list) {
    bool any = false;
    for (qsizetype r = 0; r < list.rows.size(); ++r)
        any = any || list.isVoided(r);
    if (!any)
        return;
    list.header << QStringLiteral("作废") << QStringLiteral("作废原因");
    for (qsizetype r = 0; r < list.rows.size(); ++r)
        list.rows[r] << (list.isVoided(r) ? QStringLiteral("作废") : QString()) << list.voidReasons.at(r);
}

QString dateExpression(const QSqlDatabase& db) {
    // Year from the first four characters, month and day from the two characters after "年" and
    // "月" of the stored print date.
    const QString d = Sql::q(kDate);
    const auto after = [&](const char* mark) {
        return QStringLiteral("substr(%1, %2 + 1, 2)")
            .arg(d, Dialect::findText(db, d, QString::fromUtf8(mark)));
    };
    return QStringLiteral("(%1 * 10000 + %2 * 100 + %3)")
        .arg(Dialect::integerPrefix(db, QStringLiteral("substr(%1, 1, 4)").arg(d)),
             Dialect::integerPrefix(db, after("年")), Dialect::integerPrefix(db, after("月")));
}

QString dateIndexTarget(const QSqlDatabase& db, const QString& historyTable) {
    return QStringLiteral("%1 ON %2 (%3)")
        .arg(Sql::q(historyTable + QStringLiteral("_打印日期")), Sql::q(historyTable), dateExpression(db));
}

// The date of every record kept in an index, so that a listing reads only the rows of its dates
// instead of working the date out of every stored record. The index adds no column; it is made the
// first time a table is listed. A store that cannot be written to is listed without it.
void ensureDateIndex(const QSqlDatabase& db, const QString& historyTable) {
    QSqlQuery create(db);
    create.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS ") + dateIndexTarget(db, historyTable));
}
} // namespace

QString historyDateIndexDefinition(const QSqlDatabase& db, const QString& historyTable) {
    return QStringLiteral("CREATE INDEX ") + dateIndexTarget(db, historyTable);
}

QList<QStringList> HistoryListing::allRows() const {
    QList<QStringList> all;
    all.reserve(rows.size() + totals.size() + 1);
    all << header;
    all += rows;
    all += totals;
    return all;
}

int ListHistory(const QString& historyTable, const QString& itemTable, const QString& fromDate,
                const QString& toDate, HistoryListing& list) {
    list.clear();
    if (historyTable.isEmpty())
        return 0;
    const auto from = QueryDates::dateNumber(fromDate);
    const auto to = QueryDates::dateNumber(toDate);
    if (!from || !to)
        throw HistoryValueError(QStringLiteral("打印日期不完整，请输入八位数字的日期。"));

    QSqlDatabase db = Database::get(Db::Bill);
    const QHash<QString, ItemInfo> items = readItems(db, itemTable);
    ensureDateIndex(db, historyTable);

    QSqlQuery q = Sql::exec(db,
                            Sql::selectAll(db, historyTable) +
                                QStringLiteral(" WHERE %1 BETWEEN ? AND ?").arg(dateExpression(db)) +
                                Sql::naturalOrder(),
                            {*from, *to});
    const QSqlRecord record = q.record();
    const int numberField = record.indexOf(kNumber);
    const int dateField = record.indexOf(kDate);
    const int currencyField = record.indexOf(kCurrency);

    std::vector<Column> columns;
    for (int f = 0; f < record.count(); ++f) {
        const QString name = record.fieldName(f);
        if (name == kNumber || name == kDate || name == kCurrency)
            continue;
        Column c;
        c.name = name;
        c.field = f;
        c.item = items.value(name);
        const int t = c.item.type;
        c.amountSum = c.item.statistics && (t == 7 || t == 8 || t == 9);
        c.integerSum = c.item.statistics && (t == 11 || t == 17);
        columns.push_back(std::move(c));
    }

    QStringList header{QStringLiteral("序号"), kDate};
    for (const Column& c : columns)
        header << c.name;

    const QHash<qint64, VoidedRecords::Mark> voids = VoidedRecords::of(historyTable);

    int listed = 0;
    while (q.next()) {
        if (listed == 0)
            list.header = header;
        const qint64 number = numberField >= 0 ? q.value(numberField).toLongLong() : 0;
        const int currency = currencyField >= 0 ? q.value(currencyField).toInt() : 0;
        QStringList row;
        row.reserve(int(columns.size()) + 2);
        row << QString::number(number) << (dateField >= 0 ? q.value(dateField).toString() : QString());
        for (const Column& c : columns)
            // The stored currency is 0 whenever the bill offers no choice, so the currency word
            // can always be shown.
            row << FormatListValue(ValueList::History, itemType(c.item.type), q.value(c.field).toString(),
                                   c.item.printSuffix, currency, true);
        list.rows << row;
        list.numbers << number;
        const auto voided = voids.constFind(number);
        list.voidReasons << (voided != voids.cend() ? voided->reason : QString());
        ++listed;
        if (voided != voids.cend())
            continue; // a spoiled bill counts for nothing

        for (Column& c : columns) {
            if (!c.amountSum && !c.integerSum)
                continue;
            const QString value = q.value(c.field).toString();
            if (value.isEmpty())
                continue;
            if (c.amountSum) {
                if (currency < 0 || currency >= CurrencyTable::Count)
                    throw HistoryValueError(
                        QStringLiteral("序号为 %1 的记录的货币种类“%2”不正确，无法合计“%3”。"
                                       "已列出的记录没有合计。")
                            .arg(number)
                            .arg(currency)
                            .arg(c.name));
                if (!c.sums[size_t(currency)].add(value))
                    throw HistoryValueError(
                        QStringLiteral("序号为 %1 的记录中，“%2”的值“%3”不是数字，无法合计。"
                                       "已列出的记录没有合计。")
                            .arg(number)
                            .arg(c.name, value));
            } else if (!c.integer.add(value, true)) {
                throw HistoryValueError(QStringLiteral("序号为 %1 的记录中，“%2”的值“%3”不是整数，无法合计。"
                                                       "已列出的记录没有合计。")
                                            .arg(number)
                                            .arg(c.name, value));
            }
        }
    }
    if (listed == 0)
        return 0;
    addVoidColumns(list);

    // Total rows: as many as the most currencies summed in one amount column, at least one when a
    // whole-number sum is not zero.
    int totalRows = 0;
    bool integerTotal = false;
    for (const Column& c : columns) {
        if (c.amountSum) {
            int n = 0;
            for (const DecimalSum& s : c.sums)
                n += s.isZero() ? 0 : 1;
            totalRows = std::max(totalRows, n);
        }
        if (c.integerSum && !c.integer.isZero())
            integerTotal = true;
    }
    if (totalRows == 0 && integerTotal)
        totalRows = 1;
    if (totalRows == 0)
        return listed;

    list.totals = QList<QStringList>(totalRows, QStringList(list.header.size()));
    list.totals[0][0] = QStringLiteral("合计");
    for (size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        const qsizetype col = qsizetype(i) + 2;
        if (c.amountSum) {
            int r = 0;
            for (int currency = 0; currency < CurrencyTable::Count; ++currency)
                if (!c.sums[size_t(currency)].isZero())
                    list.totals[r++][col] = TotalAmountText(currency, c.sums[size_t(currency)]);
        } else if (c.integerSum) {
            list.totals[0][col] = c.integer.text();
        }
    }
    return listed;
}

std::optional<HistoryRecord> ReadHistoryRecord(const QString& historyTable, qint64 number) {
    const QSqlDatabase db = Database::get(Db::Bill);
    QSqlQuery q =
        Sql::exec(db, Sql::selectAll(db, historyTable) + QStringLiteral(" WHERE %1 = ?").arg(Sql::q(kNumber)),
                  {number});
    if (!q.next())
        return std::nullopt;
    HistoryRecord r;
    const QSqlRecord fields = q.record();
    for (int f = 0; f < fields.count(); ++f) {
        const QString name = fields.fieldName(f);
        if (name == kCurrency)
            r.currency = q.value(f).toInt();
        else if (name != kNumber && name != kDate)
            r.values.insert(name, q.value(f).toString());
    }
    return r;
}

void DeleteHistoryRows(const QString& historyTable, const QList<qint64>& numbers) {
    if (historyTable.isEmpty() || numbers.isEmpty())
        return;
    QSqlDatabase db = Database::get(Db::Bill);
    Sql::Transaction tx(db);
    const QString sql =
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(Sql::q(historyTable), Sql::q(kNumber));
    QSqlQuery del(db);
    if (!del.prepare(sql))
        throw StoreError(QStringLiteral("数据库错误：%1\n%2").arg(del.lastError().text(), sql));
    for (qint64 n : numbers) {
        del.bindValue(0, n);
        if (!del.exec())
            throw StoreError(QStringLiteral("数据库错误：%1\n%2").arg(del.lastError().text(), sql));
    }
    VoidedRecords::unmark(historyTable, numbers);
    tx.commit();
}

QString TotalAmountText(int currency, const DecimalSum& sum) {
    QString amount = sum.amountText();
    QString minus;
    if (amount.startsWith(QLatin1Char('-'))) {
        minus = QStringLiteral("-");
        amount.remove(0, 1);
    }
    QString figures = ToFigureAmount(amount);
    if (figures.isEmpty())
        figures = QStringLiteral("0.00");
    return CurrencyTable::sign(currency) + minus + figures;
}
