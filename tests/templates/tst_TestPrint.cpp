#include "issuing/PrintJob.h"
#include "platform/Fonts.h"
#include "support/PrintingTools.h"
#include "templates/PageParameters.h"
#include "templates/TestPrint.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;
};

struct PdfText {
    double pageWidth = 0;
    double pageHeight = 0;
    QList<Word> words;

    // Words made of the given characters only (a run of one kind of text).
    QList<Word> wordsOf(const QString& chars) const {
        QList<Word> out;
        for (const Word& w : words) {
            bool all = !w.text.isEmpty();
            for (const QChar c : w.text)
                all = all && chars.contains(c);
            if (all)
                out << w;
        }
        return out;
    }
    QString all() const {
        QString s;
        for (const Word& w : words)
            s += w.text;
        return s;
    }
};

PdfText readPdf(const QString& pdf) {
    PdfText result;
    QProcess proc;
    proc.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!proc.waitForFinished(30000))
        return result;
    const QString out = QString::fromUtf8(proc.readAllStandardOutput());
    static const QRegularExpression page(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""));
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    const auto p = page.match(out);
    if (p.hasMatch()) {
        result.pageWidth = p.captured(1).toDouble();
        result.pageHeight = p.captured(2).toDouble();
    }
    for (auto it = word.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        result.words << Word{m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                             m.captured(3).toDouble(), m.captured(4).toDouble()};
    }
    return result;
}

TemplateItem item(const char* name, ItemType type, int left, int top, int width, int height) {
    TemplateItem it = TemplateItem::newItem(u8(name));
    it.used = true;
    it.type = type;
    it.left = left;
    it.top = top;
    it.width = width;
    it.height = height;
    it.font = u8("宋体-12");
    return it;
}

// Points on the page of a length in dots at 600 dpi.
double pt(int dots) {
    return dots * 72.0 / 600.0;
}

} // namespace

class TestTestPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        Fonts::installSubstitutions();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            SKIP_WITHOUT_PRINTING_TOOLS("pdftotext is not installed");
    }
    void init() {
        QVERIFY(m_dir.isValid());
        m_printing = new PdfPrinting(m_dir.path(), 600);
        Printing::install(std::unique_ptr<Printing>(m_printing));
    }

    void printerChoice_data();
    void printerChoice();
    void pageFollowsDirection_data();
    void pageFollowsDirection();
    void itemsStandWhereTheTemplatePutsThem();
    void fillTextWrapsInsideTheBox();
    void backgroundStartsAtThePaperCorner_data();
    void backgroundStartsAtThePaperCorner();
    void badFontStopsBeforePrinting();
    void calibratedPrinterMovesAndMarksThePage();

private:
    QTemporaryDir m_dir;
    PdfPrinting* m_printing = nullptr;
};

void TestTestPrint::printerChoice_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("printer");
    const QStringList two{u8("甲"), u8("乙")};
    QTest::newRow("saved and installed") << two << u8("乙") << int(PrinterChoice::Chosen) << u8("乙");
    QTest::newRow("saved but removed, several")
        << two << u8("丙") << int(PrinterChoice::AskOperator) << QString();
    QTest::newRow("saved but removed, one")
        << QStringList{u8("甲")} << u8("丙") << int(PrinterChoice::Chosen) << u8("甲");
    QTest::newRow("none saved, one") << QStringList{u8("甲")} << QString() << int(PrinterChoice::Chosen)
                                     << u8("甲");
    QTest::newRow("none saved, several") << two << QString() << int(PrinterChoice::AskOperator) << QString();
    QTest::newRow("no printer") << QStringList() << u8("甲") << int(PrinterChoice::NoPrinter) << QString();
}

void TestTestPrint::printerChoice() {
    QFETCH(QStringList, installed);
    QFETCH(QString, saved);
    QFETCH(int, outcome);
    QFETCH(QString, printer);
    const PrinterChoice c = choosePrinter(installed, saved);
    QCOMPARE(int(c.outcome), outcome);
    QCOMPARE(c.printer, printer);
}

void TestTestPrint::pageFollowsDirection_data() {
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("paperWidth");
    QTest::addColumn<int>("paperLength");
    QTest::newRow("横向打印") << 0 << false << 2000 << 900;
    QTest::newRow("纵向打印") << 1 << true << 900 << 2000;
}

