// Batch printing: columns matched to items, rows reviewed as they will print, totals, and runs
// that print row by row as 打  印 does and can go on after an interruption.
#include "issuing/BatchPrint.h"
#include "issuing/BatchRun.h"
#include "issuing/PreBillTable.h"
#include "issuing/PrintJob.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/SpreadsheetReader.h"
#include "reference/ReferenceTable.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/BatchFixture.h"
#include "support/ScriptedPrinting.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(BatchRun::State)

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

const QStringList kHeader{u8("金额"), u8("付款单位"), u8("币种"), u8("备注")};
const ColumnMapping kMapping{{u8("金额"), u8("金额")}, {u8("收款人"), u8("付款单位")}};
} // namespace

class TestBatchPrint : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempAppFolder> m_app;
    QTemporaryDir m_pdfs;
    MainItemFlag m_entry;

    BatchBill bill(bool currencyChoice = true) {
        Sql::exec(Database::get(Db::Bill),
                  u8("UPDATE %1 SET \"币种选择\" = ?").arg(Sql::q(m_entry.typeTable)),
                  {currencyChoice ? 1 : 0});
        return BatchBill::load(m_entry, 96);
    }
    QStringList history() const { return historyNumbers(m_entry); }
    QString storedNumber() const {
        QSqlQuery q =
            Sql::exec(Database::get(Db::Bill), u8("SELECT \"编号\" FROM %1").arg(Sql::q(m_entry.autoTable)));
        return q.next() ? q.value(0).toString() : QString();
    }
    static PrintJobSetup setupFor(const BatchBill& b) {
        return pageSetupFor(CheckPrintDefine::fromPage(b.blank.page), QStringLiteral("PDF"));
    }
    static BatchRun::State runToEnd(BatchRun& run) {
        while (run.printNext() == BatchRun::State::Running) {
        }
        return run.state();
    }
    static QList<QStringList> rowsOf(int n) {
        QList<QStringList> rows;
        for (int i = 0; i < n; ++i)
            rows << QStringList{QStringLiteral("%1.10").arg(i + 1), QStringLiteral("a01"), QString(),
                                QString()};
        return rows;
    }

