#include "templates/BillTemplate.h"
#include "templates/CanvasEditing.h"
#include "templates/RenderEngine.h"

#include <QtTest>

using namespace CanvasEditing;

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// An item drawn at 96 dpi with the given frame in pixels (no preview margin for 文本).
TemplateItem drawn(const char* name, const PixelRect& box) {
    TemplateItem it = TemplateItem::newItem(u8(name));
    it.used = true;
    it.box = box;
    return it;
}

} // namespace

class TestCanvasEditing : public QObject {
    Q_OBJECT
private slots:
    void handleTest_data();
    void handleTest();
    void moveStaysInsideTheImage_data();
    void moveStaysInsideTheImage();
    void resizeKeepsSixteenPixels_data();
    void resizeKeepsSixteenPixels();
    void edgesFollowOnlyBeyondSixteenPixels();
    void writeBackRoundsUpAndKeepsWhatDidNotMove_data();
    void writeBackRoundsUpAndKeepsWhatDidNotMove();
    void frameOutsideTheImageIsNotTaken();
    void pickingAndBands();
    void typedValuesStayOnThePicture_data();
    void typedValuesStayOnThePicture();
    void groupChange();
    void groupCopyAndDelete();
    void copiesStopAtTheItemLimit();
};

void TestCanvasEditing::handleTest_data() {
    QTest::addColumn<PixelRect>("frame");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("handle");
    const PixelRect f{100, 100, 200, 160};
    QTest::newRow("top-left") << f << QPoint(105, 95) << 1;
    QTest::newRow("bottom-right") << f << QPoint(207, 167) << 2;
    QTest::newRow("top-right") << f << QPoint(199, 101) << 3;
    QTest::newRow("bottom-left") << f << QPoint(100, 160) << 4;
    QTest::newRow("left middle") << f << QPoint(94, 130) << 5;
    QTest::newRow("right middle") << f << QPoint(205, 133) << 6;
    QTest::newRow("top middle") << f << QPoint(150, 104) << 7;
    QTest::newRow("bottom middle") << f << QPoint(147, 163) << 8;
    QTest::newRow("inside") << f << QPoint(130, 120) << 9;
    QTest::newRow("8 pixels is no longer near") << f << QPoint(92, 130) << 0;
    QTest::newRow("outside") << f << QPoint(300, 300) << 0;
    // A frame 17 pixels wide uses 4 pixels of tolerance.
    const PixelRect narrow{100, 100, 117, 160};
    QTest::newRow("narrow: 5 off the left edge") << narrow << QPoint(95, 130) << 0;
    QTest::newRow("narrow: 3 off the left edge") << narrow << QPoint(97, 130) << 5;
    QTest::newRow("narrow: inside") << narrow << QPoint(108, 120) << 9;
}

void TestCanvasEditing::handleTest() {
    QFETCH(PixelRect, frame);
    QFETCH(QPoint, point);
    QFETCH(int, handle);
    QCOMPARE(int(handleAt(frame, point)), handle);
}

void TestCanvasEditing::moveStaysInsideTheImage_data() {
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<PixelRect>("expected");
    QTest::newRow("free") << QPoint(50, 60) << PixelRect{50, 60, 90, 80};
    QTest::newRow("against the left edge") << QPoint(-30, 60) << PixelRect{0, 60, 40, 80};
    QTest::newRow("against the right edge") << QPoint(290, 60) << PixelRect{259, 60, 299, 80};
    QTest::newRow("against the bottom") << QPoint(10, 195) << PixelRect{10, 179, 50, 199};
}

void TestCanvasEditing::moveStaysInsideTheImage() {
    QFETCH(QPoint, topLeft);
    QFETCH(PixelRect, expected);
    QCOMPARE(movedWithin(PixelRect{10, 10, 50, 30}, topLeft, QSize(300, 200)), expected);
}

