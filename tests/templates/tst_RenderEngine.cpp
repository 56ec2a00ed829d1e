#include "CharacterwiseDrawing.h"
#include "platform/Fonts.h"
#include "support/PrintingTools.h"
#include "templates/RenderEngine.h"
#include "templates/TemplateError.h"
#include "templates/TextAlignment.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// A canvas of any resolution that records where each text was drawn, so that geometry is checked
// by numbers rather than by pixels.
class RecordingEngine : public QPaintEngine {
public:
    struct Text {
        QString text;
        double left;
        double baseline;
    };
    QList<Text> texts;
    QList<QLineF> lines;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        texts << Text{item.text(), p.x(), p.y()};
    }
    void drawLines(const QLineF* l, int count) override {
        for (int i = 0; i < count; ++i)
            lines << l[i];
    }
    void drawLines(const QLine* l, int count) override {
        for (int i = 0; i < count; ++i)
            lines << QLineF(l[i]);
    }
    Type type() const override { return User; }
};

class RecordingDevice : public QPaintDevice {
public:
    explicit RecordingDevice(int dpi) : m_dpi(dpi) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    RecordingEngine& engine() { return m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return 10000;
        case PdmWidthMM:
        case PdmHeightMM:
            return 10000 * 254 / m_dpi / 10;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }

private:
    int m_dpi;
    mutable RecordingEngine m_engine;
};

// A painter on a recording device with a font text set.
struct Canvas {
    explicit Canvas(int dpi, const QString& font = u8("宋体-12")) : device(dpi), painter(&device) {
        SetCanvasFont(painter, font);
    }
    QList<RecordingEngine::Text>& texts() { return device.engine().texts; }
    double width(const QString& s) {
        return qRound(QFontMetricsF(painter.font(), &device).horizontalAdvance(s));
    }
    int height() { return qRound(QFontMetricsF(painter.font(), &device).height()); }
    double top(const RecordingEngine::Text& t) {
        return t.baseline - QFontMetricsF(painter.font(), &device).ascent();
    }
    RecordingDevice device;
    QPainter painter;
};

TemplateItem itemWith(int alignment, ItemType type = ItemType::Text, int spacing = 0) {
    TemplateItem item = TemplateItem::newItem(u8("项"));
    item.alignment = static_cast<quint8>(alignment);
    item.type = type;
    item.spacing = static_cast<quint16>(spacing);
    return item;
}

} // namespace

class TestRenderEngine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::installSubstitutions(); }

    void fontFromText_data();
    void fontFromText();
    void fontTextRoundTrip();
    void textAdvanceWithAndWithoutSpacing();
    void itemPixelBox_data();
    void itemPixelBox();
    void alignTextRect_data();
    void alignTextRect();
    void alignTextRectCountsWrappedLines();
    void wrapToBox();
    void flowTextInBoxNarrowerThanCharacter();
    void flowTextSpreadsLinesToBottom();
    void reverseTextEndsAtRightEdgeWithPrefixBefore();
    void gridAmountOneFigurePerCell();
    void digitPairs_data();
    void digitPairs();
    void previewItemFrames_data();
    void previewItemFrames();
    void sameGeometryOnPdfPage();
    void sameImageAsCharacterwiseDrawing_data();
    void sameImageAsCharacterwiseDrawing();
};

void TestRenderEngine::fontFromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("styles"); // b i u s
    QTest::newRow("new item") << u8("宋体-9") << u8("宋体") << 9 << QString();
    QTest::newRow("empty size keeps the size") << u8("宋体--粗体") << u8("宋体") << 15 << u8("b");
    QTest::newRow("face only") << u8("楷体") << u8("楷体") << 15 << QString();
    QTest::newRow("no face") << u8("-10") << u8("Start") << 10 << QString();
    QTest::newRow("all styles") << u8("黑体-12-粗斜体-下划线-删除线") << u8("黑体") << 12 << u8("bius");
    QTest::newRow("unknown words ignored") << u8("黑体-12-花体-斜体") << u8("黑体") << 12 << u8("i");
}

