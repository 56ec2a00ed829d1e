#include "templates/BillTemplate.h"
#include "templates/ItemRelations.h"
#include "templates/PictureSize.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace ItemRelations;

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

void add(BillTemplate& tpl, const char* name, int type, bool showInput = false) {
    TemplateItem it = TemplateItem::newItem(u8(name));
    it.type = ItemType(type);
    it.showInput = showInput;
    tpl.append(it);
}

void put16(QByteArray& b, int at, int v) {
    b[at] = char(v >> 8);
    b[at + 1] = char(v & 0xFF);
}

QByteArray jfifJpeg(int unit, int density, int width, int height) {
    QByteArray b("\xFF\xD8", 2);
    QByteArray app0(18, '\0');
    app0[0] = char(0xFF);
    app0[1] = char(0xE0);
    put16(app0, 2, 16);
    app0.replace(4, 5, QByteArray("JFIF\0", 5));
    app0[11] = char(unit);
    put16(app0, 12, density);
    put16(app0, 14, density);
    b += app0;
    QByteArray sof(19, '\0');
    sof[0] = char(0xFF);
    sof[1] = char(0xC0);
    put16(sof, 2, 17);
    sof[4] = 8;
    put16(sof, 5, height);
    put16(sof, 7, width);
    b += sof;
    return b + QByteArray("\xFF\xD9", 2);
}

QByteArray exifJpeg() {
    QByteArray b("\xFF\xD8", 2);
    QByteArray app1(12, '\0');
    app1[0] = char(0xFF);
    app1[1] = char(0xE1);
    put16(app1, 2, 10);
    app1.replace(4, 4, "Exif");
    b += app1;
    QByteArray sof(19, '\0');
    sof[0] = char(0xFF);
    sof[1] = char(0xC0);
    put16(sof, 2, 17);
    put16(sof, 5, 3508);
    put16(sof, 7, 2480);
    return b + sof;
}

QByteArray bitmap(int width, int height, int pixelsPerMetre) {
    QByteArray b(54, '\0');
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian<qint32>(width, b.data() + 18);
    qToLittleEndian<qint32>(height, b.data() + 22);
    qToLittleEndian<qint32>(pixelsPerMetre, b.data() + 38);
    return b;
}

} // namespace

class TestItemRelations : public QObject {
    Q_OBJECT
private slots:
    void formula_data();
    void formula();
    void formulaEntriesByType();
    void relationEditors();
    void pairLists();
    void pictureSize_data();
    void pictureSize();
    void unreadablePicture();
};

void TestItemRelations::formula_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("stop");
    QTest::newRow("reference, number with a point, reference")
        << u8("[金额]+1.5*[数量]") << true << u8("[金额]+1.5*[数量]") << 0;
    QTest::newRow("leading + and . removed") << u8("+.[金额]-2") << true << u8("[金额]-2") << 0;
    QTest::newRow("only operators") << u8("+-*.") << true << QString() << 0;
    QTest::newRow("trailing operator") << u8("[金额]*") << true << u8("[金额]*") << 0;
    QTest::newRow("number ends the formula") << u8("12.5") << true << u8("12.5") << 0;
    QTest::newRow("two points before an operator") << u8("1.2.3+[金额]") << false << QString() << 5;
    QTest::newRow("two points at the end") << u8("[金额]+1.2.3") << false << QString() << 10;
    QTest::newRow("two operators") << u8("[金额]++1") << false << QString() << 6;
    QTest::newRow("number then two operators") << u8("1+*2") << false << QString() << 3;
    QTest::newRow("reference not offered") << u8("[金额]+[用途]") << false << QString() << 9;
    QTest::newRow("reference without ]") << u8("[金额") << false << QString() << 3;
    QTest::newRow("reference after a number") << u8("2[金额]") << false << QString() << 2;
    QTest::newRow("two references in a row") << u8("[金额][数量]") << false << QString() << 5;
}

void TestItemRelations::formula() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, formula);
    QFETCH(int, stop);
    const FormulaCheck c = validateFormula(text, {u8("[金额]"), u8("[数量]")});
    QCOMPARE(c.ok, ok);
    if (ok)
        QCOMPARE(c.formula, formula);
    else
        QCOMPARE(c.stop, stop);
}