// Either way the printed page is the bill's width across and its length down.
void TestTestPrint::pageFollowsDirection() {
    QFETCH(int, direction);
    QFETCH(bool, landscape);
    QFETCH(int, paperWidth);
    QFETCH(int, paperLength);
    PageParameters page;
    page.width = 2000;
    page.length = 900;
    page.direction = direction;
    page.billName = u8("转账支票");
    CheckPrintDefine def = CheckPrintDefine::fromPage(page);
    QCOMPARE(def.landscape, landscape);
    const PrintJobSetup setup = pageSetupFor(def, u8("PDF"));
    QCOMPARE(setup.landscape, landscape);
    QCOMPARE(setup.paperWidthTenths, paperWidth);
    QCOMPARE(setup.paperLengthTenths, paperLength);

    def.items << item("户名", ItemType::Text, 100, 100, 400, 60);
    QString error;
    QVERIFY2(TestPrintTemplate(def, QImage(), 96, setup, &error), qPrintable(error));
    QCOMPARE(def.dpiX, 600);
    QCOMPARE(def.dpiY, 600);
    const PdfText pdf = readPdf(m_printing->lastFile());
    QVERIFY(qAbs(pdf.pageWidth - 200.0 / 25.4 * 72) < 1.0);
    QVERIFY(qAbs(pdf.pageHeight - 90.0 / 25.4 * 72) < 1.0);
}

// A flowing text starts at the box's left edge plus the margin; a year in figures ends at the
// box's right edge and stands on its bottom; an item that is not printed is left out.
void TestTestPrint::itemsStandWhereTheTemplatePutsThem() {
    CheckPrintDefine def;
    def.width = 2000;
    def.length = 900;
    def.leftMargin = 50;
    def.topMargin = 30;
    def.billName = u8("测试");
    def.items << item("户名", ItemType::Text, 200, 100, 400, 50);
    def.items << item("年", ItemType::Year, 1000, 300, 300, 60);
    TemplateItem hidden = item("号码", ItemType::DigitGrid, 100, 500, 1500, 60);
    hidden.printed = false;
    def.items << hidden;
    QString error;
    QVERIFY2(TestPrintTemplate(def, QImage(), 96, pageSetupFor(def, u8("PDF")), &error), qPrintable(error));

    const PdfText pdf = readPdf(m_printing->lastFile());
    // Dots at 600 dpi: margins 118 and 70, text box left 472 and top 236.
    const QList<Word> fill = pdf.wordsOf(u8("测试打印"));
    QVERIFY2(!fill.isEmpty(), qPrintable(pdf.all()));
    double left = 1e9;
    double top = 1e9;
    for (const Word& w : fill) {
        left = std::min(left, w.xMin);
        top = std::min(top, w.yMin);
    }
    QVERIFY2(qAbs(left - pt(118 + 472)) < 0.5, qPrintable(QString::number(left)));
    QVERIFY2(top >= pt(70 + 236) - 1.0 && top < pt(70 + 236) + 4.0, qPrintable(QString::number(top)));

    // The figures are drawn one by one; the reader may take each for a word.
    const QList<Word> year = pdf.wordsOf(u8("0123456789"));
    QString figures;
    double right = 0;
    double bottom = 0;
    for (const Word& w : year) {
        figures += w.text;
        right = std::max(right, w.xMax);
        bottom = std::max(bottom, w.yMax);
    }
    QCOMPARE(figures, u8("2007"));
    // Box right 118 + 2362 + 708 dots, bottom 70 + 708 + 141.
    QVERIFY2(qAbs(right - pt(3188)) < 1.5, qPrintable(QString::number(right)));
    QVERIFY2(bottom <= pt(919) + 0.5 && bottom > pt(919) - 4.0, qPrintable(QString::number(bottom)));
    QVERIFY(!pdf.all().contains(u8("1234")));
}

// A 文本 item 20 mm wide and 5 mm high is filled with 测试打印 wrapping inside the box.
void TestTestPrint::fillTextWrapsInsideTheBox() {
    CheckPrintDefine def;
    def.width = 1000;
    def.length = 500;
    TemplateItem purpose = item("用途", ItemType::Text, 100, 100, 200, 50);
    purpose.font = u8("宋体-9");
    def.items << purpose;
    QString error;
    QVERIFY2(TestPrintTemplate(def, QImage(), 96, pageSetupFor(def, u8("PDF")), &error), qPrintable(error));
    const QList<Word> fill = readPdf(m_printing->lastFile()).wordsOf(u8("测试打印"));
    QVERIFY(!fill.isEmpty());
    QSet<int> lines;
    int characters = 0;
    for (const Word& w : fill) {
        QVERIFY2(w.xMin >= pt(236) - 0.5 && w.xMax <= pt(236 + 472) + 0.5, qPrintable(w.text));
        lines << qRound(w.yMin);
        characters += w.text.size();
    }
    QVERIFY2(lines.size() >= 2, qPrintable(QString::number(lines.size())));
    QVERIFY(characters >= 8);
}