void TestRenderEngine::fontFromText() {
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(int, size);
    QFETCH(QString, styles);
    QFont font(u8("Start"));
    font.setPointSize(15);
    FontFromText(text, font);
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pointSize(), size);
    QCOMPARE(font.bold(), styles.contains(QLatin1Char('b')));
    QCOMPARE(font.italic(), styles.contains(QLatin1Char('i')));
    QCOMPARE(font.underline(), styles.contains(QLatin1Char('u')));
    QCOMPARE(font.strikeOut(), styles.contains(QLatin1Char('s')));
}

void TestRenderEngine::fontTextRoundTrip() {
    for (const char* text :
         {"宋体-9", "黑体-12-粗斜体-下划线-删除线", "楷体-14-斜体", "仿宋-10-粗体-删除线"}) {
        QFont font;
        FontFromText(u8(text), font);
        QCOMPARE(FontToText(font), u8(text));
    }
    QFont font;
    QVERIFY_THROWS_EXCEPTION(TemplateError, FontFromText(u8("宋体-九"), font));
}

void TestRenderEngine::textAdvanceWithAndWithoutSpacing() {
    Canvas c(96);
    const QString text = u8("Can$1,1");
    QCOMPARE(TextAdvance(0, c.painter, 96, text).width, c.width(text));
    QCOMPARE(TextAdvance(0, c.painter, 96, text).spacing, 0.0);
    // 254 tenths of a millimetre are one inch: 96 pixels after every character.
    const Advance a = TextAdvance(254, c.painter, 96, text);
    QCOMPARE(a.spacing, 96.0);
    double sum = 0;
    for (const QChar ch : text)
        sum += c.width(QString(ch)) + 96.0;
    QCOMPARE(a.width, sum);
}

void TestRenderEngine::itemPixelBox_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("dpiX");
    QTest::addColumn<int>("dpiY");
    QTest::addColumn<QRect>("expected"); // left, top, width, height in pixels
    QTest::newRow("one inch at 96 dpi") << 0 << 0 << 254 << 254 << 96 << 96 << QRect(0, 0, 96, 96);
    QTest::newRow("one inch at 600 dpi")
        << 254 << 254 << 254 << 254 << 600 << 600 << QRect(600, 600, 600, 600);
    QTest::newRow("fractions round up") << 10 << 1 << 100 << 3 << 96 << 96 << QRect(4, 1, 38, 2);
    QTest::newRow("negative position") << -10 << -254 << 20 << 20 << 96 << 96 << QRect(-3, -96, 8, 8);
    QTest::newRow("own resolution per axis")
        << 127 << 127 << 254 << 254 << 96 << 600 << QRect(48, 300, 96, 600);
}

void TestRenderEngine::itemPixelBox() {
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, dpiX);
    QFETCH(int, dpiY);
    QFETCH(QRect, expected);
    TemplateItem item = itemWith(0);
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = height;
    const PixelRect box = ItemPixelBox(item, dpiX, dpiY);
    QCOMPARE(box.left, expected.left());
    QCOMPARE(box.top, expected.top());
    QCOMPARE(box.width(), expected.width());
    QCOMPARE(box.height(), expected.height());
}

void TestRenderEngine::alignTextRect_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("horizontal");
    QTest::addColumn<QString>("vertical");
    const char* h[] = {"centre", "left", "right", "centre", "centre", "left", "right", "left", "right"};
    const char* v[] = {"centre", "centre", "centre", "top", "bottom", "top", "top", "bottom", "bottom"};
    for (int a = 0; a < 9; ++a)
        QTest::newRow(qPrintable(TextAlignment::text(a))) << a << u8(h[a]) << u8(v[a]);
}

void TestRenderEngine::alignTextRect() {
    QFETCH(int, alignment);
    QFETCH(QString, horizontal);
    QFETCH(QString, vertical);
    Canvas c(96);
    const PixelRect box{20, 30, 221, 131};
    const QString text = u8("中国");
    const int W = c.width(text) + 1;
    const int H = c.height();
    const PixelRect r = AlignTextRect(itemWith(alignment), 96, text, box, c.painter);
    QCOMPARE(r.width(), W);
    QCOMPARE(r.height(), H);
    if (horizontal == u8("left"))
        QCOMPARE(r.left, box.left);
    else if (horizontal == u8("right"))
        QCOMPARE(r.right, box.right);
    else
        QVERIFY(qAbs((r.left - box.left) - (box.right - r.right)) <= 1);
    if (vertical == u8("top"))
        QCOMPARE(r.top, box.top);
    else if (vertical == u8("bottom"))
        QCOMPARE(r.bottom, box.bottom);
    else
        QVERIFY(qAbs((r.top - box.top) - (box.bottom - r.bottom)) <= 1);
}