void TestItemRelations::formulaEntriesByType() {
    BillTemplate tpl;
    add(tpl, "大写", 7);
    add(tpl, "小写", 8);
    add(tpl, "号码", 11);
    add(tpl, "数量", 17);
    add(tpl, "用途", 14);
    QCOMPARE(formulaEntries(tpl, 0), (QStringList{u8("[大写]"), u8("[小写]"), u8("[号码]"), u8("[数量]")}));
    QCOMPARE(formulaEntries(tpl, 3), (QStringList{u8("[号码]"), u8("[数量]")}));
    QVERIFY(formulaEntries(tpl, 4).isEmpty());
    QVERIFY(takesFormula(tpl.items[0]));
    tpl.items[0].showInput = true;
    QVERIFY(!takesFormula(tpl.items[0]));
    QVERIFY(!takesFormula(tpl.items[4]));
}

void TestItemRelations::relationEditors() {
    BillTemplate tpl;
    add(tpl, "年", 4, false);     // 0
    add(tpl, "输入年", 1, true);  // 1
    add(tpl, "另一年", 4, false); // 2
    add(tpl, "勾", 10);           // 3
    add(tpl, "单位", 12, true);   // 4
    add(tpl, "户名", 0, true);    // 5
    add(tpl, "小写", 8);          // 6
    add(tpl, "大写", 7);          // 7
    ReferenceColumns columns;
    columns.businessUnit = QStringList{u8("单位名称"), u8("帐号")};

    // A year not typed in relates only to years that are typed in.
    RelationOffer o = relationOffer(tpl, 0, columns);
    QCOMPARE(int(o.editor), int(Editor::DropDown));
    QCOMPARE(o.entries, QStringList{u8("输入年")});
    QCOMPARE(int(relationOffer(tpl, 1, columns).editor), int(Editor::YearPair));
    // A lone check box has no relation editor.
    QCOMPARE(int(relationOffer(tpl, 3, columns).editor), int(Editor::None));
    o = relationOffer(tpl, 4, columns);
    QCOMPARE(o.entries, columns.businessUnit);
    QCOMPARE(int(relationOffer(tpl, 5, columns).editor), int(Editor::TextPair));
    QCOMPARE(relationOffer(tpl, 6, columns).entries, QStringList{u8("大写")});
    add(tpl, "另一勾", 10);
    QCOMPARE(relationOffer(tpl, 3, columns).entries, QStringList{u8("另一勾")});
}

void TestItemRelations::pairLists() {
    BillTemplate tpl;
    add(tpl, "单位", 12, true);
    add(tpl, "联系", 23, false);
    add(tpl, "月", 2);
    add(tpl, "日", 6);
    ReferenceColumns columns;
    columns.businessUnit = QStringList{u8("单位名称")};
    columns.contact = QStringList{u8("姓名")};
    QCOMPARE(pairFirstEntries(tpl, Editor::TextPair), QStringList{u8("单位")});
    QCOMPARE(pairSecondEntries(tpl, Editor::TextPair, u8("单位"), columns), QStringList{u8("单位名称")});
    QCOMPARE(pairFirstEntries(tpl, Editor::YearPair), QStringList{u8("月")});
    QCOMPARE(pairSecondEntries(tpl, Editor::YearPair, u8("月"), columns), QStringList{u8("日")});
}

void TestItemRelations::pictureSize_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("JFIF 300 dpi A4 scan") << jfifJpeg(1, 300, 2480, 3508) << 2099 << 2970;
    QTest::newRow("JFIF dots per centimetre") << jfifJpeg(2, 100, 2000, 1000) << 2000 << 1000;
    QTest::newRow("JFIF without unit") << jfifJpeg(0, 1, 2480, 3508) << 0 << 0;
    QTest::newRow("JFIF density 0") << jfifJpeg(1, 0, 2480, 3508) << 0 << 0;
    QTest::newRow("EXIF only") << exifJpeg() << 0 << 0;
    QTest::newRow("bitmap 3780 per metre") << bitmap(960, 480, 3780) << 2540 << 1270;
    QTest::newRow("bitmap top-down") << bitmap(960, -480, 3780) << 2540 << 1270;
    QTest::newRow("bitmap without resolution") << bitmap(960, 480, 0) << 0 << 0;
    QTest::newRow("other file") << QByteArray("GIF89a....") << 0 << 0;
    QTest::newRow("cut JPEG") << jfifJpeg(1, 300, 2480, 3508).left(26) << 0 << 0;
}

void TestItemRelations::pictureSize() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, width);
    QFETCH(int, height);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.jpg"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const PictureSize size = ReadPictureSize(path);
    QCOMPARE(size.width, width);
    QCOMPARE(size.height, height);
}

void TestItemRelations::unreadablePicture() {
    QVERIFY_THROWS_EXCEPTION(std::exception, ReadPictureSize(QStringLiteral("/nonexistent/x.jpg")));
}

QTEST_GUILESS_MAIN(TestItemRelations)
#include "tst_ItemRelations.moc"
