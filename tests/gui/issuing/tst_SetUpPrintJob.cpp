#include "app/ui/TSltPrinterForm.h"
#include "issuing/ui/SetUpPrintJob.h"
#include "platform/Fonts.h"
#include "platform/Settings.h"
#include "platform/ui/CupsPrinting.h"
#include "support/PdfPages.h"
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
        dlg->printerSelector->setCurrentIndex(index);
        dlg->findChild<QPushButton*>(QString::fromLatin1(confirm ? "okButton" : "cancelButton"))->click();
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

// The bill with one year item, 30 x 6 mm at 30, 20 mm.
CheckPrintDefine billWithYear() {
    CheckPrintDefine def = bill(0);
    TemplateItem year = TemplateItem::newItem(u8("年"));
    year.used = true;
    year.type = ItemType::Year;
    year.left = 300;
    year.top = 200;
    year.width = 300;
    year.height = 60;
    def.items << year;
    return def;
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

        CheckPrintDefine def = billWithYear();
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

    // With offsets (+15, -7) for "BillPDF", a print through the CUPS queue lands 1.5 mm right and
    // 0.7 mm up of the same print uncalibrated, and the test print is marked calibrated.
    void calibrationMovesThePrintThroughCups() {
        TempAppFolder app;
        Printing::install(std::make_unique<CupsPrinting>());
        if (!Printing::instance().printers().contains(QStringLiteral("BillPDF")))
            SKIP_WITHOUT_PRINTING_TOOLS("the CUPS queue BillPDF is missing (scripts/start-cups.sh)");
        if (!PdfPages::toolsAvailable())
            SKIP_WITHOUT_PRINTING_TOOLS("poppler-utils are not installed");
        const QDir out(QDir::homePath() + QStringLiteral("/PDF"));
        const auto printYear = [&](const QString& title) {
            CheckPrintDefine def = billWithYear();
            def.billName = title;
            const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
            QString error;
            if (!TestPrintTemplate(def, QImage(), 96, pageSetupFor(def, QStringLiteral("BillPDF")), &error))
                return QString();
            return PdfPages::awaitCupsPdf(out, before, u8("测试打印票据：") + title, 60000);
        };
        Settings::ensureExists();
        const QString plain = printYear(QStringLiteral("plain"));
        QVERIFY(Settings::setPrinterOffset(QStringLiteral("BillPDF"), Settings::PrinterOffset{15, -7}));
        const QString calibrated = printYear(QStringLiteral("calibrated"));
        QVERIFY2(!plain.isEmpty() && !calibrated.isEmpty(), "both jobs arrived in ~/PDF");
        // cups-pdf keeps the glyphs but not their texts; the ink shows where they landed. At 254 dpi
        // a pixel is a tenth: the year's ink ends 15 further right and 7 higher.
        const QRect a = PdfPages::inkBounds(plain, 254);
        const QRect m = PdfPages::inkBounds(calibrated, 254);
        QVERIFY(!a.isEmpty() && !m.isEmpty());
        QVERIFY2(qAbs(m.right() - a.right() - 15) <= 1, qPrintable(QString::number(m.right() - a.right())));
        QVERIFY2(qAbs(m.bottom() - a.bottom() + 7) <= 1,
                 qPrintable(QString::number(m.bottom() - a.bottom())));
        // The mark "已校准 +15/-7" stands in the page's top-left corner, where the plain page is blank.
        QVERIFY2(
            m.top() < a.top() && m.left() < a.left(),
            qPrintable(
                QStringLiteral("%1,%2 against %3,%4").arg(m.left()).arg(m.top()).arg(a.left()).arg(a.top())));
        QFile::remove(plain);
        QFile::remove(calibrated);
    }
};

QTEST_MAIN(TestSetUpPrintJob)
#include "tst_SetUpPrintJob.moc"