void TestRenderEngine::alignTextRectCountsWrappedLines() {
    Canvas c(96);
    const int h = c.height();
    const PixelRect box{0, 0, static_cast<int>(c.width(u8("中国"))), 200};
    // Four characters in a box two wide: two lines high, two characters wide.
    PixelRect r = AlignTextRect(itemWith(1), 96, u8("中国人民"), box, c.painter);
    QCOMPARE(r.height(), 2 * h);
    QCOMPARE(r.width(), box.width());
    // Two lines aligned to the bottom span the box: DrawFlowText spreads them.
    r = AlignTextRect(itemWith(4), 96, u8("中\r\n国"), box, c.painter);
    QCOMPARE(r.top, box.top);
    QCOMPARE(r.bottom, box.bottom);
    // Clipped to a box smaller than the text.
    const PixelRect small{0, 0, 5, 5};
    r = AlignTextRect(itemWith(5), 96, u8("中国"), small, c.painter);
    QCOMPARE(r.right, small.right);
    QCOMPARE(r.bottom, small.bottom);
}

void TestRenderEngine::wrapToBox() {
    Canvas c(96);
    const int w = static_cast<int>(c.width(u8("中")));
    const TemplateItem item = itemWith(0);
    QCOMPARE(WrapToBox(item, 96, u8("中国人民\n万岁"), PixelRect{0, 0, 2 * w + w / 2, 50}, c.painter),
             u8("中国\r\n人民\r\n万岁\r\n\r\n"));
    QCOMPARE(WrapToBox(item, 96, u8("中国"), PixelRect{0, 0, 3, 50}, c.painter), u8("中\r\n国\r\n\r\n"));
}

void TestRenderEngine::flowTextInBoxNarrowerThanCharacter() {
    Canvas c(96);
    const int step = c.height();
    const PixelRect r{10, 10, 15, 10 + 2 * step};
    DrawFlowText(c.painter, u8("  中国人民 "), 5, 96, 0, r);
    // Wraps before every character; the first lands one line down, at the left edge; the third
    // would start below the bottom and ends the drawing.
    QCOMPARE(c.texts().size(), 2);
    QCOMPARE(c.texts().at(0).text, u8("中"));
    QCOMPARE(c.texts().at(0).left, 10.0);
    QCOMPARE(c.top(c.texts().at(0)), 10.0 + step);
    QCOMPARE(c.top(c.texts().at(1)), 10.0 + 2 * step);
}

void TestRenderEngine::flowTextSpreadsLinesToBottom() {
    Canvas c(96);
    const int L = c.height();
    const PixelRect r{0, 0, 300, 100};
    DrawFlowText(c.painter, u8("甲\r\n乙"), 4, 96, 0, r);
    QCOMPARE(c.texts().size(), 2);
    const int step = 100 / 2;
    QCOMPARE(c.top(c.texts().at(0)), double(step - L));
    QCOMPARE(c.top(c.texts().at(1)) + L, double(r.bottom));
    c.texts().clear();
    // Three lines in a box one line high: the rest is cut off at the bottom, even across breaks.
    DrawFlowText(c.painter, u8("甲\r\n乙\r\n丙"), 5, 96, 0, PixelRect{0, 0, 300, L / 2});
    QCOMPARE(c.texts().size(), 1);
}

