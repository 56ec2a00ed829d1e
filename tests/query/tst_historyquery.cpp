#include "query/DecimalSum.h"
#include "query/HistoryQuery.h"
#include "query/QueryDates.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QTest>

#include <memory>

namespace {
struct Printed {
    QString date; // YYYY-MM-DD
    int currency = 0;
    QString amount;
    QString quantity;
};

QString printDate(const QString& isoDate) {
    const QDate d = QDate::fromString(isoDate, Qt::ISODate);
    return d.toString(QStringLiteral("yyyy年MM月dd日")) + QStringLiteral("    10:20:30");
}
} // namespace

class TestHistoryQuery : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        BillStore store;
        store.ensureBillTypeTable();
        m_bill = addFixtureBill(store, 0, QStringLiteral("转帐支票"),
                                {{QStringLiteral("金额"), 8, true, true},
                                 {QStringLiteral("数量"), 17, false, true},
                                 {QStringLiteral("收款人"), 0, true, false},
                                 {QStringLiteral("大写"), 7, false, false}});
        m_next = 1;
    }
    void cleanup() { m_folder.reset(); }

    void dateRange_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("across the year end")
            << "20141215"
            << "20150110"
            << QStringList{"2014-11-30", "2014-12-14", "2014-12-20", "2015-01-05", "2015-01-11", "2015-02-01"}
            << QStringList{"2014-12-20", "2015-01-05"};
        QTest::newRow("across months")
            << "20150105"
            << "20150302" << QStringList{"2015-02-10", "2015-03-20"} << QStringList{"2015-02-10"};
        QTest::newRow("both ends included")
            << "20150105"
            << "20150105" << QStringList{"2015-01-04", "2015-01-05", "2015-01-06"}
            << QStringList{"2015-01-05"};
        QTest::newRow("from after to lists nothing")
            << "20150301"
            << "20150101" << QStringList{"2015-02-01"} << QStringList{};
    }

    void dateRange() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, printed);
        QFETCH(QStringList, listed);
        for (const QString& d : printed)
            print({d, 0, "1", ""});
        HistoryListing list;
        QCOMPARE(ListHistory(m_bill.historyTable, m_bill.itemTable, from, to, list), listed.size());
        QStringList dates;
        for (const QStringList& row : list.rows)
            dates << row.at(1);
        QStringList expected;
        for (const QString& d : listed)
            expected << printDate(d);
        QCOMPARE(dates, expected);
        if (listed.isEmpty())
            QVERIFY(list.header.isEmpty());
    }

    void listingAndTotals() {
        print({"2015-01-05", 0, "100.00", "3"});
        print({"2015-01-06", 1, "20", ""});
        print({"2015-01-07", 0, "250.5", "4"});
        HistoryListing list;
        QCOMPARE(ListHistory(m_bill.historyTable, m_bill.itemTable, "20150101", "20150131", list), 3);
        // "货币种类" is not shown; each value is converted for the history list with its row's currency.
        QCOMPARE(list.header, (QStringList{"序号", "打印日期", "金额", "数量", "收款人"}));
        QCOMPARE(list.rows.at(0), (QStringList{"1", printDate("2015-01-05"), "￥100.00", "3", "收款人1"}));
        QCOMPARE(list.rows.at(1), (QStringList{"2", printDate("2015-01-06"), "US$20.00", "", "收款人2"}));
        QCOMPARE(list.numbers, (QList<qint64>{1, 2, 3}));
        QCOMPARE(list.totals,
                 (QList<QStringList>{{"合计", "", "￥350.50", "7", ""}, {"", "", "US$20.00", "", ""}}));
    }

    void quantityTotalAlone() {
        print({"2015-01-05", 0, "", "3"});
        print({"2015-01-06", 0, "", "4"});
        HistoryListing list;
        ListHistory(m_bill.historyTable, m_bill.itemTable, "20150101", "20150131", list);
        QCOMPARE(list.totals, (QList<QStringList>{{"合计", "", "", "7", ""}}));
    }

    void totalsAreExact() {
        // Single precision would lose the cents of these.
        print({"2015-01-05", 0, "12345678901.23", ""});
        print({"2015-01-06", 0, ".01", ""});
        print({"2015-01-07", 0, "99999999999.99", ""});
        HistoryListing list;
        ListHistory(m_bill.historyTable, m_bill.itemTable, "20150101", "20150131", list);
        QCOMPARE(list.totals.at(0).at(2), QStringLiteral("￥112,345,678,901.23"));
    }

    void nothingSummedGivesNoTotalRow() {
        print({"2015-01-05", 0, "", ""});
        HistoryListing list;
        QCOMPARE(ListHistory(m_bill.historyTable, m_bill.itemTable, "20150101", "20150131", list), 1);
        QVERIFY(list.totals.isEmpty());
    }

    void valueThatIsNotANumberStopsListing_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("column");
        QTest::newRow("amount") << "12元"
                                << "1"
                                << "金额";
        QTest::newRow("fractional quantity") << "1"
                                             << "1.5"
                                             << "数量";
    }

    void valueThatIsNotANumberStopsListing() {
        QFETCH(QString, amount);
        QFETCH(QString, quantity);
        QFETCH(QString, column);
        print({"2015-01-05", 0, "10", "1"});
        print({"2015-01-06", 0, amount, quantity});
        print({"2015-01-07", 0, "10", "1"});
        HistoryListing list;
        try {
            ListHistory(m_bill.historyTable, m_bill.itemTable, "20150101", "20150131", list);
            QFAIL("no error");
        } catch (const HistoryValueError& e) {
            QVERIFY2(e.message().contains(column) && e.message().contains(QStringLiteral("序号为 2 ")),
                     qPrintable(e.message()));
        }
        QCOMPARE(list.rows.size(), 2);
        QVERIFY(list.totals.isEmpty());
    }

    void deletingPartOfTheHistory() {
        print({"2015-01-05", 0, "1", ""});
        print({"2015-02-05", 0, "2", ""});
        print({"2015-02-06", 0, "3", ""});
        print({"2015-03-05", 0, "4", ""});
        HistoryListing list;
        ListHistory(m_bill.historyTable, m_bill.itemTable, "20150201", "20150228", list);
        DeleteHistoryRows(m_bill.historyTable, list.numbers);
        ListHistory(m_bill.historyTable, m_bill.itemTable, "20000101", "20991231", list);
        QCOMPARE(list.numbers, (QList<qint64>{1, 4}));
    }

    void billWithoutHistoryTableListsNothing() {
        HistoryListing list;
        QCOMPARE(ListHistory(QString(), QString(), "20150101", "20150131", list), 0);
        QVERIFY(list.allRows().at(0).isEmpty());
    }

    void amountText_data() {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("text");
        QTest::newRow("shortest") << QStringList{"100.00", "250.5"} << "350.5";
        QTest::newRow("whole") << QStringList{"0010", "+5"} << "15";
        QTest::newRow("third decimal rounds up") << QStringList{"1.005"} << "1.01";
        QTest::newRow("third decimal cut") << QStringList{"1.004"} << "1.00";
        QTest::newRow("negative") << QStringList{"5", "-7.5"} << "-2.5";
    }

    void amountText() {
        QFETCH(QStringList, values);
        QFETCH(QString, text);
        DecimalSum sum;
        for (const QString& v : values)
            QVERIFY(sum.add(v));
        QCOMPARE(sum.amountText(), text);
    }

    void notNumbers_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("wholeOnly");
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("two points") << "1.2.3" << false;
        QTest::newRow("sign only") << "-" << false;
        QTest::newRow("point only") << "." << false;
        QTest::newRow("exponent") << "1e5" << false;
        QTest::newRow("fraction where whole wanted") << "1.5" << true;
        QTest::newRow("too many digits") << "123456789012345678901" << false;
    }

    void notNumbers() {
        QFETCH(QString, value);
        QFETCH(bool, wholeOnly);
        DecimalSum sum;
        QVERIFY(!sum.add(value, wholeOnly));
        QVERIFY(sum.isZero());
    }

    // The listing reads through an index of the print date; the history table keeps its columns,
    // records printed later are found through the index too, and an irregular stored date is
    // still placed by the same reading of year, month and day.
    void dateIndexKeepsTableAndResults() {
        SKIP_ON_SHARED_STORE();
        QSqlDatabase db = Database::get(Db::Bill);
        const QStringList columns = Sql::columnNames(db, m_bill.historyTable);
        print({"2015-06-05", 0, "1", ""});
        HistoryListing list;
        QCOMPARE(ListHistory(m_bill.historyTable, m_bill.itemTable, "20150601", "20150630", list), 1);
        QCOMPARE(Sql::scalar(db, "SELECT count(*) FROM sqlite_master WHERE type='index' AND tbl_name=?",
                             {m_bill.historyTable})
                     .toInt(),
                 1);
        QCOMPARE(Sql::columnNames(db, m_bill.historyTable), columns);
        print({"2015-06-30", 0, "2", ""});
        print({"2015-07-01", 0, "3", ""});
        Sql::insertRow(db, m_bill.historyTable, {"HistoryNumber", "打印日期", "货币种类", "金额"},
                       {m_next++, QStringLiteral("2015年6月9日 8:00:00"), 0, "4"});
        QCOMPARE(ListHistory(m_bill.historyTable, m_bill.itemTable, "20150601", "20150630", list), 3);
        QCOMPARE(list.numbers, (QList<qint64>{1, 2, 4}));
    }

    void dateNormalisation_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("month 13") << "20151315"
                                  << "20151215";
        QTest::newRow("month 00") << "20150015"
                                  << "20150115";
        QTest::newRow("year 1999") << "19990615"
                                   << "20000615";
        QTest::newRow("day 32 and 00") << "20150632"
                                       << "20150631";
        QTest::newRow("day 00") << "20150600"
                                << "20150601";
        QTest::newRow("valid unchanged") << "20150228"
                                         << "20150228";
        QTest::newRow("blank stays") << "2015 228"
                                     << "";
    }

    void dateNormalisation() {
        QFETCH(QString, typed);
        QFETCH(QString, normalised);
        QCOMPARE(QueryDates::normalised(typed).value_or(QString()), normalised);
        QCOMPARE(QueryDates::digits(QueryDates::masked(typed)), typed);
    }

private:
    void print(const Printed& p) {
        const int n = m_next++;
        Sql::insertRow(
            Database::get(Db::Bill), m_bill.historyTable,
            {"HistoryNumber", "打印日期", "货币种类", "金额", "数量", "收款人"},
            {n, printDate(p.date), p.currency, p.amount, p.quantity, QStringLiteral("收款人%1").arg(n)});
    }

    std::unique_ptr<TempAppFolder> m_folder;
    MainItemFlag m_bill;
    int m_next = 1;
};

QTEST_GUILESS_MAIN(TestHistoryQuery)
#include "tst_historyquery.moc"