void TestCanvasEditing::resizeKeepsSixteenPixels_data() {
    QTest::addColumn<int>("handle");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<PixelRect>("expected");
    const int right = int(Handle::Right);
    const int left = int(Handle::Left);
    QTest::newRow("right edge 5 right of the left")
        << right << QPoint(105, 0) << PixelRect{100, 100, 116, 140};
    QTest::newRow("right edge far out") << right << QPoint(250, 0) << PixelRect{100, 100, 250, 140};
    QTest::newRow("right edge crossed the left") << right << QPoint(40, 0) << PixelRect{40, 100, 100, 140};
    // The edges swap; 10 pixels apart, the left one goes 16 pixels left of the right one.
    QTest::newRow("left edge beyond the right") << left << QPoint(210, 0) << PixelRect{194, 100, 210, 140};
    QTest::newRow("bottom edge 3 below the top")
        << int(Handle::Bottom) << QPoint(0, 103) << PixelRect{100, 100, 200, 116};
    QTest::newRow("top edge close to the bottom")
        << int(Handle::Top) << QPoint(0, 130) << PixelRect{100, 124, 200, 140};
}

void TestCanvasEditing::resizeKeepsSixteenPixels() {
    QFETCH(int, handle);
    QFETCH(QPoint, release);
    QFETCH(PixelRect, expected);
    const PixelRect r =
        finishDrag(PixelRect{100, 100, 200, 140}, Handle(handle), release, QPoint(), QSize(400, 300));
    QCOMPARE(r, expected);
}

void TestCanvasEditing::edgesFollowOnlyBeyondSixteenPixels() {
    PixelRect r{100, 100, 200, 140};
    dragHandle(r, Handle::BottomRight, QPoint(110, 110));
    QCOMPARE(r, (PixelRect{100, 100, 200, 140})); // both within 16 pixels of the opposite edges
    dragHandle(r, Handle::BottomRight, QPoint(117, 160));
    QCOMPARE(r, (PixelRect{100, 100, 117, 160}));
    dragHandle(r, Handle::TopLeft, QPoint(50, 150));
    QCOMPARE(r, (PixelRect{50, 100, 117, 160}));
}

void TestCanvasEditing::writeBackRoundsUpAndKeepsWhatDidNotMove_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("handle");
    QTest::addColumn<int>("dx");              // pixels the drawn frame's left edge moved
    QTest::addColumn<int>("dw");              // pixels it grew
    QTest::addColumn<QList<int>>("expected"); // left, top, width, height in tenths
    // At 96 dpi the item 10/10/100/50 tenths has the box 4, 4, 38 wide, 19 high.
    QTest::newRow("click without a move")
        << 0 << int(Handle::Inside) << 0 << 0 << QList<int>{10, 10, 100, 50};
    QTest::newRow("move 10 right") << 0 << int(Handle::Inside) << 10 << 0 << QList<int>{38, 10, 100, 50};
    QTest::newRow("right edge 10 out") << 0 << int(Handle::Right) << 0 << 10 << QList<int>{10, 10, 127, 50};
    QTest::newRow("date: click keeps the frame")
        << 4 << int(Handle::Inside) << 0 << 0 << QList<int>{10, 10, 100, 50};
    QTest::newRow("date: margin is not written")
        << 4 << int(Handle::Inside) << 10 << 0 << QList<int>{38, 10, 100, 50};
}

void TestCanvasEditing::writeBackRoundsUpAndKeepsWhatDidNotMove() {
    QFETCH(int, type);
    QFETCH(int, handle);
    QFETCH(int, dx);
    QFETCH(int, dw);
    QFETCH(QList<int>, expected);
    TemplateItem it = TemplateItem::newItem(u8("日期"));
    it.type = ItemType(type);
    it.left = 10;
    it.top = 10;
    it.width = 100;
    it.height = 50;
    PixelRect frame = previewFrame(it, 96);
    frame.left += dx;
    frame.right += dx + dw;
    QCOMPARE(writeBackFrame(it, frame, Handle(handle), 96), dx != 0 || dw != 0);
    QCOMPARE((QList<int>{it.left, it.top, it.width, it.height}), expected);
}