void TestRenderEngine::reverseTextEndsAtRightEdgeWithPrefixBefore() {
    Canvas c(96);
    const PixelRect r{0, 0, 200, 50};
    DrawReverseText(c.painter, u8("12345"), u8("US$"), 1, 96, 0, r);
    QCOMPARE(c.texts().size(), 6);
    const auto last = c.texts().at(0); // drawn first, from the right
    QCOMPARE(last.text, u8("5"));
    QVERIFY(qAbs(last.left + c.width(u8("5")) - r.right) < 1.0);
    QCOMPARE(c.top(last) + c.height(), double(r.bottom));
    const auto first = c.texts().at(4);
    QCOMPARE(first.text, u8("1"));
    const auto prefix = c.texts().at(5);
    QCOMPARE(prefix.text, u8("US$"));
    QVERIFY(qAbs(prefix.left + c.width(u8("US$")) - first.left) <= 1.0);
    QCOMPARE(c.top(prefix), c.top(first));

    // In a box too narrow for the figures the text wraps upwards and whatever passes the top edge
    // is not drawn, the prefix neither.
    c.texts().clear();
    const int w = static_cast<int>(c.width(u8("5")));
    DrawReverseText(c.painter, u8("12345"), u8("US$"), 1, 96, 0, PixelRect{0, 0, 2 * w, c.height() * 2 - 1});
    QCOMPARE(c.texts().size(), 4);
    QCOMPARE(c.texts().at(3).text, u8("2"));
}

void TestRenderEngine::gridAmountOneFigurePerCell() {
    // At 254 dpi one tenth of a millimetre is one pixel: the spacing makes a cell pitch of digit
    // width + spacing. Cells only line up with a font whose figures have one width.
    Canvas c(254, u8("Noto Sans Mono CJK SC-10"));
    const int spacing = 30;
    const double pitch = c.width(u8("0")) + spacing;
    const PixelRect r{0, 0, 1000, 100};
    const QString digits = u8("2391234567899");
    DrawGridAmount(c.painter, u8("Can$") + digits, 0, 254, spacing, r);
    QCOMPARE(c.texts().size(), digits.size() + 1);
    QSet<int> cells;
    for (int k = 0; k < digits.size(); ++k) {
        const auto& t = c.texts().at(k);
        QCOMPARE(t.text, QString(digits.at(digits.size() - 1 - k)));
        // Counted from the right edge, the k-th figure sits inside the k-th cell.
        const int cell = static_cast<int>((r.right - t.left) / pitch);
        QCOMPARE(cell, k);
        cells << cell;
    }
    QCOMPARE(cells.size(), digits.size());
    const auto& sign = c.texts().last();
    QCOMPARE(sign.text, u8("Can$"));
    // The sign ends where the cell of the first figure begins (the figure itself is centred in
    // its cell by half the spacing).
    const double firstCell = c.texts().at(digits.size() - 1).left - spacing / 2;
    QVERIFY(qAbs(sign.left + c.width(u8("Can$")) - firstCell) <= 1.0);
    QVERIFY(qAbs(firstCell - (r.right - digits.size() * pitch)) <= 1.0);
}

void TestRenderEngine::digitPairs_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("suffix");
    QTest::addColumn<QStringList>("units");
    QTest::newRow("年月日 with suffixes")
        << 25 << u8("991231") << true << QStringList{u8("99年"), u8("12月"), u8("31日")};
    QTest::newRow("年月日 without") << 25 << u8("991231") << false
                                    << QStringList{u8("99"), u8("12"), u8("31")};
    QTest::newRow("月日时分") << 24 << u8(" 12312359 ") << true
                              << QStringList{u8("12月"), u8("31日"), u8("23时"), u8("59分")};
    QTest::newRow("more groups than suffixes")
        << 25 << u8("99123101") << true << QStringList{u8("99年"), u8("12月"), u8("31日"), u8("01")};
}

void TestRenderEngine::digitPairs() {
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(bool, suffix);
    QFETCH(QStringList, units);
    Canvas c(96);
    const int spacing = 10;
    const double e = spacing * 96 / 254.0;
    const PixelRect r{5, 7, 1000, 100};
    DrawDigitPairs(c.painter, text, DigitPairSuffixes(static_cast<ItemType>(type)), suffix, 1, 96, spacing,
                   r);
    QCOMPARE(c.texts().size(), units.size());
    double x = r.left;
    for (int k = 0; k < units.size(); ++k) {
        QCOMPARE(c.texts().at(k).text, units.at(k));
        QCOMPARE(c.texts().at(k).left, double(int(x)));
        QCOMPARE(c.top(c.texts().at(k)), double(r.top));
        x += c.width(units.at(k)) + e;
    }
}

