#include "exchange/BackupFixture.h"
#include "exchange/LoadBackUpThread.h"
#include "exchange/SaveBackUpThread.h"
#include "issuing/FilledBill.h"
#include "issuing/PrintRecords.h"
#include "query/HistoryQuery.h"
#include "store/VoidedRecords.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace backupfixture;

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

const QDateTime kMoment(QDate(2015, 9, 8), QTime(14, 5, 9));

// A bill with a summed amount and an automatic number, printed `count` times through the real
// print path, amounts 100, 200, 300 ...
struct PrintedBill {
    MainItemFlag entry;
    FilledBill bill;
};

PrintedBill printedBill(int count) {
    BillStore store;
    store.ensureBillTypeTable();
    fillWorkingTemplate(u8("转帐支票"), {{u8("金额"), 8, true, true}, {u8("编号"), 16, true, false}});
    PrintedBill b;
    b.entry = store.createBillFromWorkingTemplate(0, u8("转帐支票"));
    store.changeTypeCount(0, 1);
    store.loadWorkingTemplate(b.entry);
    b.bill = LoadWorkingBill(96);
    b.bill.values[b.bill.indexOf(u8("编号"))] = QStringLiteral("0001");
    for (int i = 1; i <= count; ++i) {
        b.bill.values[b.bill.indexOf(u8("金额"))] = QString::number(i * 100);
        PrintAndRecord(b.entry, b.bill, 0, kMoment, [](QString*) { return true; });
    }
    return b;
}

HistoryListing listing(const MainItemFlag& e) {
    HistoryListing list;
    ListHistory(e.historyTable, e.itemTable, QStringLiteral("20150101"), QStringLiteral("20151231"), list);
    return list;
}

QString amountTotal(const HistoryListing& list) {
    return list.totals.isEmpty() ? QString() : list.totals.constFirst().at(list.header.indexOf(u8("金额")));
}

int historyRows(const MainItemFlag& e) {
    return Sql::rowCount(bill(), e.historyTable);
}
} // namespace

class TestVoidedRecords : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempAppFolder> m_app;