private slots:
    void initTestCase() { Fonts::installSubstitutions(); }
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        Settings::ensureExists();
        m_entry = addBatchFixtureBill();
        ReferenceTable units(u8("业务单位"));
        const QStringList columns{u8("单位名称"), u8("银行帐号"), u8("识别码")};
        units.append(columns, {u8("乙公司"), QStringLiteral("6223"), QStringLiteral("dup")});
        units.append(columns, {u8("丙公司"), QStringLiteral("6224"), QStringLiteral("dup")});
        Printing::install(std::make_unique<PdfPrinting>(m_pdfs.path()));
    }
    void cleanup() { m_app.reset(); }

    // Exact names match at once, a remembered choice is offered again when its column is there,
    // and an item without a column keeps its default.
    void columnsMatchItems() {
        const BatchBill b = bill();
        QCOMPARE(MappableNames(b.blank), (QStringList{u8("金额"), u8("收款人"), u8("编号"), u8("币种")}));
        ColumnMapping first = MatchColumns(b.blank, kHeader, {});
        QCOMPARE(first, (ColumnMapping{{u8("金额"), u8("金额")}, {u8("币种"), u8("币种")}}));
        first.insert(u8("收款人"), u8("付款单位"));
        QVERIFY(RememberMapping(m_entry, first));
        QCOMPARE(RememberedMapping(m_entry), first);
        QCOMPARE(MatchColumns(b.blank, kHeader, RememberedMapping(m_entry)), first);
        // A file without that column: the item stays unmatched.
        QCOMPARE(MatchColumns(b.blank, {u8("金额")}, RememberedMapping(m_entry)),
                 (ColumnMapping{{u8("金额"), u8("金额")}}));
        // Names with the characters the settings file gives a meaning.
        ColumnMapping odd{{u8("金额"), u8("金额=元&角%")}};
        QVERIFY(RememberMapping(m_entry, odd));
        QCOMPARE(RememberedMapping(m_entry), odd);

        // The unmatched number goes on from the store; the payee is empty.
        const QList<BatchRow> rows = ReviewRows(b, {u8("金额")}, {{QStringLiteral("5")}}, {2},
                                                MatchColumns(b.blank, {u8("金额")}, {}));
        QCOMPARE(rows.first().filled.bill.valueOf(u8("编号")), QStringLiteral("0100"));
        QCOMPARE(rows.first().filled.bill.valueOf(u8("收款人")), QString());
    }

    // Each row as it will print, or the reason it cannot; numbers advance over the printable rows.
    void reviewShowsTextsOrErrors() {
        const BatchBill b = bill();
        ColumnMapping mapping = MatchColumns(b.blank, kHeader, {});
        mapping.insert(u8("收款人"), u8("付款单位"));
        const QList<QStringList> data{
            {QStringLiteral("1234.5"), QStringLiteral("a01"), u8("人民币"), QString()},
            {QStringLiteral("12.345"), QStringLiteral("a01"), QString(), QString()},
            {QStringLiteral("7"), QStringLiteral("zzz"), QString(), QString()},
            {QStringLiteral("8"), QStringLiteral("dup"), QString(), QString()},
            {QStringLiteral("9"), QStringLiteral("a01"), u8("美元"), QString()},
            {QStringLiteral("10"), QStringLiteral("a01"), u8("卢布"), QString()},
        };
        const QList<BatchRow> rows = ReviewRows(b, kHeader, data, {2, 3, 4, 5, 6, 7}, mapping);
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[0].state, BatchRow::State::Ready);
        QCOMPARE(rows[0].texts, (QStringList{u8("￥1,234.50"), u8("甲公司"), QStringLiteral("0100")}));
        QVERIFY(rows[0].chosen);
        for (int r : {1, 2, 3, 5}) {
            QCOMPARE(rows[r].state, BatchRow::State::Error);
            QVERIFY(!rows[r].chosen);
            QVERIFY2(!rows[r].message.isEmpty(), qPrintable(QString::number(r)));
        }
        QVERIFY2(rows[1].message.contains(u8("“金额”")), qPrintable(rows[1].message));
        QVERIFY2(rows[2].message.contains(u8("“收款人”")), qPrintable(rows[2].message));
        QVERIFY2(rows[3].message.contains(u8("“收款人”")), qPrintable(rows[3].message));
        QVERIFY2(rows[5].message.contains(u8("“币种”")), qPrintable(rows[5].message));
        QCOMPARE(rows[4].filled.currency, 1);
        QCOMPARE(rows[4].texts.value(2), QStringLiteral("0101")); // the next printable row's number
    }

    // Totals of the chosen rows per currency, to the last digit.
    void totalsAreExact() {
        const BatchBill b = bill();
        const ColumnMapping mapping = MatchColumns(b.blank, kHeader, {});
        const QList<QStringList> data{
            {QStringLiteral("0.1"), QString(), QString(), QString()},
            {QStringLiteral("0.2"), QString(), QString(), QString()},
            {QStringLiteral("99999999999.99"), QString(), QString(), QString()},
            {QStringLiteral("5"), QString(), u8("美元"), QString()},
            {QStringLiteral("1000"), QString(), QString(), QString()},
        };
        QList<BatchRow> rows = ReviewRows(b, kHeader, data, {}, mapping);
        rows[4].chosen = false;
        const QList<BatchTotal> totals = ChosenTotals(b, rows);
        QCOMPARE(totals.size(), 1);
        QCOMPARE(totals[0].item, u8("金额"));
        QCOMPARE(totals[0].perCurrency, (QStringList{u8("￥100,000,000,000.29"), u8("US$5.00")}));
    }

    // A refusal at row 7 stops the run there: rows 1-6 printed and recorded with consecutive
    // numbers and the store's next number after them, 7 onward neither; a run of the rows still
    // chosen prints 7 onward, numbers still consecutive; a printed row goes in again only when
    // asked for.
    void refusalStopsAndTheRunGoesOn() {
        const BatchBill b = bill();
        QList<BatchRow> rows = ReviewRows(b, kHeader, rowsOf(10), {}, kMapping);
        auto* printing = new ScriptedPrinting(m_pdfs.path());
        printing->refused = {7};
        Printing::install(std::unique_ptr<Printing>(printing));

        BatchRun first(b, kHeader, kMapping, setupFor(b), rows, BatchRun::rowsToPrint(rows, {}));
        QCOMPARE(runToEnd(first), BatchRun::State::Failed);
        QCOMPARE(first.total(), 10);
        QCOMPARE(first.done(), 6);
        QCOMPARE(first.lastRow(), 6);
        QCOMPARE(first.failure().kind, PrintOutcome::NotPrinted);
        QCOMPARE(first.failure().message, u8("打印机缺纸"));
        QCOMPARE(history(), (QStringList{"0100", "0101", "0102", "0103", "0104", "0105"}));
        QCOMPARE(storedNumber(), QStringLiteral("0106"));
        for (int r = 0; r < 6; ++r) {
            QCOMPARE(rows[r].state, BatchRow::State::Printed);
            QCOMPARE(rows[r].numbers, QStringLiteral("010%1").arg(r));
            QVERIFY(!rows[r].chosen);
        }
        QCOMPARE(rows[6].state, BatchRow::State::Failed);
        QCOMPARE(rows[6].message, u8("打印机缺纸"));
        QVERIFY(rows[6].chosen);
        QCOMPARE(rows[7].state, BatchRow::State::Ready);
        QCOMPARE(PrintedLines(rows), (QStringList{"2", "3", "4", "5", "6", "7"}));
        // The totals count what printed and what is still chosen.
        QCOMPARE(ChosenTotals(b, rows).first().perCurrency, QStringList{u8("￥56.00")});

        // 继续
        BatchRun second(b, kHeader, kMapping, setupFor(b), rows, BatchRun::rowsToPrint(rows, {}));
        QCOMPARE(second.total(), 4);
        QCOMPARE(runToEnd(second), BatchRun::State::Finished);
        QCOMPARE(history().size(), 10);
        QCOMPARE(history().last(), QStringLiteral("0109"));
        QCOMPARE(rows[6].numbers, QStringLiteral("0106"));
        for (const BatchRow& row : std::as_const(rows))
            QCOMPARE(row.state, BatchRow::State::Printed);

        // Printed rows chosen again: only the one the operator says yes to goes in.
        rows[0].chosen = rows[1].chosen = true;
        const QList<int> again =
            BatchRun::rowsToPrint(rows, [](const BatchRow& row) { return row.line == 3; });
        QCOMPARE(again, QList<int>{1});
        QVERIFY(!rows[0].chosen);
        QVERIFY(BatchRun::rowsToPrint(rows, {}).isEmpty());
    }

    // 暂停 or 停止 pressed while a bill prints: that bill prints and is recorded, the run ends
    // before the next one and the rest stay chosen for 继续.
    void pauseAndStopEndTheRunAfterTheCurrentBill_data() {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<BatchRun::State>("ending");
        QTest::newRow("暂停") << false << BatchRun::State::Paused;
        QTest::newRow("停止") << true << BatchRun::State::Stopped;
    }
    void pauseAndStopEndTheRunAfterTheCurrentBill() {
        QFETCH(bool, stop);
        QFETCH(BatchRun::State, ending);
        const BatchBill b = bill();
        QList<BatchRow> rows = ReviewRows(b, kHeader, rowsOf(5), {}, kMapping);
        auto* printing = new ScriptedPrinting(m_pdfs.path());
        Printing::install(std::unique_ptr<Printing>(printing));
        BatchRun run(b, kHeader, kMapping, setupFor(b), rows, BatchRun::rowsToPrint(rows, {}));
        QList<int> started;
        run.rowStarting = [&](int row) { started << row; };
        printing->onJob = [&](int job) {
            if (job == 2)
                stop ? run.stop() : run.pause();
        };
        QCOMPARE(runToEnd(run), ending);
        QCOMPARE(started, (QList<int>{0, 1}));
        QCOMPARE(run.done(), 2);
        QCOMPARE(history(), (QStringList{"0100", "0101"}));
        QCOMPARE(storedNumber(), QStringLiteral("0102"));
        QCOMPARE(rows[1].state, BatchRow::State::Printed);
        for (int r = 2; r < 5; ++r) {
            QCOMPARE(rows[r].state, BatchRow::State::Ready);
            QVERIFY(rows[r].chosen);
        }
        // An ended run prints nothing more.
        QCOMPARE(run.printNext(), ending);
        QCOMPARE(run.lastRow(), -1);
        QCOMPARE(history().size(), 2);
    }

    // Kept as pre-bills instead; and the review with its marks and the totals of the rows printed
    // and still chosen, for the accountant.
    void preBillsAndTheExportedReview() {
        const BatchBill b = bill();
        const ColumnMapping mapping{{u8("金额"), u8("金额")}, {u8("收款人"), u8("付款单位")}};
        QList<BatchRow> rows = ReviewRows(b, kHeader, rowsOf(3), {2, 3, 4}, mapping);
        CheckPrintDefine def = CheckPrintDefine::fromPage(b.blank.page);
        QCOMPARE(PrintBatchRow(b, kHeader, mapping, rows[0], pageSetupFor(def, QStringLiteral("PDF"))).kind,
                 PrintOutcome::Recorded);
        PreBillBatchRow(b, rows[1]);
        QCOMPARE(rows[1].state, BatchRow::State::PreBilled);
        const QList<PreBill> kept = PreBillTable(m_entry.preBillTable).renumberAndRead();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept.first().values.value(u8("金额")), QStringLiteral("2.10"));

        const QString path = m_pdfs.filePath(QStringLiteral("核对表.xlsx"));
        ExportReview(path, b, rows);
        const QList<QStringList> sheet = SpreadsheetReader::readActiveSheet(path).rows;
        QCOMPARE(sheet.value(0).mid(0, 5),
                 (QStringList{u8("行号"), u8("选择"), u8("状态"), u8("编号"), u8("说明")}));
        QCOMPARE(sheet.value(1).mid(0, 4),
                 (QStringList{QStringLiteral("2"), QString(), u8("已打印"), QStringLiteral("0100")}));
        QCOMPARE(sheet.value(2).value(2), u8("已预开票"));
        QCOMPARE(sheet.value(3).mid(0, 3), (QStringList{QStringLiteral("4"), u8("√"), u8("可打印")}));
        QCOMPARE(sheet.value(5).mid(0, 6),
                 (QStringList{u8("合计"), QString(), QString(), QString(), u8("金额"), u8("￥4.20")}));
    }
};

QTEST_MAIN(TestBatchPrint)
#include "tst_BatchPrint.moc"
