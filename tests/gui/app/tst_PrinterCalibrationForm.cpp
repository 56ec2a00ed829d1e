// 打印机校准 as the operator uses it: prints the sheet, types what the ruler says, sees the
// offset and saves it for that printer only.
#include "app/ui/TPrinterCalibrationForm.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "support/PdfPages.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestPrinterCalibrationForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Fonts::installSubstitutions(); }

    void measureComputeAndSave() {
        TempAppFolder app;
        Settings::ensureExists();
        ScriptedPrompter* prompter = ScriptedPrompter::install();
        QTemporaryDir pdfs;
        auto* printing = new PdfPrinting(pdfs.path());
        Printing::install(std::unique_ptr<Printing>(printing));

        TPrinterCalibrationForm form(nullptr, {QStringLiteral("甲"), QStringLiteral("BillPDF")},
                                     QStringLiteral("BillPDF"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.printerSelector->currentText(), QStringLiteral("BillPDF"));
        QCOMPARE(form.savedOffsetLabel->text(), QStringLiteral("未校准"));

        // The sheet: A4 with its crosshairs labelled in millimetres.
        QTest::mouseClick(form.printSheetButton, Qt::LeftButton);
        QVERIFY(QFile::exists(printing->lastFile()));
        if (PdfPages::toolsAvailable()) {
            const QString text = PdfPages::text(printing->lastFile());
            QVERIFY2(text.contains(QStringLiteral("打印机校准页")), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("(30.0, 30.0)")));
            QVERIFY(text.contains(QStringLiteral("(180.0, 267.0)")));
        }

        // Two crosshairs measured 1.5 mm to the left and 0.7 mm lower than meant.
        QTest::keyClicks(form.measuredXEdits[0], QStringLiteral("28.5"));
        QTest::keyClicks(form.measuredYEdits[0], QStringLiteral("30.7"));
        QTest::keyClicks(form.measuredXEdits[4], QStringLiteral("178.5"));
        QTest::keyClicks(form.measuredYEdits[4], QStringLiteral("267.7"));
        QVERIFY(!form.saveButton->isEnabled());
        QTest::mouseClick(form.computeButton, Qt::LeftButton);
        QCOMPARE(form.computedOffsetLabel->text(),
                 QStringLiteral("水平 +1.5 毫米（向右），垂直 -0.7 毫米（向上）（已校准 +15/-7）"));
        QVERIFY(form.saveButton->isEnabled());
        QTest::mouseClick(form.saveButton, Qt::LeftButton);
        QCOMPARE(Settings::printerOffset(QStringLiteral("BillPDF")), (Settings::PrinterOffset{15, -7}));
        QCOMPARE(Settings::printerOffset(QStringLiteral("甲")), Settings::PrinterOffset{});
        QCOMPARE(form.savedOffsetLabel->text(),
                 QStringLiteral("水平 +1.5 毫米（向右），垂直 -0.7 毫米（向上）"));

        // Half a crosshair is asked for; changing a measurement needs a new computation.
        QTest::keyClicks(form.measuredXEdits[2], QStringLiteral("105"));
        QVERIFY(!form.saveButton->isEnabled());
        QTest::mouseClick(form.computeButton, Qt::LeftButton);
        QCOMPARE(prompter->lastText(), QStringLiteral("请填入十字 3 距左边缘和距上边缘的两个位置。"));
        QVERIFY(!form.saveButton->isEnabled());

        // 清除校准 asks, then the printer prints as before.
        prompter->answers << true;
        QTest::mouseClick(form.clearButton, Qt::LeftButton);
        QCOMPARE(Settings::printerOffset(QStringLiteral("BillPDF")), Settings::PrinterOffset{});
        QCOMPARE(form.savedOffsetLabel->text(), QStringLiteral("未校准"));
        QCOMPARE(prompter->unexpected, 0);
    }
};

QTEST_MAIN(TestPrinterCalibrationForm)
#include "tst_PrinterCalibrationForm.moc"
