#include "issuing/FilledBill.h"
#include "issuing/PreBillTable.h"
#include "issuing/PrintRecords.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QSqlQuery>
#include <QtTest>

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// A bill whose working template is loaded, with its items as the filling window reads them.
struct IssuedBill {
    MainItemFlag entry;
    FilledBill bill;
};

// Items: 金额 (recorded, summed), 备注 (not recorded), 编号 (automatic number), 密码, 抬头 (fixed
// text), 旧项 (recorded but neither shown nor printed).
IssuedBill makeBill() {
    BillStore store;
    store.ensureBillTypeTable();
    fillWorkingTemplate(u8("转帐支票"), {{u8("金额"), 8, true, true},
                                         {u8("备注"), 0, false, false},
                                         {u8("编号"), 16, false, false},
                                         {u8("密码"), 15, false, false},
                                         {u8("抬头"), 20, false, false},
                                         {u8("旧项"), 0, true, false}});
    const QSqlDatabase def = Database::get(Db::Define);
    Sql::exec(
        def,
        u8("UPDATE \"基本设置项\" SET \"是否打印\" = 0, \"是否显示输入\" = 0 WHERE \"设置项目名称\" = ?"),
        {u8("旧项")});
    IssuedBill b;
    b.entry = store.createBillFromWorkingTemplate(0, u8("转帐支票"));
    store.changeTypeCount(0, 1);
    store.loadWorkingTemplate(b.entry);
    b.bill = LoadWorkingBill(96);
    return b;
}

QList<QVariantList> rows(const QString& table) {
    return Sql::allRows(Database::get(Db::Bill), table);
}

} // namespace

class TestPrintRecords : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempAppFolder> m_app;

