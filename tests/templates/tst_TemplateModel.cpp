#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"
#include "templates/BillTemplate.h"
#include "templates/TemplateError.h"
#include "templates/TemplateStore.h"

#include <QtTest>

#include <memory>

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

TemplateItem sampleItem(const QString& name) {
    TemplateItem item = TemplateItem::newItem(name);
    item.left = 120;
    item.top = -15;
    item.width = 400;
    item.height = 60;
    item.font = u8("黑体-12-粗体-下划线");
    item.spacing = 35;
    item.alignment = 8;
    item.printed = false;
    item.type = ItemType::AmountFigures;
    item.showInput = true;
    item.calcMethod = u8("金额1+金额2");
    item.relation = u8("业务单位.单位名称");
    item.interlockGroup = 200;
    item.showTitle = true;
    item.printSuffix = true;
    item.query = false;
    item.statistics = true;
    return item;
}

void compareParameters(const TemplateItem& a, const TemplateItem& b) {
    QCOMPARE(a.name, b.name);
    QCOMPARE(a.left, b.left);
    QCOMPARE(a.top, b.top);
    QCOMPARE(a.width, b.width);
    QCOMPARE(a.height, b.height);
    QCOMPARE(a.font, b.font);
    QCOMPARE(a.spacing, b.spacing);
    QCOMPARE(a.alignment, b.alignment);
    QCOMPARE(a.printed, b.printed);
    QCOMPARE(a.type, b.type);
    QCOMPARE(a.showInput, b.showInput);
    QCOMPARE(a.calcMethod, b.calcMethod);
    QCOMPARE(a.relation, b.relation);
    QCOMPARE(a.interlockGroup, b.interlockGroup);
    QCOMPARE(a.showTitle, b.showTitle);
    QCOMPARE(a.printSuffix, b.printSuffix);
    QCOMPARE(a.query, b.query);
    QCOMPARE(a.statistics, b.statistics);
}
} // namespace

class TestTemplateModel : public QObject {
    Q_OBJECT
private slots:
    void init() { m_app = std::make_unique<TempAppFolder>(); }
    void cleanup() { m_app.reset(); }

    void emptyTableLoadsNoItems();
    void saveAndLoadRoundTrip_data();
    void saveAndLoadRoundTrip();
    void saveWritesChangesAndDeletesRemovedRows();
    void removeItemKeepsSlotsContiguous();
    void flagsReadAsSetWhenNotZero();
    void positionsOnlyLeavesOtherColumns();
    void forgetItemNameBySubstring_data();
    void forgetItemNameBySubstring();
    void pageRowRoundTrip();
    void typeNameResolution_data();
    void typeNameResolution();
    void pageGridTexts();

private:
    std::unique_ptr<TempAppFolder> m_app;
};

void TestTemplateModel::emptyTableLoadsNoItems() {
    BillTemplate tpl;
    tpl.append(TemplateItem::newItem(QStringLiteral("stale")));
    tpl.deletedKeys << 7;
    LoadTemplateItems(Database::get(Db::Define), BillStore::workingItemTable(), tpl);
    QCOMPARE(tpl.count(), 0);
    QVERIFY(tpl.names().isEmpty());
    QVERIFY(tpl.deletedKeys.isEmpty());
    QCOMPARE(tpl.items[0].key, -1);
}

// The working template in the definition database and a bill's own item table in the bill store.
void TestTemplateModel::saveAndLoadRoundTrip_data() {
    QTest::addColumn<bool>("billTable");
    QTest::newRow("working template") << false;
    QTest::newRow("bill's item table") << true;
}

void TestTemplateModel::saveAndLoadRoundTrip() {
    QFETCH(bool, billTable);
    QSqlDatabase db = Database::get(billTable ? Db::Bill : Db::Define);
    QString table = BillStore::workingItemTable();
    if (billTable) {
        table = QStringLiteral("H1Item");
        Sql::createTableLike(Database::get(Db::Define), BillStore::workingItemTable(), db, table);
    }

    BillTemplate tpl;
    const TemplateItem a = sampleItem(u8("金额"));
    const TemplateItem b = TemplateItem::newItem(u8("名\"称"));
    QCOMPARE(tpl.append(a), 0);
    QCOMPARE(tpl.append(b), 1);
    SaveTemplateItems(db, table, tpl);

    QCOMPARE(tpl.count(), 2);
    QCOMPARE(tpl.names(), QStringList({u8("金额"), u8("名\"称")}));
    QVERIFY(tpl.items[0].key > 0);
    QVERIFY(tpl.items[1].key > tpl.items[0].key);
    compareParameters(tpl.items[0], a);
    compareParameters(tpl.items[1], b);

    BillTemplate again;
    LoadTemplateItems(db, table, again);
    QCOMPARE(again.count(), 2);
    QCOMPARE(again.items[0].key, tpl.items[0].key);
    compareParameters(again.items[0], a);
    QCOMPARE(again.items[1].font, u8("宋体-9"));
    QVERIFY(again.items[1].query);
}