private slots:
    void init() { m_app = std::make_unique<TempAppFolder>(); }
    void cleanup() { m_app.reset(); }

    void voidedRecordsStayListedOutOfTheTotals() {
        const PrintedBill b = printedBill(3);
        HistoryListing before = listing(b.entry);
        QCOMPARE(before.header.last(), u8("编号"));
        const QString all = amountTotal(before);

        VoidedRecords::mark(b.entry.historyTable, {2}, u8("卡纸"), kMoment);
        HistoryListing list = listing(b.entry);
        QCOMPARE(list.rows.size(), 3);
        QVERIFY(list.isVoided(1) && !list.isVoided(0) && !list.isVoided(2));
        QCOMPARE(list.header.mid(list.header.size() - 2), (QStringList{u8("作废"), u8("作废原因")}));
        QCOMPARE(list.rows.at(1).mid(list.header.size() - 2), (QStringList{u8("作废"), u8("卡纸")}));
        QCOMPARE(list.rows.at(0).last(), QString());
        QVERIFY(amountTotal(list) != all);
        QVERIFY2(amountTotal(list).contains(QStringLiteral("400.00")), qPrintable(amountTotal(list)));
        // What the export writes is the list with its columns and totals.
        QCOMPARE(list.allRows().at(2).at(list.header.size() - 1), u8("卡纸"));

        // A reason is required; voiding again keeps the first mark.
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 VoidedRecords::mark(b.entry.historyTable, {1}, u8("  "), kMoment));
        VoidedRecords::mark(b.entry.historyTable, {2}, u8("又一次"), kMoment);
        QCOMPARE(VoidedRecords::of(b.entry.historyTable).value(2).reason, u8("卡纸"));

        VoidedRecords::unmark(b.entry.historyTable, {2});
        QCOMPARE(amountTotal(listing(b.entry)), all);
        QCOMPARE(listing(b.entry).header, before.header);
    }

    void voidsGoWithTheirRecordsAndBills() {
        const PrintedBill b = printedBill(3);
        VoidedRecords::mark(b.entry.historyTable, {1, 3}, u8("作废"), kMoment);
        DeleteHistoryRows(b.entry.historyTable, {3});
        QCOMPARE(VoidedRecords::of(b.entry.historyTable).keys(), QList<qint64>{1});
        BillStore().deleteBill(b.entry);
        QCOMPARE(Sql::rowCount(bill(), VoidedRecords::table()), 0);
    }

    void backupsCarryTheVoids() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("voids.SBF"));
        const PrintedBill b = printedBill(3);
        VoidedRecords::mark(b.entry.historyTable, {2}, u8("卡纸"), kMoment);
        SaveBackUpThread save(path, false);
        QCOMPARE(runOnThread(save), QString());

        // Into the same store: the history is appended as 4, 5, 6, and its void follows to 5.
        {
            LoadBackUpThread load(path);
            QCOMPARE(runOnThread(load), QString());
            const QHash<qint64, VoidedRecords::Mark> voids = VoidedRecords::of(b.entry.historyTable);
            QCOMPARE(voids.keys().size(), 2);
            QVERIFY(voids.contains(2) && voids.contains(5));
            QCOMPARE(voids.value(5).reason, u8("卡纸"));
        }
        // Into an empty store.
        TempAppFolder other;
        BillStore store;
        store.ensureBillTypeTable();
        LoadBackUpThread load(path);
        QCOMPARE(runOnThread(load), QString());
        const MainItemFlag copy = store.allBillEntries().constFirst();
        QCOMPARE(VoidedRecords::of(copy.historyTable).keys(), QList<qint64>{2});
    }

    void backupsWithoutVoidsStillImport() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("old.SBF"));
        printedBill(2);
        // A backup of a store from before voids.
        Sql::dropTable(bill(), VoidedRecords::table());
        SaveBackUpThread save(path, false);
        QCOMPARE(runOnThread(save), QString());
        TempAppFolder other;
        LoadBackUpThread load(path);
        QCOMPARE(runOnThread(load), QString());
        QCOMPARE(load.counts().added, 1);
        QCOMPARE(Sql::rowCount(bill(), VoidedRecords::table()), 0);
    }

    void confirmationDecidesTheRecord_data() {
        QTest::addColumn<bool>("answer");
        QTest::newRow("是") << true;
        QTest::newRow("否") << false;
    }
    void confirmationDecidesTheRecord() {
        SKIP_ON_SHARED_STORE();
        QFETCH(bool, answer);
        PrintedBill b = printedBill(0);
        const int number = b.bill.indexOf(u8("编号"));
        int asked = 0;
        PrintExtras extras;
        extras.confirm = [&] {
            ++asked;
            // While the question is open nothing is recorded yet.
            const OtherConnection looker(Database::filePath(Db::Bill));
            const int seen =
                Sql::scalar(looker.db(),
                            QStringLiteral("SELECT count(*) FROM %1").arg(Sql::q(b.entry.historyTable)))
                    .toInt();
            return seen == 0 && answer;
        };
        const PrintOutcome outcome = PrintAndRecord(
            b.entry, b.bill, 0, kMoment, [](QString*) { return true; }, extras);
        QCOMPARE(asked, 1);
        QCOMPARE(outcome.kind, answer ? PrintOutcome::Recorded : PrintOutcome::NotConfirmed);
        QCOMPARE(historyRows(b.entry), answer ? 1 : 0);
        QCOMPARE(b.bill.values.at(number), answer ? QStringLiteral("0002") : QStringLiteral("0001"));
    }

    void aProgramKilledDuringTheQuestionRecordedNothing() {
        PrintedBill b = printedBill(1);
        Database::closeThreadConnections();
        const pid_t child = fork();
        if (child == 0) {
            // The child prints and is killed while the operator is being asked.
            PrintExtras extras;
            extras.confirm = [] {
                ::kill(::getpid(), SIGKILL);
                return true;
            };
            PrintAndRecord(
                b.entry, b.bill, 0, kMoment, [](QString*) { return true; }, extras);
            ::_exit(3);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(historyRows(b.entry), 1);
        QCOMPARE(PrintAndRecord(b.entry, b.bill, 0, kMoment, [](QString*) { return true; }).kind,
                 PrintOutcome::Recorded);
        QCOMPARE(historyRows(b.entry), 2);
    }

    void aReprintRecordsTheNextNumberAndCanVoidTheOldRecord() {
        PrintedBill b = printedBill(2);
        const std::optional<HistoryRecord> old = ReadHistoryRecord(b.entry.historyTable, 1);
        QVERIFY(old);
        QCOMPARE(old->values.value(u8("金额")), QStringLiteral("100"));
        QVERIFY(!ReadHistoryRecord(b.entry.historyTable, 99));

        FilledBill again = LoadWorkingBill(96);
        for (int i = 0; i < again.count(); ++i)
            again.values[i] = old->values.value(again.items.at(i).name);
        LoadRememberedItems(b.entry.autoTable, again, Remembered::NumbersOnly);
        QCOMPARE(again.values.at(again.indexOf(u8("编号"))), QStringLiteral("0003"));
        PrintExtras extras;
        extras.alsoRecord = [&] { VoidedRecords::mark(b.entry.historyTable, {1}, u8("重打"), kMoment); };
        QCOMPARE(PrintAndRecord(
                     b.entry, again, old->currency, kMoment, [](QString*) { return true; }, extras)
                     .kind,
                 PrintOutcome::Recorded);
        const HistoryListing list = listing(b.entry);
        QCOMPARE(list.numbers, (QList<qint64>{1, 2, 3}));
        QVERIFY(list.isVoided(0));
        QCOMPARE(list.rows.at(2).at(list.header.indexOf(u8("编号"))), QStringLiteral("0003"));

        // A refused reprint voids nothing either.
        VoidedRecords::unmark(b.entry.historyTable, {1});
        PrintAndRecord(
            b.entry, again, 0, kMoment, [](QString*) { return false; }, extras);
        QVERIFY(VoidedRecords::of(b.entry.historyTable).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVoidedRecords)
#include "tst_voidedrecords.moc"