void TestRenderEngine::previewItemFrames_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("margin");
    QTest::newRow("printed text item, red") << 0 << true << true << 0;
    QTest::newRow("input-only amount, green") << 8 << false << true << 1;
    QTest::newRow("grid amount") << 9 << true << false << 1;
    QTest::newRow("neither printed nor shown") << 0 << false << false << -1;
}

void TestRenderEngine::previewItemFrames() {
    QFETCH(int, type);
    QFETCH(bool, printed);
    QFETCH(bool, shown);
    QFETCH(int, margin);
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    TemplateItem item = itemWith(0, static_cast<ItemType>(type));
    item.left = 100;
    item.top = 100;
    item.width = 500;
    item.height = 200;
    item.printed = printed;
    item.showInput = shown;
    {
        QPainter p(&image);
        PreviewItem(item, p, 96);
    }
    const PixelRect box = ItemPixelBox(item, 96, 96);
    if (margin < 0) {
        QCOMPARE(item.box, PixelRect());
        QCOMPARE(image.pixelColor(box.left, box.top), QColor(Qt::white));
        return;
    }
    QCOMPARE(item.box, box.adjusted(margin));
    if (type == 9)
        QCOMPARE(item.textRect, box);
    const QColor colour = printed ? QColor(255, 0, 0) : QColor(0, 255, 0);
    QCOMPARE(image.pixelColor(item.box.left, item.box.top), colour);
    QCOMPARE(image.pixelColor(item.box.right, item.box.bottom), colour);
    QCOMPARE(image.pixelColor(item.box.left, (item.box.top + item.box.bottom) / 2), colour);
    QCOMPARE(image.pixelColor(item.box.left + 1, item.box.top + 1).red(), 255); // inside: no frame
}