void TestTemplateModel::saveWritesChangesAndDeletesRemovedRows() {
    QSqlDatabase db = Database::get(Db::Define);
    const QString table = BillStore::workingItemTable();
    BillTemplate tpl;
    for (const char* name : {"A", "B", "C"})
        tpl.append(TemplateItem::newItem(u8(name)));
    SaveTemplateItems(db, table, tpl);
    const int keyB = tpl.items[1].key;

    tpl.items[0].left = 99;
    RemoveItem(tpl, 1);
    QCOMPARE(tpl.deletedKeys, QList<int>{keyB});
    tpl.append(TemplateItem::newItem(u8("D")));
    // A row deleted behind the template's back is skipped, not recreated.
    Sql::exec(db, QStringLiteral("DELETE FROM %1 WHERE \"BillItemNum\"=?").arg(Sql::q(table)),
              {tpl.items[1].key});
    SaveTemplateItems(db, table, tpl);

    QCOMPARE(tpl.names(), QStringList({u8("A"), u8("D")}));
    QCOMPARE(tpl.items[0].left, 99);
    QVERIFY(tpl.items[1].key != -1);
    QVERIFY(tpl.deletedKeys.isEmpty());
    QCOMPARE(Sql::rowCount(db, table), 2);
}

void TestTemplateModel::removeItemKeepsSlotsContiguous() {
    BillTemplate tpl;
    TemplateItem saved = TemplateItem::newItem(u8("X"));
    saved.key = 5;
    tpl.append(saved);
    tpl.append(TemplateItem::newItem(u8("Y")));
    tpl.append(TemplateItem::newItem(u8("Z")));
    tpl.items[2].relation = u8("Y");

    RemoveItem(tpl, 1); // never saved: no key to delete
    QVERIFY(tpl.deletedKeys.isEmpty());
    QCOMPARE(tpl.names(), QStringList({u8("X"), u8("Z")}));
    QCOMPARE(tpl.items[1].relation, u8("0"));
    QVERIFY(!tpl.items[2].used);
    QCOMPARE(tpl.items[2].key, -1);

    RemoveItem(tpl, 0);
    QCOMPARE(tpl.deletedKeys, QList<int>{5});
    QCOMPARE(tpl.names(), QStringList{u8("Z")});
    RemoveItem(tpl, 3); // beyond the used slots: nothing happens
    QCOMPARE(tpl.count(), 1);

    BillTemplate full;
    for (int i = 0; i < BillTemplate::MaxItems; ++i)
        QCOMPARE(full.append(TemplateItem::newItem(QString::number(i))), i);
    QVERIFY(full.isFull());
    QCOMPARE(full.append(TemplateItem::newItem(u8("one too many"))), -1);
}

void TestTemplateModel::flagsReadAsSetWhenNotZero() {
    QSqlDatabase db = Database::get(Db::Define);
    const QString table = BillStore::workingItemTable();
    Sql::insertRow(db, table,
                   {u8("设置项目名称"), u8("是否打印"), u8("是否显示输入"), u8("显示标题"), u8("打印后缀"),
                    u8("查询"), u8("统计"), u8("设置项类型")},
                   {u8("旗"), 2, 0, -1, 2, 0, 2, 24});
    BillTemplate tpl;
    LoadTemplateItems(db, table, tpl);
    const TemplateItem& item = tpl.items[0];
    QVERIFY(item.printed);
    QVERIFY(!item.showInput);
    QVERIFY(item.showTitle);
    QVERIFY(item.printSuffix);
    QVERIFY(!item.query);
    QVERIFY(item.statistics);
    QCOMPARE(item.type, ItemType::MonthDayTime);

    SaveTemplateItems(db, table, tpl);
    const QVariantList row = Sql::allRows(db, table).first();
    const QStringList cols = Sql::columnNames(db, table);
    QCOMPARE(row.at(cols.indexOf(u8("是否打印"))).toInt(), 1);
    QCOMPARE(row.at(cols.indexOf(u8("显示标题"))).toInt(), 1);
    QCOMPARE(row.at(cols.indexOf(u8("统计"))).toInt(), 1);
}

void TestTemplateModel::positionsOnlyLeavesOtherColumns() {
    QSqlDatabase db = Database::get(Db::Define);
    const QString table = BillStore::workingItemTable();
    BillTemplate tpl;
    tpl.append(sampleItem(u8("金额")));
    SaveTemplateItems(db, table, tpl);

    TemplateItem moved = tpl.items[0];
    moved.left = 1;
    moved.font = u8("宋体-10");
    moved.printed = true;
    moved.type = ItemType::Text;
    moved.calcMethod.clear();
    moved.statistics = false;
    QCOMPARE(WriteItemRow(db, table, moved, true), moved.key);

    LoadTemplateItems(db, table, tpl);
    QCOMPARE(tpl.items[0].left, 1);
    QCOMPARE(tpl.items[0].font, u8("宋体-10"));
    QVERIFY(tpl.items[0].printed);
    QCOMPARE(tpl.items[0].type, ItemType::AmountFigures);
    QCOMPARE(tpl.items[0].calcMethod, u8("金额1+金额2"));
    QVERIFY(tpl.items[0].statistics);

    moved.key = 4242;
    QCOMPARE(WriteItemRow(db, table, moved, true), -1);
}

