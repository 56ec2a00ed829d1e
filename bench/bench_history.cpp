// One month of print history (5,000 records) listed from tables of three sizes (20,000, 200,000 and
// 2,000,000 records), against reading the same month's records by their row numbers.
// Run on demand: cmake --build build --target bench_history && build/bin/bench_history [repeats]

#include "BenchTable.h"
#include "query/HistoryQuery.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QCoreApplication>
#include <QDate>
#include <QSqlQuery>

#include <cstdio>

namespace {
constexpr int kMonthRecords = 5000;

void measure(int rows, int repeats) {
    TempAppFolder folder;
    BillStore store;
    store.ensureBillTypeTable();
    const MainItemFlag bill = addFixtureBill(store, 0, QStringLiteral("转帐支票"),
                                             {{QStringLiteral("金额"), 8, true, true},
                                              {QStringLiteral("大写"), 7, true, false},
                                              {QStringLiteral("数量"), 17, false, true},
                                              {QStringLiteral("收款人"), 0, true, false}});
    QSqlDatabase db = Database::get(Db::Bill);
    std::fprintf(stderr, "filling %d history records...\n", rows);
    {
        Sql::Transaction tx(db);
        QSqlQuery insert(db);
        insert.prepare(
            QStringLiteral(
                "INSERT INTO %1 (\"HistoryNumber\",\"打印日期\",\"货币种类\",\"金额\",\"大写\",\"数量\","
                "\"收款人\") VALUES (?,?,?,?,?,?,?)")
                .arg(Sql::q(bill.historyTable)));
        // June 2015 always holds kMonthRecords records, in print order after five earlier years
        // that hold the rest: the listing should cost the same whatever the size of the table.
        const int before = rows - kMonthRecords;
        for (int i = 0; i < rows; ++i) {
            const QDate d = i < before ? QDate(2010, 1, 1).addDays(int(qint64(i) * 1825 / before))
                                       : QDate(2015, 6, 1).addDays((i - before) * 30 / kMonthRecords);
            const QString amount = QStringLiteral("%1.%2").arg(i % 100000).arg(i % 100, 2, 10, QChar('0'));
            insert.addBindValue(i + 1);
            insert.addBindValue(d.toString(QStringLiteral("yyyy年MM月dd日    10:20:30")));
            insert.addBindValue(i % 3);
            insert.addBindValue(amount);
            insert.addBindValue(amount);
            insert.addBindValue(QString::number(i % 7));
            insert.addBindValue(QStringLiteral("收款人%1").arg(i));
            insert.exec();
        }
        tx.commit();
    }
    const QString june = QStringLiteral("2015年06月");
    const QVariant first =
        Sql::scalar(db,
                    QStringLiteral("SELECT min(rowid) FROM %1 WHERE substr(\"打印日期\",1,8)=?")
                        .arg(Sql::q(bill.historyTable)),
                    {june});
    const QVariant last =
        Sql::scalar(db,
                    QStringLiteral("SELECT max(rowid) FROM %1 WHERE substr(\"打印日期\",1,8)=?")
                        .arg(Sql::q(bill.historyTable)),
                    {june});

    HistoryListing list;
    int listed = 0;
    const double firstListing = bench::seconds(
        [&] { listed = ListHistory(bill.historyTable, bill.itemTable, "20150601", "20150630", list); });
    int read = 0;
    const bench::Pair pair = bench::measurePairs(
        repeats,
        [&] { listed = ListHistory(bill.historyTable, bill.itemTable, "20150601", "20150630", list); },
        [&] {
            QSqlQuery q = Sql::exec(
                db,
                QStringLiteral("SELECT * FROM %1 WHERE rowid BETWEEN ? AND ?").arg(Sql::q(bill.historyTable)),
                {first, last});
            const int columns = 7;
            read = 0;
            while (q.next()) {
                for (int c = 0; c < columns; ++c)
                    q.value(c).toString();
                ++read;
            }
        });
    std::printf("  %d records, %d listed for June (%d read by the floor); first listing %.3f s with the "
                "index built\n",
                rows, listed, read, firstListing);
    bench::printRow(QStringLiteral("one month of history, %1 records").arg(rows), pair);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    bench::printHeader("History listing against reading the month's records (medians of pairs)");
    for (int rows : {20000, 200000, 2000000})
        measure(rows, repeats);
    return 0;
}