// The printer path: a 600 dpi PDF page read back with pdftotext. A figures amount drawn right to
// left ends at the item's right edge and stands on its bottom edge.
void TestRenderEngine::sameGeometryOnPdfPage() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        SKIP_WITHOUT_PRINTING_TOOLS("pdftotext is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("item.pdf"));
    TemplateItem item = itemWith(8, ItemType::AmountFigures);
    item.left = 254;
    item.top = 254;
    item.width = 508;
    item.height = 127;
    item.font = u8("宋体-12");
    const int dpi = 600;
    {
        QPdfWriter writer(pdf);
        writer.setResolution(dpi);
        writer.setPageSize(QPageSize(QSizeF(100, 100), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p(&writer);
        const PixelRect box = ItemPixelBox(item, dpi, dpi);
        QCOMPARE(box, (PixelRect{600, 600, 1800, 900}));
        DrawItemValue(p, item, u8("￥1,234.50"), box, dpi);
    }
    QProcess proc;
    proc.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QVERIFY(proc.waitForFinished(30000));
    const QString out = QString::fromUtf8(proc.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    // Characters are drawn one by one; the reader may take them as several words.
    QString text;
    double xMin = 1e9;
    double xMax = 0;
    double yMax = 0;
    for (auto it = word.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        text += m.captured(5);
        xMin = std::min(xMin, m.captured(1).toDouble());
        xMax = std::max(xMax, m.captured(3).toDouble());
        yMax = std::max(yMax, m.captured(4).toDouble());
    }
    QCOMPARE(text, u8("￥1,234.50"));
    // Points: the box spans 72 to 216 pt across and ends at 108 pt down (600 dpi pixels * 72 / 600).
    QVERIFY2(qAbs(xMax - 216.0) < 1.5, qPrintable(out));
    QVERIFY2(xMin > 72.0, qPrintable(out));
    QVERIFY2(yMax <= 108.5 && yMax > 100.0, qPrintable(out));
}

QTEST_MAIN(TestRenderEngine)
#include "tst_RenderEngine.moc"

// Measuring is cached and characters are drawn in runs; the pictures must stay exactly those of
// measuring and drawing one character at a time, for every kind, alignment and spacing.
void TestRenderEngine::sameImageAsCharacterwiseDrawing_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("spacing");
    struct Kind {
        const char* name;
        ItemType type;
        const char* font;
        const char* text;
        int width;
        int height;
    };
    const Kind kinds[] = {
        {"text", ItemType::Text, "宋体-12", "中国农业银行 Beijing 分行No.7", 400, 120},
        {"wrapped lines", ItemType::Purpose, "黑体-10-粗体", "货款\r\n第二行 mixed 文字 to wrap around", 250,
         150},
        {"capital amount", ItemType::AmountCapital, "楷体-11", "人民币壹仟贰佰叁拾肆元伍角陆分", 300, 90},
        {"figures", ItemType::AmountFigures, "宋体-9", "Can$23,912,345,678.99", 330, 60},
        {"grid", ItemType::AmountGrid, "宋体-14", "¥2391234567899", 400, 60},
        {"digit grid", ItemType::DigitGrid, "仿宋-10", "12345678901234567890", 500, 60},
        {"year month day", ItemType::YearMonthDay, "宋体-12", "991231", 300, 60},
        {"month day time", ItemType::MonthDayTime, "宋体-12-斜体", "12312359", 250, 90},
        {"check box", ItemType::CheckBox, "宋体-12", "√", 60, 40},
        {"underlined", ItemType::Text, "宋体-12-下划线-删除线", "划线 text", 300, 60},
        {"narrow", ItemType::Text, "宋体-20", "宽字", 18, 100},
    };
    for (const Kind& k : kinds) {
        for (int alignment = 0; alignment <= 9; ++alignment) {
            for (int spacing : {0, 7, 25}) {
                for (int dpi : {96, 300}) {
                    if (dpi == 300 && alignment % 3 != 0)
                        continue; // the print resolution at a third of the alignments keeps the run short
                    const int scale = dpi == 96 ? 1 : 3;
                    QTest::addRow("%s a%d s%d %ddpi", k.name, alignment, spacing, dpi)
                        << ItemTypes::index(k.type) << u8(k.font) << u8(k.text) << k.width * scale
                        << k.height * scale << dpi << alignment << spacing;
                }
            }
        }
    }
    // Characters beyond the basic plane are one character each, and so is a surrogate left alone.
    const QString astral = u8("甲𠀾乙𠁀丙丁") + QChar(0xD800) + u8("戊己");
    for (ItemType type : {ItemType::Text, ItemType::Purpose}) {
        for (int alignment : {0, 4, 8}) {
            for (int spacing : {0, 25}) {
                QTest::addRow("astral %d a%d s%d", ItemTypes::index(type), alignment, spacing)
                    << ItemTypes::index(type) << u8("宋体-12") << astral << 90 << 120 << 96 << alignment
                    << spacing;
            }
        }
    }
}

void TestRenderEngine::sameImageAsCharacterwiseDrawing() {
    QFETCH(int, type);
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, dpi);
    QFETCH(int, alignment);
    QFETCH(int, spacing);
    TemplateItem item = itemWith(alignment, static_cast<ItemType>(type), spacing);
    item.font = font;
    item.printSuffix = true;
    const PixelRect box{4, 3, width - 4, height - 3};

    const auto draw = [&](bool characterwise) {
        QImage image(width, height, QImage::Format_RGB32);
        const int dpm = qRound(dpi / 0.0254);
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(QColor(0, 0, 255));
        // Twice, so that the second drawing comes from what the first one measured.
        for (int round = 0; round < 2; ++round) {
            if (characterwise)
                characterwise::DrawItemValue(painter, item, text, box, dpi);
            else
                DrawItemValue(painter, item, text, box, dpi);
        }
        return image;
    };
    const QImage expected = draw(true);
    const QImage actual = draw(false);
    QImage blank(width, height, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QVERIFY(expected != blank); // the case draws something
    if (actual != expected) {
        int differing = 0;
        QPoint first(-1, -1);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (actual.pixel(x, y) != expected.pixel(x, y) && differing++ == 0)
                    first = QPoint(x, y);
        QFAIL(qPrintable(QStringLiteral("%1 pixels differ, the first at (%2, %3)")
                             .arg(differing)
                             .arg(first.x())
                             .arg(first.y())));
    }
}