void TestTemplateModel::forgetItemNameBySubstring_data() {
    QTest::addColumn<QString>("forgotten");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("reset");
    QTest::newRow("exact") << u8("金额") << u8("金额") << true;
    QTest::newRow("inside a longer name") << u8("金额") << u8("金额1*2") << true;
    QTest::newRow("single letter") << u8("A") << u8("AB") << true;
    QTest::newRow("unrelated") << u8("金额") << u8("数量*单价") << false;
    QTest::newRow("empty name touches nothing") << QString() << u8("数量") << false;
}

void TestTemplateModel::forgetItemNameBySubstring() {
    QFETCH(QString, forgotten);
    QFETCH(QString, text);
    QFETCH(bool, reset);
    BillTemplate tpl;
    TemplateItem item = TemplateItem::newItem(u8("x"));
    item.relation = text;
    item.calcMethod = text;
    tpl.append(item);
    ForgetItemName(tpl, forgotten);
    const QString expected = reset ? u8("0") : text;
    QCOMPARE(tpl.items[0].relation, expected);
    QCOMPARE(tpl.items[0].calcMethod, expected);
}

void TestTemplateModel::pageRowRoundTrip() {
    QSqlDatabase db = Database::get(Db::Define);
    const QString table = BillStore::workingPageTable();
    QCOMPARE(readPageRow(db, table).width, 0);

    PageParameters page;
    page.typeIndex = 3;
    page.billName = u8("工行支票");
    page.pictureFile = u8("/tmp/图.jpg");
    page.width = 2099;
    page.length = 800;
    page.leftMargin = -12;
    page.topMargin = 7;
    page.direction = 1;
    page.currencyChoice = true;
    page.pictureFormat = u8(".jpg");
    page.printBackground = true;
    page.typeName = u8("汇票");
    writePageRow(db, table, page);
    page.width = 2100;
    writePageRow(db, table, page); // the one row is edited, not a second one appended
    QCOMPARE(Sql::rowCount(db, table), 1);

    const PageParameters back = readPageRow(db, table);
    QCOMPARE(back.typeIndex, 3);
    QCOMPARE(back.billName, page.billName);
    QCOMPARE(back.pictureFile, page.pictureFile);
    QCOMPARE(back.width, 2100);
    QCOMPARE(back.length, 800);
    QCOMPARE(back.leftMargin, -12);
    QCOMPARE(back.topMargin, 7);
    QCOMPARE(back.direction, 1);
    QVERIFY(back.currencyChoice);
    QCOMPARE(back.pictureFormat, page.pictureFormat);
    QVERIFY(back.printBackground);
    QCOMPARE(back.typeName, page.typeName);
}

void TestTemplateModel::typeNameResolution_data() {
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<int>("storedIndex");
    QTest::addColumn<int>("resolved");
    QTest::addColumn<int>("typeCount");
    QTest::newRow("known name wins over the index") << u8("电汇") << 7 << 2 << 9;
    QTest::newRow("unknown name becomes a type") << u8("外汇凭证") << 2 << 9 << 10;
    QTest::newRow("no name keeps the index") << QString() << 4 << 4 << 9;
    QTest::newRow("index outside the list") << QString() << 30 << 0 << 9;
}

void TestTemplateModel::typeNameResolution() {
    QFETCH(QString, typeName);
    QFETCH(int, storedIndex);
    QFETCH(int, resolved);
    QFETCH(int, typeCount);
    BillStore store;
    store.ensureBillTypeTable();
    PageParameters page;
    page.typeName = typeName;
    page.typeIndex = storedIndex;
    QCOMPARE(resolveTypeIndex(store, page), resolved);
    QCOMPARE(store.typeNames().size(), typeCount);
    store.reloadTypeNames();
    QCOMPARE(store.typeNames().size(), typeCount);
}

void TestTemplateModel::pageGridTexts() {
    const QStringList types{u8("支票"), u8("进帐单")};
    PageParameters page;
    page.typeIndex = 1;
    page.billName = u8("单");
    page.width = 1750;
    page.length = 800;
    page.leftMargin = -5;
    page.direction = 1;
    page.printBackground = true;
    const QStringList texts = page.gridTexts(types);
    QCOMPARE(texts, QStringList({u8("进帐单"), u8("单"), QString(), u8("1750"), u8("800"), u8("-5"), u8("0"),
                                 u8("纵向打印"), QString(), u8("    √")}));

    PageParameters back;
    back.setGridTexts(texts, types);
    QCOMPARE(back.gridTexts(types), texts);
    QCOMPARE(back.typeName, u8("进帐单"));
    QCOMPARE(back.typeIndex, 1);
    QVERIFY(!back.landscape());

    QStringList bad = texts;
    bad[PageParameters::LeftMarginRow] = u8("-");
    QVERIFY_THROWS_EXCEPTION(TemplateError, back.setGridTexts(bad, types));
    QCOMPARE(back.leftMargin, -5);
}

QTEST_GUILESS_MAIN(TestTemplateModel)
#include "tst_TemplateModel.moc"
