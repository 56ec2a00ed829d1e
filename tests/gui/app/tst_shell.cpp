#include "app/ui/HelpWindow.h"
#include "app/ui/TMainForm.h"
#include "app/ui/TSltPrinterForm.h"
#include "app/ui/TStringInputForm.h"
#include "app/ui/TWaitingForm.h"
#include "platform/Settings.h"
#include "platform/Worker.h"
#include "platform/ui/CupsPrinting.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {
// Acts on the modal dialog that the next exec() shows.
template <typename T, typename F> void whenShown(F&& act) {
    QTimer::singleShot(0, [act = std::forward<F>(act)] {
        auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dlg) {
            QTimer::singleShot(20, [act] {
                if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget()))
                    act(d);
            });
            return;
        }
        act(dlg);
    });
}

class CountingWorker : public Worker {
public:
    bool fail = false;
    int seenRows = 0;
    void run() override {
        // Runs on its own thread with its own connection to the store.
        QSqlDatabase db = Database::get(Db::Bill);
        seenRows = Sql::rowCount(db, QStringLiteral("业务单位"));
        for (int i = 1; i <= 3; ++i)
            reportProgress(i, 3);
        if (fail)
            throw StoreError(QStringLiteral("备份文件已损坏"));
    }
};
} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void secondStartOnTheSameFolderEndsQuietly() {
        const QString bin = qEnvironmentVariable("TARVEL_BIN");
        QVERIFY2(!bin.isEmpty(), "TARVEL_BIN not set");
        QTemporaryDir home;
        QProcess first;
        first.start(bin, {QStringLiteral("--home"), home.path(), QStringLiteral("--no-splash")});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(QStringLiteral("DataBase/支票软件.mdb"))),
                                 10000);
        QTest::qWait(300);
        QProcess second;
        second.start(bin, {QStringLiteral("--home"), home.path(), QStringLiteral("--no-splash")});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished();
        // Another folder is another installation and starts normally.
        QTemporaryDir other;
        QProcess third;
        third.start(bin, {QStringLiteral("--home"), other.path(), QStringLiteral("--no-splash")});
        QVERIFY(third.waitForStarted());
        QVERIFY(!third.waitForFinished(1500));
        third.kill();
        third.waitForFinished();
    }

    // 帮助 shows the page in a window of the program: the application folder's page when there is
    // one, else the page built in; its contents links move within the page.
    void helpOpensInAWindow() {
        TempAppFolder app;
        TMainForm main;
        main.show();
        main.helpAction->trigger();
        auto* help = main.findChild<HelpWindow*>();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->pageView->source(), QUrl(QStringLiteral("qrc:/help/help.html")));
        const QString page = help->pageView->toPlainText();
        for (const char* topic :
             {"第一张票据", "位置调整", "识别码", "预开票", "统计查询", "系统备份", "命令行"})
            QVERIFY2(page.contains(QString::fromUtf8(topic)), topic);
        QVERIFY(!help->backButton->isEnabled());
        help->pageView->setSource(QUrl(QStringLiteral("#adjust")));
        QVERIFY(help->backButton->isEnabled());
        QVERIFY(help->pageView->verticalScrollBar()->value() > 0);
        help->close();

        QFile own(app.file(QStringLiteral("Tarvel智能票据打印-帮助.html")));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("<html><body><p>本单位的帮助</p></body></html>");
        own.close();
        HelpWindow local;
        QCOMPARE(local.pageView->toPlainText().trimmed(), QStringLiteral("本单位的帮助"));
    }

    void printerChoiceListsCupsQueuesAndRemembersTheChoice() {
        TempAppFolder app;
        Printing::install(std::make_unique<CupsPrinting>());
        QVERIFY2(Printing::instance().printers().contains(QStringLiteral("BillPDF")),
                 "the CUPS queue BillPDF is missing (scripts/start-cups.sh)");
        auto* prompter = ScriptedPrompter::install();
        TMainForm form;
        whenShown<TSltPrinterForm>([](TSltPrinterForm* d) {
            QVERIFY(d->makeDefaultCheck->isChecked());
            QCOMPARE(d->printerSelector->currentIndex(), 0);
            d->printerSelector->setCurrentText(QStringLiteral("BillPDF"));
            d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        form.choosePrinterAction->trigger();
        QCOMPARE(Settings::printer(), QStringLiteral("BillPDF"));

        // Without the tick the saved printer stays.
        Settings::setValue(QStringLiteral("Printer"), QStringLiteral("旧打印机"));
        whenShown<TSltPrinterForm>([](TSltPrinterForm* d) {
            d->makeDefaultCheck->setChecked(false);
            d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        form.choosePrinterAction->trigger();
        QCOMPARE(Settings::printer(), QStringLiteral("旧打印机"));
        QCOMPARE(prompter->unexpected, 0);
    }

    void noPrinterIsTold() {
        TempAppFolder app;
        class NoPrinters : public PdfPrinting {
        public:
            NoPrinters() : PdfPrinting(QString()) {}
            QStringList printers() override { return {}; }
        };
        Printing::install(std::make_unique<NoPrinters>());
        auto* prompter = ScriptedPrompter::install();
        TMainForm form;
        form.choosePrinterAction->trigger();
        QCOMPARE(prompter->texts(QStringLiteral("warning")),
                 QStringList{QStringLiteral("未找到可以使用的打印机 ！")});
    }

    void textInputRefusesTheDash() {
        TStringInputForm form;
        form.textEdit->setText(QStringLiteral("金额"));
        form.show();
        QTest::qWait(20);
        QTest::keyClicks(form.textEdit, QStringLiteral("-1"));
        QCOMPARE(form.textEdit->text(), QStringLiteral("金额1"));
    }

    void busyWindowRunsTheWorkerAndReportsItsError() {
        TempAppFolder app;
        Sql::insertRow(Database::get(Db::Bill), QStringLiteral("业务单位"), {QStringLiteral("单位名称")},
                       {QStringLiteral("甲")});
        CountingWorker ok;
        QString error;
        QVERIFY(TWaitingForm::runWorker(nullptr, QStringLiteral("正在导出"), ok, &error));
        QCOMPARE(ok.seenRows, 1);

        CountingWorker bad;
        bad.fail = true;
        QVERIFY(!TWaitingForm::runWorker(nullptr, QStringLiteral("正在导入"), bad, &error));
        QCOMPARE(error, QStringLiteral("备份文件已损坏"));
    }

    void busyWindowBandMoves() {
        TWaitingForm form;
        form.show();
        QCOMPARE(form.phase(), 15);
        QTRY_COMPARE_WITH_TIMEOUT(form.phase(), 14, 1000);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