void TestCanvasEditing::frameOutsideTheImageIsNotTaken() {
    const QSize image(300, 200);
    QVERIFY(insideImage(PixelRect{0, 0, 300, 200}, image));
    QVERIFY(!insideImage(PixelRect{250, 10, 301, 40}, image));
    QVERIFY(!insideImage(PixelRect{10, 180, 50, 205}, image));

    // A date in the bill's corner stands out by its margin; its right edge can still be dragged.
    TemplateItem date = TemplateItem::newItem(u8("年"));
    date.type = ItemType::Year;
    date.width = 100;
    date.height = 50;
    PixelRect frame = finishDrag(previewFrame(date, 96), Handle::Right, QPoint(60, 0), QPoint(), image);
    QVERIFY(insideImage(frame, image));
    QVERIFY(writeBackFrame(date, frame, Handle::Right, 96));
    QCOMPARE(date.left, 0);
    QCOMPARE(date.width, 157); // 59 pixels wide without its margins, rounded up
    // A click without a move keeps it in the corner.
    const PixelRect corner = previewFrame(date, 96);
    QCOMPARE(finishDrag(corner, Handle::Inside, QPoint(5, 5), QPoint(6, 6), image), corner);
    // An item cannot start left of the bill.
    TemplateItem text = TemplateItem::newItem(u8("户名"));
    text.left = 20;
    text.width = 100;
    text.height = 50;
    QVERIFY(!writeBackFrame(text, PixelRect{-3, 0, 35, 19}, Handle::Left, 96));
    QCOMPARE(text.left, 20);
}

// The later of two overlapping items is picked; a band touching only a corner takes the item;
// items shown neither for printing nor for input are neither picked nor touched.
void TestCanvasEditing::pickingAndBands() {
    BillTemplate tpl;
    tpl.append(drawn("甲", {10, 10, 60, 40}));
    tpl.append(drawn("乙", {40, 30, 90, 70}));
    TemplateItem hidden = drawn("丙", {0, 0, 200, 200});
    hidden.printed = false;
    hidden.showInput = false;
    tpl.append(hidden);
    QCOMPARE(itemAt(tpl, QPoint(50, 35)), 1);
    QCOMPARE(itemAt(tpl, QPoint(20, 20)), 0);
    QCOMPARE(itemAt(tpl, QPoint(60, 40)), 1);
    QCOMPARE(itemAt(tpl, QPoint(150, 150)), -1);
    QCOMPARE(itemsTouching(tpl, PixelRect{90, 70, 120, 100}), (QList<int>{1}));
    QCOMPARE(itemsTouching(tpl, PixelRect{120, 100, 61, 41}), (QList<int>{1}));
    QCOMPARE(itemsTouching(tpl, PixelRect{0, 0, 100, 100}), (QList<int>{0, 1}));
    QVERIFY(itemsTouching(tpl, PixelRect{91, 71, 120, 100}).isEmpty());
}

void TestCanvasEditing::typedValuesStayOnThePicture_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<bool>("corner");
    // Picture 300 x 200 pixels at 96 dpi: 793 tenths across.
    QTest::newRow("width that fits") << int(Field::Width) << 500 << true << false;
    QTest::newRow("width beyond the right edge") << int(Field::Width) << 800 << false << false;
    QTest::newRow("top beyond the bottom") << int(Field::Top) << 600 << false << false;
    QTest::newRow("spacing never moves the frame") << int(Field::Spacing) << 9999 << true << false;
    // An amount's frame stands a pixel out of its box, beyond the picture's corner.
    QTest::newRow("amount in the corner takes a width") << int(Field::Width) << 500 << true << true;
    QTest::newRow("amount in the corner, beyond the right edge") << int(Field::Width) << 800 << false << true;
}

