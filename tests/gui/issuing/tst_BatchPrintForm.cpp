// The batch window as the operator uses it: a data file chosen, columns matched, rows reviewed
// and chosen by clicking, printed with pause, stop and 继续, and a run of 50 bills through the
// CUPS queue.
#include "issuing/ui/TBatchPrintForm.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/ui/CupsPrinting.h"
#include "reference/ReferenceTable.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/BatchFixture.h"
#include "support/PdfPages.h"
#include "support/PrintingTools.h"
#include "support/ScriptedPrinting.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"
#include "support/ui/GridInput.h"
#include "support/ui/ScriptedPrompter.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

class TestBatchPrintForm : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempAppFolder> m_app;
    ScriptedPrompter* m_prompter = nullptr;
    QTemporaryDir m_pdfs;
    MainItemFlag m_entry;

    QString dataFile(int rows) {
        const QString path = m_app->file(QStringLiteral("tmp/数据.txt"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(u8("付款单位\t金额\t备注\n").toUtf8());
        for (int r = 1; r <= rows; ++r)
            f.write(QStringLiteral("%1\t%2.00\tx\n")
                        .arg(r == 3 ? QStringLiteral("zzz") : QStringLiteral("a01"))
                        .arg(r)
                        .toUtf8());
        return path;
    }
    QStringList history() const { return historyNumbers(m_entry); }
    // Opens the window on a data file chosen through its button, matches 收款人 to 付款单位 by
    // hand and reviews.
    std::unique_ptr<TBatchPrintForm> openAndReview(int rows) {
        auto form = std::make_unique<TBatchPrintForm>(nullptr, m_entry, QStringList{u8("进帐单")});
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            return nullptr;
        m_prompter->files << dataFile(rows);
        QTest::mouseClick(form->chooseFileButton, Qt::LeftButton);
        for (int r = 0; r < form->columnMatches->rowCount(); ++r)
            if (form->columnMatches->item(r, 0)->text() == u8("收款人"))
                pickFromDropDown(qobject_cast<QComboBox*>(form->columnMatches->cellWidget(r, 1)),
                                 u8("付款单位"));
        if (QTest::currentTestFailed())
            return nullptr;
        QTest::mouseClick(form->reviewButton, Qt::LeftButton);
        return form;
    }
    static void clickChoice(TBatchPrintForm& form, int row) {
        const QRect cell = form.reviewList->visualItemRect(form.reviewList->item(row, 0));
        // The check box sits at the cell's left.
        QTest::mouseClick(form.reviewList->viewport(), Qt::LeftButton, {},
                          QPoint(cell.left() + 10, cell.center().y()));
    }

private slots:
    void initTestCase() { Fonts::installSubstitutions(); }
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        Settings::ensureExists();
        m_prompter = ScriptedPrompter::install();
        m_entry = addBatchFixtureBill();
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        m_app.reset();
    }

    // Review, a row left out by a click, pause after the current bill, 继续, a refusal that stops
    // the run with the printed rows named, 继续 again, and the remembered mapping next time.
    void reviewPauseRefusalAndResume() {
        auto* printing = new ScriptedPrinting(m_pdfs.path());
        Printing::install(std::unique_ptr<Printing>(printing));
        auto form = openAndReview(8);
        QVERIFY(form);
        QCOMPARE(form->rows().size(), 8);
        QCOMPARE(form->rows()[2].state, BatchRow::State::Error); // unknown code
        QCOMPARE(form->reviewList->item(2, 2)->text(), u8("有错误"));
        QVERIFY(form->totalsLabel->text().contains(u8("金额合计：￥33.00")));
        clickChoice(*form, 7); // leave out row 8
        QVERIFY(!form->rows()[7].chosen);
        QVERIFY2(form->totalsLabel->text().contains(u8("金额合计：￥25.00")),
                 qPrintable(form->totalsLabel->text()));

        // Pause asked while the second bill prints: the run stops after it.
        printing->onJob = [&](int job) {
            if (job == 2)
                QTest::mouseClick(form->pauseButton, Qt::LeftButton);
        };
        QTest::mouseClick(form->printChosenButton, Qt::LeftButton);
        QTRY_VERIFY(!form->running());
        QCOMPARE(history(), (QStringList{"0100", "0101"}));
        QVERIFY(form->progressLabel->text().startsWith(u8("已暂停")));
        QVERIFY(form->resumeButton->isEnabled());

        // 继续; the printing system refuses the fifth job (data row 7).
        printing->onJob = nullptr;
        printing->refused = {5};
        QTest::mouseClick(form->resumeButton, Qt::LeftButton);
        QTRY_VERIFY(!form->running());
        QCOMPARE(history(), (QStringList{"0100", "0101", "0102", "0103"}));
        QVERIFY2(m_prompter->lastText().contains(u8("已打印的行：2、3、5、6")),
                 qPrintable(m_prompter->lastText()));
        QCOMPARE(form->rows()[5].state, BatchRow::State::Failed);
        QCOMPARE(form->rows()[4].numbers, QStringLiteral("0103"));

        QTest::mouseClick(form->resumeButton, Qt::LeftButton);
        QTRY_VERIFY(!form->running());
        QCOMPARE(history().size(), 6);
        QCOMPARE(history().last(), QStringLiteral("0105"));
        QCOMPARE(form->reviewList->item(5, 3)->text(), QStringLiteral("0104"));

        // Printing a printed row again asks first; no prints without a yes.
        clickChoice(*form, 0);
        m_prompter->answers << false;
        QTest::mouseClick(form->printChosenButton, Qt::LeftButton);
        QVERIFY(m_prompter->texts(QStringLiteral("question"))
                    .last()
                    .startsWith(u8("第 2 行已打印（编号 0100）")));
        QCOMPARE(m_prompter->lastText(), u8("没有选中可以打印的行。"));
        QCOMPARE(history().size(), 6);
        form->close();

        // The hand-made match comes back for the same bill.
        auto again = openAndReview(1);
        QVERIFY(again);
        for (int r = 0; r < again->columnMatches->rowCount(); ++r)
            if (again->columnMatches->item(r, 0)->text() == u8("收款人"))
                QCOMPARE(qobject_cast<QComboBox*>(again->columnMatches->cellWidget(r, 1))->currentText(),
                         u8("付款单位"));
    }

    void stopEndsTheRun() {
        auto* printing = new ScriptedPrinting(m_pdfs.path());
        Printing::install(std::unique_ptr<Printing>(printing));
        auto form = openAndReview(6);
        QVERIFY(form);
        printing->onJob = [&](int job) {
            if (job == 1)
                QTest::mouseClick(form->stopButton, Qt::LeftButton);
        };
        QTest::mouseClick(form->printChosenButton, Qt::LeftButton);
        QTRY_VERIFY(!form->running());
        QCOMPARE(history().size(), 1);
        QVERIFY(form->progressLabel->text().startsWith(u8("已停止")));
    }

    // 50 rows through the CUPS queue BillPDF: 50 jobs, 50 history rows, consecutive numbers.
    void fiftyBillsThroughTheCupsQueue() {
        Printing::install(std::make_unique<CupsPrinting>());
        if (!Printing::instance().printers().contains(QStringLiteral("BillPDF")))
            SKIP_WITHOUT_PRINTING_TOOLS("the CUPS queue BillPDF is missing (scripts/start-cups.sh)");
        Settings::setValue(QStringLiteral("Printer"), QStringLiteral("BillPDF"));
        const QDir out(QDir::homePath() + QStringLiteral("/PDF"));
        const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        auto form = openAndReview(51); // row 3 has an unknown code: 50 can print
        QVERIFY(form);
        QTest::mouseClick(form->printChosenButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form->running(), 120000);
        const QStringList numbers = history();
        QCOMPARE(numbers.size(), 50);
        for (int i = 0; i < 50; ++i)
            QCOMPARE(numbers.at(i), QStringLiteral("%1").arg(100 + i, 4, 10, QLatin1Char('0')));
        QTRY_VERIFY_WITH_TIMEOUT(
            out.entryList({QStringLiteral("*.pdf")}, QDir::Files).size() - before.size() >= 50, 120000);
        for (const QString& name : out.entryList({QStringLiteral("*.pdf")}, QDir::Files))
            if (!before.contains(name))
                QFile::remove(out.filePath(name));
    }
};

QTEST_MAIN(TestBatchPrintForm)
#include "tst_BatchPrintForm.moc"
