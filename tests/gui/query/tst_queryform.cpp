#include "app/ui/TMainForm.h"
#include "issuing/ui/TMakeBillForm.h"
#include "platform/Clock.h"
#include "platform/SpreadsheetReader.h"
#include "query/QueryDates.h"
#include "query/ui/HistoryListModel.h"
#include "query/ui/TQueryForm.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"
#include "support/ui/GridInput.h"
#include "support/ui/ScriptedPrompter.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>

class TestQueryForm : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        Clock::setFixed(QDateTime(QDate(2015, 3, 10), QTime(9, 0)));
        m_store = std::make_unique<BillStore>();
        m_store->ensureBillTypeTable();
        addFixtureBill(*m_store, 0, QStringLiteral("现金支票"));
        m_bill = addFixtureBill(
            *m_store, 0, QStringLiteral("转帐支票"),
            {{QStringLiteral("金额"), 8, true, true}, {QStringLiteral("数量"), 17, false, true}});
        int n = 1;
        for (const auto& [date, currency, amount, quantity] :
             QList<std::tuple<QString, int, QString, QString>>{
                 {"2015年01月04日    10:00:00", 0, "5", "1"},
                 {"2015年02月05日    10:00:00", 0, "100.00", "3"},
                 {"2015年02月06日    11:00:00", 1, "20", ""},
                 {"2015年02月07日    12:00:00", 0, "250.5", "4"}})
            Sql::insertRow(Database::get(Db::Bill), m_bill.historyTable,
                           {"HistoryNumber", "打印日期", "货币种类", "金额", "数量"},
                           {n++, date, currency, amount, quantity});
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        m_store.reset();
        m_folder.reset();
        Clock::setFixed(QDateTime());
    }

    void showingSetsDefaults() {
        TQueryForm form(*m_store);
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral("统计查询"));
        QCOMPARE(form.typeSelector->currentText(), QStringLiteral("支票"));
        QCOMPARE(form.billSelector->currentText(), QStringLiteral("现金支票"));
        QCOMPARE(form.fromDateEdit->displayText(), QStringLiteral("2007年07月18日"));
        QCOMPARE(form.toDateEdit->displayText(), QStringLiteral("2015年03月10日"));
        QVERIFY(form.printCountEdit->text().isEmpty());
        form.billSelector->setCurrentIndex(1);
        QCOMPARE(form.historyTable(), m_bill.historyTable);
        // A type without bills has no history table.
        form.typeSelector->setCurrentIndex(2);
        QCOMPARE(form.billSelector->count(), 0);
        QVERIFY(form.historyTable().isEmpty());
        form.listButton->click();
        QCOMPARE(form.listModel()->rowCount(), 0);
    }

    void typingIntoDateField_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("month 13 becomes 12") << 5 << "13"
                                             << "2015年12月10日";
        QTest::newRow("month 00 becomes 01") << 5 << "00"
                                             << "2015年01月10日";
        // Each digit is normalised as it is typed: the 1 first makes the year 1015, hence 2000.
        QTest::newRow("year typed over") << 0 << "1999"
                                         << "2999年03月10日";
        QTest::newRow("day 00 becomes 01") << 8 << "00"
                                           << "2015年03月01日";
        QTest::newRow("letters and signs dropped") << 5 << "a-/ "
                                                   << "2015年03月10日";
    }

    void typingIntoDateField() {
        QFETCH(int, position);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        TQueryForm form(*m_store);
        form.show();
        form.toDateEdit->setFocus();
        form.toDateEdit->setCursorPosition(position);
        QTest::keyClicks(form.toDateEdit, keys);
        QTest::keyClick(form.toDateEdit, Qt::Key_Backspace);
        QTest::keyClick(form.toDateEdit, Qt::Key_Delete);
        QCOMPARE(form.toDateEdit->displayText(), shown);
        form.toDateEdit->setText(QueryDates::masked("19990310"));
        QCOMPARE(form.toDateEdit->displayText(), QStringLiteral("2000年03月10日"));
    }

    void listingWithTotals() {
        TQueryForm form(*m_store);
        form.show();
        chooseBill(form, "20150201", "20150228");
        form.listButton->click();
        QCOMPARE(form.printCountEdit->text(), QStringLiteral("3"));
        const HistoryListModel* m = form.listModel();
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("序号"));
        QCOMPARE(m->rowCount(), 5);
        QCOMPARE(m->text(0, 2), QStringLiteral("￥100.00"));
        QCOMPARE(m->text(3, 0), QStringLiteral("合计"));
        QCOMPARE(m->text(3, 2), QStringLiteral("￥350.50"));
        QCOMPARE(m->text(4, 2), QStringLiteral("US$20.00"));
        QCOMPARE(m->text(3, 3), QStringLiteral("7"));
        // The last column takes what the others leave of the list's width.
        int total = 0;
        for (int c = 0; c < m->columnCount(); ++c)
            total += form.historyList->columnWidth(c);
        QVERIFY(total >= form.historyList->viewport()->width());
    }

    void valueThatIsNotANumber() {
        Sql::exec(Database::get(Db::Bill),
                  QStringLiteral("UPDATE %1 SET \"数量\" = '1.5' WHERE \"HistoryNumber\" = 3")
                      .arg(Sql::q(m_bill.historyTable)));
        TQueryForm form(*m_store);
        form.show();
        chooseBill(form, "20150201", "20150228");
        form.listButton->click();
        QCOMPARE(m_prompter->texts("error").size(), 1);
        QVERIFY(m_prompter->texts("error").constFirst().contains(QStringLiteral("1.5")));
        QCOMPARE(form.listModel()->rowCount(), 2); // the rows up to it, without totals
        QVERIFY(form.printCountEdit->text().isEmpty());
        // Nothing counts as listed: delete and export ask nothing.
        form.deleteButton->click();
        form.exportButton->click();
        QCOMPARE(m_prompter->asked.size(), 1);
    }

    void exportOfTheList() {
        const QString chosen = m_folder->file("查询.xls");
        m_prompter->files << chosen;
        TQueryForm form(*m_store);
        form.show();
        chooseBill(form, "20150201", "20150228");
        form.listButton->click();
        form.exportButton->click();
        QCOMPARE(m_prompter->texts("save"), QStringList{"导出查询到Excel文件"});
        QCOMPARE(m_prompter->texts("notice"), QStringList{"Excel文件已保存为 " + chosen + "x"});
        QVERIFY(!QFile::exists(chosen));
        const SheetTexts sheet = SpreadsheetReader::readActiveSheet(chosen + "x");
        QCOMPARE(sheet.rowCount, 6);
        QCOMPARE(sheet.rows.at(0), (QStringList{"打印日期", "金额", "数量"}));
        QCOMPARE(sheet.rows.at(4), (QStringList{"", "￥350.50", "7"}));
    }

    void deletingTheListedRecords() {
        TQueryForm form(*m_store);
        form.show();
        chooseBill(form, "20150201", "20150206");
        form.listButton->click();
        QCOMPARE(form.listedCount(), 2);
        m_prompter->answers << false << true;
        form.deleteButton->click();
        QCOMPARE(form.listedCount(), 2);
        form.deleteButton->click();
        QCOMPARE(m_prompter->texts("question"),
                 (QStringList{"确定要删除目前的所有记录吗 ？", "确定要删除目前的所有记录吗 ？"}));
        QCOMPARE(form.listModel()->rowCount(), 0);
        QVERIFY(form.printCountEdit->text().isEmpty());
        QCOMPARE(Sql::rowCount(Database::get(Db::Bill), m_bill.historyTable), 2);
        setDates(form, "20000101", "20991231");
        form.listButton->click();
        QCOMPARE(form.listing().numbers, (QList<qint64>{1, 4}));
    }

    void voidingAndReprintingChosenRecords() {
        TQueryForm form(*m_store);
        form.show();
        chooseBill(form, "20150201", "20150228");
        form.listButton->click();
        const HistoryListModel* m = form.listModel();
        QCOMPARE(m->text(3, 2), QStringLiteral("￥350.50"));

        // The operator clicks the first listed record, then 作废, and types the reason.
        const QRect row = form.historyList->visualRect(m->index(0, 1));
        QTest::mouseClick(form.historyList->viewport(), Qt::LeftButton, {}, row.center());
        whenShown<TStringInputForm>([](TStringInputForm* d) {
            d->textEdit->setText(QStringLiteral("卡纸"));
            QTest::keyClicks(d->textEdit, QStringLiteral("-2"));
            QTest::keyClick(d->textEdit, Qt::Key_Return);
        });
        QTest::mouseClick(form.voidButton, Qt::LeftButton);
        QVERIFY(form.listing().isVoided(0));
        QCOMPARE(form.listing().rows.at(0).last(), QStringLiteral("卡纸-2"));
        QCOMPARE(m->text(3, 2), QStringLiteral("￥250.50"));
        QCOMPARE(form.printCountEdit->text(), QStringLiteral("3"));

        // 重打 of the voided record opens the filling window with its values.
        QTest::mouseClick(form.historyList->viewport(), Qt::LeftButton, {}, row.center());
        QString amount;
        whenShown<TMakeBillForm>([&amount](TMakeBillForm* f) {
            amount = f->bill().valueOf(QStringLiteral("金额"));
            f->reject();
        });
        QTest::mouseClick(form.reprintButton, Qt::LeftButton);
        QCOMPARE(amount, QStringLiteral("100.00"));

        // 取消作废 asks first.
        QTest::mouseClick(form.historyList->viewport(), Qt::LeftButton, {}, row.center());
        m_prompter->answers << true;
        QTest::mouseClick(form.unvoidButton, Qt::LeftButton);
        QVERIFY(!form.listing().isVoided(0));
        QCOMPARE(m->text(3, 2), QStringLiteral("￥350.50"));
        QCOMPARE(m_prompter->texts("question").size(), 1);
    }

    void mainWindowOffersTheQuery() {
        TMainForm main;
        QVERIFY(main.queryAction);
        QCOMPARE(main.queryAction->text(), QStringLiteral("查询统计"));
        QVERIFY(main.queryButton->isVisibleTo(&main));
    }

private:
    void setDates(TQueryForm& form, const QString& from, const QString& to) {
        form.fromDateEdit->setText(QueryDates::masked(from));
        form.toDateEdit->setText(QueryDates::masked(to));
    }
    void chooseBill(TQueryForm& form, const QString& from, const QString& to) {
        form.billSelector->setCurrentIndex(1);
        setDates(form, from, to);
    }

    std::unique_ptr<TempAppFolder> m_folder;
    std::unique_ptr<BillStore> m_store;
    ScriptedPrompter* m_prompter = nullptr;
    MainItemFlag m_bill;
};

QTEST_MAIN(TestQueryForm)
#include "tst_queryform.moc"