void TestTestPrint::backgroundStartsAtThePaperCorner_data() {
    QTest::addColumn<bool>("printBackground");
    QTest::newRow("打印背景") << true;
    QTest::newRow("no background") << false;
}

// The picture is laid from the paper's corner, not at the margins; without the flag it is left out.
void TestTestPrint::backgroundStartsAtThePaperCorner() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        SKIP_WITHOUT_PRINTING_TOOLS("pdftoppm is not installed");
    QFETCH(bool, printBackground);
    CheckPrintDefine def;
    def.width = 1000;
    def.length = 500;
    def.leftMargin = 100;
    def.topMargin = 100;
    def.printBackground = printBackground;
    QImage background(377, 188, QImage::Format_RGB32);
    background.fill(Qt::blue);
    QString error;
    QVERIFY2(TestPrintTemplate(def, background, 96, pageSetupFor(def, u8("PDF")), &error), qPrintable(error));
    const QString png = m_dir.filePath(QStringLiteral("page"));
    QProcess proc;
    proc.start(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                QStringLiteral("-singlefile"), m_printing->lastFile(), png});
    QVERIFY(proc.waitForFinished(30000));
    const QImage page(png + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    const QColor corner = page.pixelColor(3, 3);
    const QColor farEnd = page.pixelColor(370, 180);
    if (printBackground) {
        QVERIFY2(corner.blue() > 240 && corner.red() < 16 && corner.green() < 16, qPrintable(corner.name()));
        QVERIFY2(farEnd.blue() > 240 && farEnd.red() < 16 && farEnd.green() < 16, qPrintable(farEnd.name()));
    } else {
        QCOMPARE(corner, QColor(Qt::white));
    }
}

void TestTestPrint::badFontStopsBeforePrinting() {
    CheckPrintDefine def;
    def.width = 1000;
    def.length = 500;
    TemplateItem bad = item("户名", ItemType::Text, 0, 0, 100, 50);
    bad.font = u8("宋体-九");
    def.items << bad;
    QString error;
    QVERIFY(!TestPrintTemplate(def, QImage(), 96, pageSetupFor(def, u8("PDF")), &error));
    QVERIFY(error.contains(u8("九")));
    QVERIFY(m_printing->lastFile().isEmpty());
}

// The printer's calibration moves the test print, which says so in its corner.
void TestTestPrint::calibratedPrinterMovesAndMarksThePage() {
    CheckPrintDefine def;
    def.width = 2000;
    def.length = 900;
    def.billName = u8("测试");
    def.items << item("年", ItemType::Year, 1000, 300, 300, 60);
    PrintJobSetup setup = pageSetupFor(def, u8("PDF"));
    QString error;
    QVERIFY2(TestPrintTemplate(def, QImage(), 96, setup, &error), qPrintable(error));
    const PdfText plain = readPdf(m_printing->lastFile());
    setup.offsetX = 15;
    setup.offsetY = -7;
    QVERIFY2(TestPrintTemplate(def, QImage(), 96, setup, &error), qPrintable(error));
    const PdfText moved = readPdf(m_printing->lastFile());
    QVERIFY(!plain.all().contains(u8("已校准")));
    QVERIFY2(moved.all().contains(u8("已校准+15/-7")), qPrintable(moved.all()));
    const QList<Word> a = plain.wordsOf(u8("0123456789"));
    const QList<Word> m = moved.wordsOf(u8("0123456789"));
    QVERIFY(!a.isEmpty() && a.size() == m.size());
    QVERIFY(qAbs(m.first().xMin - a.first().xMin - 1.5 * 72 / 25.4) < 0.2);
    QVERIFY(qAbs(m.first().yMin - a.first().yMin + 0.7 * 72 / 25.4) < 0.2);
}

QTEST_MAIN(TestTestPrint)
#include "tst_TestPrint.moc"
