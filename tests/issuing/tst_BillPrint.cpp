#include "issuing/BillPicture.h"
#include "issuing/BillPrint.h"
#include "issuing/FilledBill.h"
#include "issuing/PrintFilledBill.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "support/PrintingTools.h"

#include <QGuiApplication>
#include <QPainter>
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

// Texts as one compares them: the font maps some ideographs to their radicals (乙 to ⼄), which
// compatibility normalisation folds back; the yen sign folds with them.
QString folded(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC);
}

// The words of the page, with characters drawn one by one next to each other joined into one word.
QList<Word> pdfWords(const QString& pdf) {
    QProcess proc;
    proc.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    proc.waitForFinished(30000);
    const QString out = QString::fromUtf8(proc.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> words;
    for (auto it = word.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        const Word w{folded(m.captured(5)), m.captured(1).toDouble(), m.captured(2).toDouble(),
                     m.captured(3).toDouble(), m.captured(4).toDouble()};
        if (!words.isEmpty() && qAbs(words.last().yMin - w.yMin) < 0.5 &&
            qAbs(w.xMin - words.last().xMax) < 1.0) {
            words.last().text += w.text;
            words.last().xMax = w.xMax;
        } else {
            words << w;
        }
    }
    return words;
}

int pdfImageCount(const QString& pdf) {
    QProcess proc;
    proc.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    proc.waitForFinished(30000);
    // Two header lines, then one line per image.
    return int(QString::fromUtf8(proc.readAllStandardOutput()).trimmed().split(QLatin1Char('\n')).size()) - 2;
}

// The word holding the text, or an empty word.
Word find(const QList<Word>& words, const QString& text) {
    for (const Word& w : words)
        if (w.text == folded(text))
            return w;
    return Word{QString(), 0, 0, 0, 0};
}

// The bounding box of the dark pixels in an area of the image.
QRect inkIn(const QImage& image, const QRect& area) {
    QRect ink;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

double pt(int dots) {
    return dots * 72.0 / 600.0;
}

TemplateItem item(const char* name, ItemType type, int left, int top, int width, int height, int alignment) {
    TemplateItem it = TemplateItem::newItem(u8(name));
    it.used = true;
    it.type = type;
    it.left = left;
    it.top = top;
    it.width = width;
    it.height = height;
    it.font = u8("宋体-12");
    it.alignment = quint8(alignment);
    it.box = ScreenRect(it, 96);
    return it;
}

// One item of every drawing kind, an empty grid amount and an item that is shown but not printed.
FilledBill bill() {
    FilledBill b;
    b.page.width = 2000;
    b.page.length = 900;
    b.items << item("文本", ItemType::Text, 200, 100, 600, 80, 5)           // flowing, top left
            << item("小写", ItemType::AmountFigures, 1000, 100, 800, 80, 2) // right to left, right
            << item("对格", ItemType::AmountGrid, 1000, 300, 800, 80, 0)    // grid cells from the right
            << item("年月日", ItemType::YearMonthDay, 200, 300, 600, 80, 5) // digit pairs
            << item("空格", ItemType::AmountGrid, 1000, 500, 800, 80, 0)    // empty: nothing at all
            << item("屏显", ItemType::Text, 200, 500, 600, 80, 5);          // not printed
    b.items[3].printSuffix = true;
    b.items[5].printed = false;
    b.values << u8("甲乙丙") << QStringLiteral("1234.5") << QStringLiteral("1234.5")
             << QStringLiteral("150308") << QString() << u8("不打印");
    return b;
}
} // namespace

class TestBillPrint : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString print(const FilledBill& b, const PrintPlacement& place, const QImage& background) {
        const QString file = m_dir.filePath(QStringLiteral("bill%1.pdf").arg(++m_files));
        PrintJobSetup setup;
        setup.paperWidthTenths = b.page.width;
        setup.paperLengthTenths = b.page.length;
        QString error;
        std::unique_ptr<PrintTarget> target = beginPdfJob(file, setup, 600, &error);
        if (!target)
            return QString();
        QPainter painter(target->device());
        PaintFilledBill(painter, b, place, background, 0, false);
        painter.end();
        return target->finish(&error) ? file : QString();
    }

    PrintPlacement placement(int left, int top, bool background = false) {
        PrintPlacement p;
        p.dpiX = p.dpiY = 600;
        p.screenDpi = 96;
        p.leftMargin = left;
        p.topMargin = top;
        p.pageWidth = 2000;
        p.pageLength = 900;
        p.printBackground = background;
        return p;
    }

private slots:
    void initTestCase() {
        Fonts::installSubstitutions();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty())
            SKIP_WITHOUT_PRINTING_TOOLS("poppler-utils are not installed");
        QVERIFY(m_dir.isValid());
    }

    void printRectScalesTheScreenBox() {
        // 200 x 100 tenths at 96 dpi: left 75 - 1, top 37 - 1; 600 wide: right 75 + 226 + 1.
        const TemplateItem it = item("x", ItemType::Text, 200, 100, 600, 80, 0);
        QCOMPARE(it.box, (PixelRect{74, 36, 302, 68}));
        QCOMPARE(PrintRect(it.box, placement(0, 0)), (PixelRect{462, 225, 1887 + 3, 425 + 3}));
        // Margins in printer dots, integer division, may be negative.
        QCOMPARE(PrintRect(it.box, placement(100, -50)),
                 (PixelRect{462 + 236, 225 - 118, 1890 + 236, 428 - 118}));
    }

    void itemsLandAtTheirPositions() {
        const FilledBill b = bill();
        const QList<Word> words = pdfWords(print(b, placement(0, 0), QImage()));
        const PixelRect text = PrintRect(b.items[0].box, placement(0, 0));
        const Word flow = find(words, u8("甲乙丙"));
        QVERIFY2(!flow.text.isEmpty(), "flowing text printed");
        QVERIFY(qAbs(flow.xMin - pt(text.left)) < 1.0);
        QVERIFY(flow.yMin >= pt(text.top) - 1.0 && flow.yMax <= pt(text.bottom) + 1.0);

        const PixelRect amount = PrintRect(b.items[1].box, placement(0, 0));
        const Word figures = find(words, u8("￥1,234.50"));
        QVERIFY2(!figures.text.isEmpty(), "amount in figures printed");
        QVERIFY(qAbs(figures.xMax - pt(amount.right)) < 1.5);

        const PixelRect grid = PrintRect(b.items[2].box, placement(0, 0));
        const Word digits = find(words, u8("￥123450"));
        QVERIFY2(!digits.text.isEmpty(), "grid amount printed");
        QVERIFY(qAbs(digits.xMax - pt(grid.right)) < 1.5);

        const PixelRect pairs = PrintRect(b.items[3].box, placement(0, 0));
        const Word date = find(words, u8("15年03月08日"));
        QVERIFY2(!date.text.isEmpty(), "digit pairs printed with their suffixes");
        QVERIFY(qAbs(date.xMin - pt(pairs.left)) < 1.0);

        // The empty grid amount prints no currency sign, the screen-only item nothing.
        QString all;
        for (const Word& w : words)
            all += w.text;
        QCOMPARE(all.count(folded(u8("￥"))), 2);
        QVERIFY(!all.contains(u8("不打印")));
    }

    void marginsMoveEveryItem() {
        const FilledBill b = bill();
        const QList<Word> plain = pdfWords(print(b, placement(0, 0), QImage()));
        const QList<Word> moved = pdfWords(print(b, placement(127, 254), QImage()));
        // 127 tenths = 300 dots, 254 tenths = 600 dots.
        for (const char* text : {"甲乙丙", "￥1,234.50", "￥123450", "15年03月08日"}) {
            const Word a = find(plain, u8(text));
            const Word m = find(moved, u8(text));
            QVERIFY2(!a.text.isEmpty() && !m.text.isEmpty(), text);
            QVERIFY2(qAbs(m.xMin - a.xMin - pt(300)) < 0.5, text);
            QVERIFY2(qAbs(m.yMin - a.yMin - pt(600)) < 0.5, text);
        }
    }

    void backgroundOnlyWhenTheFlagIsSet() {
        QImage background(200, 90, QImage::Format_RGB32);
        background.fill(QColor(200, 230, 200));
        const FilledBill b = bill();
        QCOMPARE(pdfImageCount(print(b, placement(50, 50, true), background)), 1);
        QCOMPARE(pdfImageCount(print(b, placement(50, 50, false), background)), 0);
        QCOMPARE(pdfImageCount(print(b, placement(50, 50, true), QImage())), 0);
    }

    // A bill's page is previewed at the PDF's resolution; a page far larger than a bill is painted
    // coarser so that its picture stays within about 40 million pixels, however large it claims to be.
    void previewResolutionKeepsLargePagesWithinMemory_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("fullResolution");
        QTest::newRow("cheque") << 2000 << 900 << true;
        QTest::newRow("A4") << 2100 << 2970 << true;
        QTest::newRow("no size") << 0 << 0 << true;
        QTest::newRow("one metre square") << 10000 << 10000 << false;
        QTest::newRow("largest stored size") << 2147483647 << 2147483647 << false;
    }
    void previewResolutionKeepsLargePagesWithinMemory() {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(bool, fullResolution);
        const int dpi = PreviewPaintDpi(width, length);
        QVERIFY(dpi >= 2);
        if (fullResolution)
            QCOMPARE(dpi, kPdfDpi);
        else
            QVERIFY(dpi < kPdfDpi);
        if (dpi > 2)
            QVERIFY(double(width) * dpi / 254 * (double(length) * dpi / 254) <= 40e6);
    }

    // The preview is the print path's page, painted at the PDF's resolution: brought down to 150
    // dpi it puts every text where the PDF of the same bill, rasterised at 150 dpi, has it, within
    // a pixel, with and without background.
    void previewMatchesThePrintedPage_data() {
        QTest::addColumn<bool>("withBackground");
        QTest::newRow("no background") << false;
        QTest::newRow("background") << true;
    }
    void previewMatchesThePrintedPage() {
        QFETCH(bool, withBackground);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            SKIP_WITHOUT_PRINTING_TOOLS("pdftoppm is not installed");
        // Every alignment with and without spacing, and the kinds drawn in their own ways.
        FilledBill b;
        b.page.width = 2000;
        b.page.length = 1500;
        b.page.leftMargin = 35;
        b.page.topMargin = 20;
        b.page.printBackground = withBackground;
        for (int a = 0; a < 9; ++a)
            for (int spaced = 0; spaced < 2; ++spaced) {
                TemplateItem it = item("文本", ItemType::Text, 100 + spaced * 950, 60 + a * 120, 850, 100, a);
                it.spacing = quint16(spaced * 40);
                it.box = ScreenRect(it, 96);
                b.items << it;
                b.values << u8("甲乙12");
            }
        b.items << item("小写", ItemType::AmountFigures, 100, 1200, 800, 80, 2)
                << item("对格", ItemType::AmountGrid, 1050, 1200, 800, 80, 0)
                << item("年月日", ItemType::YearMonthDay, 100, 1330, 600, 80, 5);
        b.values << QStringLiteral("1234.5") << QStringLiteral("1234.5") << QStringLiteral("150308");
        // A light background, which thresholding leaves out, so that only texts count as ink.
        QImage background(400, 300, QImage::Format_RGB32);
        background.fill(QColor(220, 235, 220));

        const QImage page = RenderPrintedPage(b, PrintJobSetup(), kPdfDpi, background, 0, false, 96);
        const QImage preview =
            page.scaled(page.width() / 4, page.height() / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QString pdf = m_dir.filePath(QStringLiteral("preview%1.pdf").arg(withBackground));
        QString error;
        QVERIFY2(WriteBillsPdf(pdf, {PageOfBill{&b, 0}}, background, false, 96, &error), qPrintable(error));
        QProcess proc;
        proc.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                    QStringLiteral("-singlefile"), pdf, pdf});
        QVERIFY(proc.waitForFinished(60000));
        const QImage printed(pdf + QStringLiteral(".png"));
        QVERIFY(!printed.isNull());
        QVERIFY2(qAbs(printed.width() - preview.width()) <= 1 &&
                     qAbs(printed.height() - preview.height()) <= 1,
                 qPrintable(QStringLiteral("%1x%2 against %3x%4")
                                .arg(printed.width())
                                .arg(printed.height())
                                .arg(preview.width())
                                .arg(preview.height())));
        // Both show the background, or neither.
        QCOMPARE(printed.pixelColor(5, 5).red() < 250, withBackground);
        QCOMPARE(preview.pixelColor(5, 5).red() < 250, withBackground);

        PrintPlacement place;
        place.dpiX = place.dpiY = 150;
        place.leftMargin = b.page.leftMargin;
        place.topMargin = b.page.topMargin;
        for (int i = 0; i < b.count(); ++i) {
            const PixelRect r = PrintRect(b.items[i].box, place);
            const QRect area(r.left - 6, r.top - 6, r.right - r.left + 12, r.bottom - r.top + 12);
            const QRect inkPrinted = inkIn(printed, area);
            const QRect inkPreview = inkIn(preview, area);
            QVERIFY2(!inkPreview.isEmpty(), qPrintable(QString::number(i)));
            const auto apart = [](const QRect& x, const QRect& y) {
                return std::max({qAbs(x.left() - y.left()), qAbs(x.top() - y.top()),
                                 qAbs(x.right() - y.right()), qAbs(x.bottom() - y.bottom())});
            };
            QVERIFY2(apart(inkPrinted, inkPreview) <= 1,
                     qPrintable(QStringLiteral(
                                    "item %1 (alignment %2, spacing %3): printed %4,%5 %6x%7, preview %8,%9 "
                                    "%10x%11")
                                    .arg(i)
                                    .arg(b.items[i].alignment)
                                    .arg(b.items[i].spacing)
                                    .arg(inkPrinted.x())
                                    .arg(inkPrinted.y())
                                    .arg(inkPrinted.width())
                                    .arg(inkPrinted.height())
                                    .arg(inkPreview.x())
                                    .arg(inkPreview.y())
                                    .arg(inkPreview.width())
                                    .arg(inkPreview.height())));
        }
    }

    // A printer's calibration moves the whole page, background and texts, by its tenths; at 254
    // dpi one tenth is one pixel. Without calibration nothing moves.
    void calibrationMovesThePage() {
        FilledBill b = bill();
        b.page.printBackground = true;
        QImage background(200, 90, QImage::Format_RGB32);
        background.fill(Qt::white);
        {
            QPainter p(&background);
            p.fillRect(QRect(10, 75, 2, 2), Qt::black); // 100, 750 tenths on the page
        }
        PrintJobSetup plain;
        PrintJobSetup calibrated;
        calibrated.offsetX = 15;
        calibrated.offsetY = -7;
        const QImage a = RenderPrintedPage(b, plain, 254, background, 0, false, 96);
        const QImage m = RenderPrintedPage(b, calibrated, 254, background, 0, false, 96);
        QCOMPARE(m.size(), a.size());
        for (int i : {0, 1, 2, 3}) {
            PrintPlacement place;
            place.dpiX = place.dpiY = 254;
            const PixelRect r = PrintRect(b.items[i].box, place);
            const QRect area(r.left - 30, r.top - 30, r.right - r.left + 60, r.bottom - r.top + 60);
            const QRect inkA = inkIn(a, area);
            QVERIFY(!inkA.isEmpty());
            QCOMPARE(inkIn(m, area), inkA.translated(15, -7));
        }
        // The square of the background moves with them.
        QCOMPARE(inkIn(a, QRect(50, 700, 150, 150)), QRect(100, 750, 20, 20));
        QCOMPARE(inkIn(m, QRect(50, 700, 150, 150)), QRect(115, 743, 20, 20));
    }

    // 导出PDF and the command line's PDF put the texts where the print path puts them on a printer
    // of the same resolution, and keep them text.
    void exportedPdfHasThePrintedGeometry() {
        FilledBill b = bill();
        b.page.leftMargin = 127;
        b.page.topMargin = 254;
        const QString pdf = m_dir.filePath(QStringLiteral("export.pdf"));
        QString error;
        QVERIFY2(WriteBillsPdf(pdf, {PageOfBill{&b, 0}}, QImage(), false, 96, &error), qPrintable(error));
        const QList<Word> exported = pdfWords(pdf);
        const QList<Word> printed = pdfWords(print(b, placement(127, 254), QImage()));
        for (const char* text : {"甲乙丙", "￥1,234.50", "￥123450", "15年03月08日"}) {
            const Word e = find(exported, u8(text));
            const Word p = find(printed, u8(text));
            QVERIFY2(!e.text.isEmpty() && !p.text.isEmpty(), text);
            QVERIFY2(qAbs(e.xMin - p.xMin) < 0.1 && qAbs(e.yMin - p.yMin) < 0.1, text);
        }
        QVERIFY(!QFile::exists(pdf + QStringLiteral(".part")));
    }

    void screenShowsEveryPrintedValue() {
        // An item at the left edge of the picture is drawn too.
        FilledBill b;
        b.page.width = 1000;
        b.page.length = 400;
        b.items << item("边", ItemType::Text, 0, 100, 400, 80, 5);
        b.values << u8("甲乙");
        QCOMPARE(b.items[0].box.left, 0);
        BillPicture picture;
        picture.build(b, 96);
        const QImage shown = picture.withValues(b, 0, false);
        int blue = 0;
        for (int y = b.items[0].box.top; y < b.items[0].box.bottom; ++y)
            for (int x = 0; x < 40; ++x)
                blue += shown.pixelColor(x, y).blue() > 200 && shown.pixelColor(x, y).red() < 100;
        QVERIFY(blue > 10);
    }
};

QTEST_MAIN(TestBillPrint)
#include "tst_BillPrint.moc"
