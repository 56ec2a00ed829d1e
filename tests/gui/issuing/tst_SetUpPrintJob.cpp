#include "app/ui/TSltPrinterForm.h"
#include "issuing/ui/SetUpPrintJob.h"
#include "platform/Fonts.h"
#include "platform/Settings.h"
#include "platform/ui/CupsPrinting.h"
#include "support/PrintingTools.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"
#include "templates/PageParameters.h"
#include "templates/TestPrint.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// PDF files in place of a printing system with the given printers.
class FakePrinters : public PdfPrinting {
public:
    FakePrinters(const QString& folder, QStringList names) : PdfPrinting(folder), m_names(std::move(names)) {}
    QStringList printers() override { return m_names; }

private:
    QStringList m_names;
};

// Acts on the printer selection dialog once it shows; counts how often it showed.
int dialogsShown = 0;
void answerPrinterDialog(int index, bool confirm) {
    QTimer::singleShot(0, [=] {
        auto* dlg = qobject_cast<TSltPrinterForm*>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        ++dialogsShown;
        dlg->ComboBox1->setCurrentIndex(index);
        dlg->findChild<QPushButton*>(QString::fromLatin1(confirm ? "BitBtn1" : "BitBtn2"))->click();
    });
}

CheckPrintDefine bill(int direction) {
    PageParameters page;
    page.width = 1750;
    page.length = 800;
    page.direction = direction;
    page.billName = u8("现金支票");
    return CheckPrintDefine::fromPage(page);
}

} // namespace

class TestSetUpPrintJob : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::installSubstitutions(); }
    void init() { dialogsShown = 0; }

    void noPrinterIsToldAndNothingPrints() {
        TempAppFolder app;
        Printing::install(std::make_unique<FakePrinters>(app.path(), QStringList()));
        auto* prompter = ScriptedPrompter::install();
        QVERIFY(!SetUpPrintJob(nullptr, bill(0)));
        QCOMPARE(prompter->texts(QStringLiteral("warning")), QStringList{u8("未找到可以使用的打印机 ！")});
    }

    void severalPrintersAskTheOperator() {
        TempAppFolder app;
        Printing::install(std::make_unique<FakePrinters>(app.path(), QStringList{u8("甲"), u8("乙")}));
        auto* prompter = ScriptedPrompter::install();
        Settings::setValue(QStringLiteral("Printer"), u8("已拆除"));

        answerPrinterDialog(1, false);
        QVERIFY(!SetUpPrintJob(nullptr, bill(0)));
        QCOMPARE(dialogsShown, 1);

        // The choice is saved (the box is ticked) and used without asking next time.
        answerPrinterDialog(1, true);
        const auto setup = SetUpPrintJob(nullptr, bill(1));
        QVERIFY(setup);
        QCOMPARE(setup->printerName, u8("乙"));
        QCOMPARE(setup->landscape, true);
        QCOMPARE(setup->paperWidthTenths, 800);
        QCOMPARE(setup->paperLengthTenths, 1750);
        QCOMPARE(Settings::printer(), u8("乙"));

        const auto again = SetUpPrintJob(nullptr, bill(0));
        QVERIFY(again);
        QCOMPARE(again->printerName, u8("乙"));
        QCOMPARE(dialogsShown, 2);
        QCOMPARE(prompter->asked.size(), 0);
    }

    // The real printing system: a test print through the CUPS PDF queue arrives as a PDF file of
    // the bill's size.
    void testPrintThroughCupsQueue() {
        TempAppFolder app;
        Printing::install(std::make_unique<CupsPrinting>());
        if (!Printing::instance().printers().contains(QStringLiteral("BillPDF")))
            SKIP_WITHOUT_PRINTING_TOOLS("the CUPS queue BillPDF is missing (scripts/start-cups.sh)");
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            SKIP_WITHOUT_PRINTING_TOOLS("pdfinfo is not installed");
        ScriptedPrompter::install();
        Settings::setValue(QStringLiteral("Printer"), QStringLiteral("BillPDF"));

        CheckPrintDefine def = bill(0);
        TemplateItem year = TemplateItem::newItem(u8("年"));
        year.used = true;
        year.type = ItemType::Year;
        year.left = 300;
        year.top = 200;
        year.width = 300;
        year.height = 60;
        def.items << year;
        const auto setup = SetUpPrintJob(nullptr, def);
        QVERIFY(setup);
        QCOMPARE(setup->printerName, QStringLiteral("BillPDF"));

        const QDir out(QDir::homePath() + QStringLiteral("/PDF"));
        const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        QString error;
        QVERIFY2(TestPrintTemplate(def, QImage(), 96, *setup, &error), qPrintable(error));
        QVERIFY(def.dpiX > 0 && def.dpiY > 0);

        // cups-pdf names the file after the job; any new file whose page is 175 x 80 mm is this job.
        const auto pageOf = [](const QString& file) {
            QProcess proc;
            proc.start(QStringLiteral("pdfinfo"), {file});
            proc.waitForFinished(10000);
            static const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"));
            const auto m = size.match(QString::fromUtf8(proc.readAllStandardOutput()));
            return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
        };
        QString found;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const QString& name : out.entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
                    if (before.contains(name))
                        continue;
                    const QSizeF page = pageOf(out.filePath(name));
                    if (qAbs(page.width() - 175 / 25.4 * 72) < 1.5 &&
                        qAbs(page.height() - 80 / 25.4 * 72) < 1.5)
                        found = out.filePath(name);
                }
                return !found.isEmpty();
            }(),
            60000);
        QFile::remove(found);
    }
};

QTEST_MAIN(TestSetUpPrintJob)
#include "tst_SetUpPrintJob.moc"