void TestCanvasEditing::typedValuesStayOnThePicture() {
    QFETCH(int, field);
    QFETCH(int, value);
    QFETCH(bool, taken);
    QFETCH(bool, corner);
    TemplateItem it = TemplateItem::newItem(u8("项"));
    if (corner)
        it.type = ItemType::AmountFigures;
    it.left = corner ? 0 : 10;
    it.top = corner ? 0 : 10;
    it.width = 100;
    it.height = 50;
    const TemplateItem before = it;
    QCOMPARE(setFieldWithin(it, Field(field), value, QSize(300, 200), 96), taken);
    if (!taken) {
        QCOMPARE(it.left, before.left);
        QCOMPARE(it.top, before.top);
        QCOMPARE(it.width, before.width);
        QCOMPARE(it.height, before.height);
        QCOMPARE(it.spacing, before.spacing);
    }
}

// Only the filled-in values change; the alignment arrives as its index.
void TestCanvasEditing::groupChange() {
    BillTemplate tpl;
    tpl.append(drawn("甲", {10, 10, 60, 40}));
    tpl.append(drawn("乙", {40, 30, 90, 70}));
    tpl.append(drawn("丙", {200, 200, 250, 230}));
    GroupChange change;
    change.values = QStringList{QString(), QString(), QString(), QString(), QString(), u8("25"), u8("7")};
    const GroupResult r = applyGroupChange(tpl, PixelRect{0, 0, 100, 100}, change);
    QCOMPARE(r.changed, (QList<int>{0, 1}));
    for (int i : {0, 1}) {
        QCOMPARE(tpl.items[i].spacing, quint16(25));
        QCOMPARE(tpl.items[i].alignment, quint8(7));
        QCOMPARE(tpl.items[i].font, u8("宋体-9"));
        QCOMPARE(tpl.items[i].left, 0);
    }
    QCOMPARE(tpl.items[2].spacing, quint16(0));
    QCOMPARE(tpl.items[2].alignment, quint8(0));
}

void TestCanvasEditing::groupCopyAndDelete() {
    BillTemplate tpl;
    TemplateItem a = drawn("A", {10, 10, 60, 40});
    a.left = 100;
    a.top = 200;
    a.key = 7;
    tpl.append(a);
    tpl.append(drawn("B", {40, 30, 90, 70}));
    tpl.append(drawn("复件A", {300, 300, 320, 320}));
    GroupChange copy;
    copy.action = GroupChange::Copy;
    QCOMPARE(applyGroupChange(tpl, PixelRect{0, 0, 100, 100}, copy).copied, 2);
    QCOMPARE(tpl.names(), (QStringList{u8("A"), u8("B"), u8("复件A"), u8("复件(2)A"), u8("复件B")}));
    QCOMPARE(tpl.items[3].left, 110);
    QCOMPARE(tpl.items[3].top, 210);
    QCOMPARE(tpl.items[3].key, -1);

    GroupChange del;
    del.action = GroupChange::Delete;
    // The copies still carry the frames of their originals until they are drawn again.
    QCOMPARE(applyGroupChange(tpl, PixelRect{0, 0, 100, 100}, del).deleted, 4);
    QCOMPARE(tpl.names(), QStringList{u8("复件A")});
    QCOMPARE(tpl.deletedKeys, QList<int>{7});
}

void TestCanvasEditing::copiesStopAtTheItemLimit() {
    BillTemplate tpl;
    for (int i = 0; i < BillTemplate::MaxItems - 1; ++i)
        tpl.append(
            drawn(qPrintable(QStringLiteral("项%1").arg(i)), {i < 2 ? 10 : 500, 10, i < 2 ? 20 : 510, 20}));
    GroupChange copy;
    copy.action = GroupChange::Copy;
    const GroupResult r = applyGroupChange(tpl, PixelRect{0, 0, 30, 30}, copy);
    QCOMPARE(r.copied, 1);
    QCOMPARE(r.notCopied, 1);
    QCOMPARE(tpl.count(), BillTemplate::MaxItems);
}

QTEST_GUILESS_MAIN(TestCanvasEditing)
#include "tst_CanvasEditing.moc"