private slots:
    void init() { m_app = std::make_unique<TempAppFolder>(); }
    void cleanup() { m_app.reset(); }

    void incrementTrailingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("next");
        QTest::newRow("keeps its width") << "0099"
                                         << "0100";
        QTest::newRow("prefix") << "A12"
                                << "A13";
        QTest::newRow("grows when it must") << "999"
                                            << "1000";
        QTest::newRow("prefix with zeros") << "No.0001"
                                           << "No.0002";
        QTest::newRow("no trailing digit") << "12-"
                                           << "12-";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("ten digits stay") << "1234567890"
                                         << "1234567890";
        QTest::newRow("nine digits") << "999999999"
                                     << "1000000000";
    }
    void incrementTrailingNumber() {
        QFETCH(QString, text);
        QFETCH(QString, next);
        QCOMPARE(IncrementTrailingNumber(text), next);
    }

    void historyRowsFollowTheLastRow() {
        IssuedBill b = makeBill();
        b.bill.values[b.bill.indexOf(u8("金额"))] = QStringLiteral("123.4");
        b.bill.values[b.bill.indexOf(u8("备注"))] = QStringLiteral("not recorded");
        const QDateTime moment(QDate(2015, 9, 8), QTime(14, 5, 9));
        QCOMPARE(PrintDateText(moment), u8("2015年09月08日    14:05:09"));

        for (int i = 0; i < 3; ++i)
            AppendHistoryRecord(b.entry.historyTable, 5, b.bill, moment);
        const QSqlDatabase db = Database::get(Db::Bill);
        QCOMPARE(Sql::columnNames(db, b.entry.historyTable),
                 (QStringList{"HistoryNumber", u8("打印日期"), u8("货币种类"), u8("金额"), u8("旧项")}));
        QList<QVariantList> his = rows(b.entry.historyTable);
        QCOMPARE(his.size(), 3);
        QCOMPARE(his.at(0).at(0).toInt(), 1);
        QCOMPARE(his.at(0).at(1).toString(), u8("2015年09月08日    14:05:09"));
        QCOMPARE(his.at(0).at(2).toInt(), 5);
        QCOMPARE(his.at(0).at(3).toString(), QStringLiteral("123.4")); // stored, not converted
        QCOMPARE(his.at(0).at(4).toString(), QString());               // not an active item

        // After deletions the numbering follows the last remaining row.
        Sql::exec(
            db,
            QStringLiteral("DELETE FROM %1 WHERE \"HistoryNumber\" = 1").arg(Sql::q(b.entry.historyTable)));
        AppendHistoryRecord(b.entry.historyTable, 0, b.bill, moment);
        Sql::exec(
            db,
            QStringLiteral("DELETE FROM %1 WHERE \"HistoryNumber\" >= 3").arg(Sql::q(b.entry.historyTable)));
        AppendHistoryRecord(b.entry.historyTable, 0, b.bill, moment);
        his = rows(b.entry.historyTable);
        QCOMPARE(his.size(), 2);
        QCOMPARE(his.at(1).at(0).toInt(), 3);
    }

    void rememberedItemsRoundTrip() {
        IssuedBill b = makeBill();
        FilledBill& bill = b.bill;
        const int number = bill.indexOf(u8("编号"));
        const int password = bill.indexOf(u8("密码"));
        const int fixed = bill.indexOf(u8("抬头"));
        QCOMPARE(RememberedItems(bill), (QList<int>{number, password, fixed}));

        LoadRememberedItems(b.entry.autoTable, bill, Remembered::All); // empty table: nothing changes
        QCOMPARE(bill.values.at(number), QString());

        bill.values[number] = QStringLiteral("0005");
        bill.values[password] = QStringLiteral("A99");
        bill.values[fixed] = u8("甲公司");
        RecordPrintedBill(b.entry, bill, 1, QDateTime(QDate(2015, 9, 8), QTime(8, 0)));
        QCOMPARE(bill.values.at(number), QStringLiteral("0006"));
        QCOMPARE(bill.values.at(password), QStringLiteral("A100"));
        QCOMPARE(bill.values.at(fixed), u8("甲公司"));
        QCOMPARE(rows(b.entry.historyTable).size(), 1);
        QCOMPARE(rows(b.entry.autoTable).size(), 1);

        FilledBill other = LoadWorkingBill(96);
        other.values[fixed] = u8("乙公司");
        LoadRememberedItems(b.entry.autoTable, other, Remembered::NumbersOnly);
        QCOMPARE(other.values.at(number), QStringLiteral("0006"));
        QCOMPARE(other.values.at(password), QStringLiteral("A100"));
        QCOMPARE(other.values.at(fixed), u8("乙公司"));
        LoadRememberedItems(b.entry.autoTable, other, Remembered::All);
        QCOMPARE(other.values.at(fixed), u8("甲公司"));

        // Saving again replaces the one row.
        SaveRememberedItems(b.entry.autoTable, other);
        QCOMPARE(rows(b.entry.autoTable).size(), 1);
    }

    void failedRecordChangesNothing() {
        IssuedBill b = makeBill();
        const int number = b.bill.indexOf(u8("编号"));
        b.bill.values[number] = QStringLiteral("7");
        MainItemFlag broken = b.entry;
        broken.autoTable = QStringLiteral("NoSuchTable");
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 RecordPrintedBill(broken, b.bill, 0, QDateTime::currentDateTime()));
        QCOMPARE(b.bill.values.at(number), QStringLiteral("7"));
        QCOMPARE(rows(b.entry.historyTable).size(), 0); // the history row went with the transaction
    }

    void onlyAcceptedJobsAreRecorded_data() {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }
    void onlyAcceptedJobsAreRecorded() {
        QFETCH(bool, accepted);
        IssuedBill b = makeBill();
        const int number = b.bill.indexOf(u8("编号"));
        b.bill.values[number] = QStringLiteral("0007");
        int historyWhileSending = -1;
        const PrintOutcome outcome =
            PrintAndRecord(b.entry, b.bill, 0, QDateTime::currentDateTime(), [&](QString* error) {
                // The records are prepared, not yet visible to anybody else.
                historyWhileSending = int(rows(b.entry.historyTable).size());
                if (!accepted)
                    *error = u8("打印机拒绝了作业");
                return accepted;
            });
        QCOMPARE(historyWhileSending, 1);
        QCOMPARE(outcome.kind, accepted ? PrintOutcome::Recorded : PrintOutcome::NotPrinted);
        QCOMPARE(rows(b.entry.historyTable).size(), accepted ? 1 : 0);
        QCOMPARE(b.bill.values.at(number), accepted ? QStringLiteral("0008") : QStringLiteral("0007"));
        if (!accepted)
            QCOMPARE(outcome.message, u8("打印机拒绝了作业"));
    }

    void aStoreThatCannotBeWrittenPrintsNothing() {
        SKIP_ON_SHARED_STORE();
        IssuedBill b = makeBill();
        Sql::exec(Database::get(Db::Bill), QStringLiteral("PRAGMA busy_timeout=50"));
        OtherConnection other(Database::filePath(Db::Bill));
        QVERIFY(other.holdWrite());
        bool sent = false;
        const PrintOutcome outcome = PrintAndRecord(b.entry, b.bill, 0, QDateTime::currentDateTime(),
                                                    [&](QString*) { return sent = true; });
        QVERIFY(!sent);
        QCOMPARE(outcome.kind, PrintOutcome::NotPrinted);
        QVERIFY2(outcome.message.contains(u8("票据未打印")), qPrintable(outcome.message));
        QVERIFY2(outcome.message.contains(u8("其他程序")), qPrintable(outcome.message));
        other.release();
        QCOMPARE(rows(b.entry.historyTable).size(), 0);
    }

    void aReaderOfTheStoreDoesNotStopPrintsOrPreBills() {
        IssuedBill b = makeBill();
        OtherConnection other(Database::filePath(Db::Bill));
        other.holdRead(BillStore::masterTable());
        const PrintOutcome outcome =
            PrintAndRecord(b.entry, b.bill, 0, QDateTime::currentDateTime(), [](QString*) { return true; });
        QCOMPARE(outcome.kind, PrintOutcome::Recorded);
        PreBillTable(b.entry.preBillTable).append(1, 0, b.bill);
        other.release();
        QCOMPARE(rows(b.entry.historyTable).size(), 1);
        QCOMPARE(rows(b.entry.preBillTable).size(), 1);
    }

    void aCommitFailingAfterTheJobIsToldAndLosesNothing() {
        SKIP_ON_SHARED_STORE();
        IssuedBill b = makeBill();
        const QSqlDatabase db = Database::get(Db::Bill);
        // In rollback-journal mode a reader that arrives during the job keeps the commit out.
        Sql::exec(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
        Sql::exec(db, QStringLiteral("PRAGMA busy_timeout=50"));
        const int number = b.bill.indexOf(u8("编号"));
        const int amount = b.bill.indexOf(u8("金额"));
        b.bill.values[number] = QStringLiteral("0007");
        b.bill.values[amount] = QStringLiteral("99.5");
        OtherConnection other(Database::filePath(Db::Bill));
        const PrintOutcome outcome =
            PrintAndRecord(b.entry, b.bill, 0, QDateTime::currentDateTime(), [&](QString*) {
                other.holdRead(BillStore::masterTable());
                return true;
            });
        QCOMPARE(outcome.kind, PrintOutcome::PrintedUnrecorded);
        QVERIFY2(outcome.message.startsWith(u8("票据已打印，但打印记录未能保存：")),
                 qPrintable(outcome.message));
        QCOMPARE(b.bill.values.at(number), QStringLiteral("0007"));
        QCOMPARE(b.bill.values.at(amount), QStringLiteral("99.5"));
        other.release();

        // The connection left the failed transaction: the next print records normally.
        QCOMPARE(rows(b.entry.historyTable).size(), 0);
        QCOMPARE(
            PrintAndRecord(b.entry, b.bill, 0, QDateTime::currentDateTime(), [](QString*) { return true; })
                .kind,
            PrintOutcome::Recorded);
        QCOMPARE(rows(b.entry.historyTable).size(), 1);
        QCOMPARE(b.bill.values.at(number), QStringLiteral("0008"));
    }

    void preBillsAreRenumberedAfterADelete() {
        IssuedBill b = makeBill();
        PreBillTable table(b.entry.preBillTable);
        const int amount = b.bill.indexOf(u8("金额"));
        for (int i = 1; i <= 3; ++i) {
            b.bill.values[amount] = QString::number(i * 10);
            table.append(i, i - 1, b.bill);
        }
        table.remove(2);
        const QList<PreBill> list = table.renumberAndRead();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(1).number, 2);
        QCOMPARE(list.at(1).currency, 2);
        QCOMPARE(list.at(1).values.value(u8("金额")), QStringLiteral("30"));
        QCOMPARE(list.at(1).values.value(u8("旧项")), QString());
        QCOMPARE(table.find(2)->values.value(u8("金额")), QStringLiteral("30"));
        QVERIFY(!table.find(3));
        table.clear();
        QVERIFY(table.renumberAndRead().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPrintRecords)
#include "tst_PrintRecords.moc"
