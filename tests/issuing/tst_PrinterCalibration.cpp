// A printer's calibration: the offset the operator's measurements give, kept per printer in the
// settings, and handed to every page set up for that printer.
#include "issuing/PrintJob.h"
#include "issuing/PrinterCalibration.h"
#include "platform/Settings.h"
#include "support/TempAppFolder.h"

#include <QFile>
#include <QTest>

using Offset = Settings::PrinterOffset;
using Measured = QList<std::optional<QPoint>>;
Q_DECLARE_METATYPE(Measured)
Q_DECLARE_METATYPE(std::optional<Offset>)

class TestPrinterCalibration : public QObject {
    Q_OBJECT

private slots:
    void offsetFromMeasurements_data() {
        QTest::addColumn<Measured>("measured");
        QTest::addColumn<std::optional<Offset>>("expected");
        QTest::addColumn<QString>("why");
        const QList<QPoint> marks = PrinterCalibration::crosshairs(2100, 2970);
        QCOMPARE(marks.first(), QPoint(300, 300));
        QCOMPARE(marks.last(), QPoint(1800, 2670));
        const auto shifted = [&marks](int dx, int dy) {
            Measured m;
            for (const QPoint& p : marks)
                m << std::optional<QPoint>(p + QPoint(dx, dy));
            return m;
        };
        QTest::newRow("where meant") << shifted(0, 0) << std::optional<Offset>(Offset{0, 0}) << QString();
        // Landed 1.5 mm left and 0.7 mm down: the page moves right and up to make up for it.
        QTest::newRow("left and down")
            << shifted(-15, 7) << std::optional<Offset>(Offset{15, -7}) << QString();
        QTest::newRow("right and up")
            << shifted(22, -31) << std::optional<Offset>(Offset{-22, 31}) << QString();
        Measured two(marks.size());
        two[0] = marks[0] + QPoint(-1, 1);
        two[4] = marks[4] + QPoint(-2, 2); // means 1.5 and -1.5: halves away from zero
        QTest::newRow("two measured, halves") << two << std::optional<Offset>(Offset{2, -2}) << QString();
        Measured one(marks.size());
        one[2] = marks[2] + QPoint(100, -100); // exactly 10 mm still counts
        QTest::newRow("one, 10 mm") << one << std::optional<Offset>(Offset{-100, 100}) << QString();
        Measured slip = shifted(3, 3);
        slip[3] = marks[3] + QPoint(0, 101);
        QTest::newRow("typing slip") << slip << std::optional<Offset>()
                                     << QStringLiteral(
                                            "十字 4 量得的位置与应在的位置相差超过 10 毫米，请检查输入。");
        QTest::newRow("nothing measured") << Measured(marks.size()) << std::optional<Offset>()
                                          << QStringLiteral("请至少填入一个十字量得的位置。");
    }
    void offsetFromMeasurements() {
        QFETCH(Measured, measured);
        QFETCH(std::optional<Offset>, expected);
        QFETCH(QString, why);
        QString reason;
        const std::optional<Offset> got =
            PrinterCalibration::offsetFrom(PrinterCalibration::crosshairs(2100, 2970), measured, &reason);
        QCOMPARE(got.has_value(), expected.has_value());
        if (expected) {
            QCOMPARE(got->x, expected->x);
            QCOMPARE(got->y, expected->y);
        }
        QCOMPARE(reason, why);
    }

    void textsOfAnOffset() {
        QCOMPARE(CalibrationMark(0, 0), QString());
        QCOMPARE(CalibrationMark(15, -7), QStringLiteral("已校准 +15/-7"));
        QCOMPARE(CalibrationMark(-3, 0), QStringLiteral("已校准 -3/+0"));
        QCOMPARE(PrinterCalibration::describe(Offset{15, -7}),
                 QStringLiteral("水平 +1.5 毫米（向右），垂直 -0.7 毫米（向上）"));
        QCOMPARE(PrinterCalibration::describe(Offset{-105, 0}),
                 QStringLiteral("水平 -10.5 毫米（向左），垂直 0.0 毫米"));
    }

    // Kept under each printer's name, whatever characters it holds; a page set up for a printer
    // carries its offset, a page for no printer (a PDF) none.
    void keptPerPrinterAndHandedToItsPages() {
        TempAppFolder app;
        Settings::ensureExists();
        const QString odd = QStringLiteral("HP/LaserJet = 2\\办公室");
        QVERIFY(Settings::setPrinterOffset(QStringLiteral("BillPDF"), Offset{15, -7}));
        QVERIFY(Settings::setPrinterOffset(odd, Offset{-3, 4}));
        QCOMPARE(Settings::printerOffset(QStringLiteral("BillPDF")), (Offset{15, -7}));
        QCOMPARE(Settings::printerOffset(odd), (Offset{-3, 4}));
        QCOMPARE(Settings::printerOffset(QStringLiteral("HP")), Offset{});

        CheckPrintDefine def;
        def.width = 1750;
        def.length = 800;
        const PrintJobSetup setup = pageSetupFor(def, QStringLiteral("BillPDF"));
        QCOMPARE(setup.offsetX, 15);
        QCOMPARE(setup.offsetY, -7);
        const PrintJobSetup none = pageSetupFor(def, QString());
        QCOMPARE(none.offsetX, 0);
        QCOMPARE(none.offsetY, 0);

        // 0, 0 removes the entry; a damaged entry is no calibration.
        QVERIFY(Settings::setPrinterOffset(odd, Offset{}));
        QFile file(Settings::file());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("LaserJet"));
        QVERIFY(Settings::setValue(QStringLiteral("PrinterOffset/BillPDF"), QStringLiteral("15;x")));
        QCOMPARE(Settings::printerOffset(QStringLiteral("BillPDF")), Offset{});
        QVERIFY(Settings::setValue(QStringLiteral("PrinterOffset/BillPDF"), QStringLiteral("99999,0")));
        QCOMPARE(Settings::printerOffset(QStringLiteral("BillPDF")), Offset{});
    }
};

QTEST_GUILESS_MAIN(TestPrinterCalibration)
#include "tst_PrinterCalibration.moc"
