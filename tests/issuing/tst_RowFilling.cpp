#include "issuing/ItemValueRules.h"
#include "issuing/OtherContent.h"
#include "issuing/PrintRecords.h"
#include "issuing/RowFilling.h"
#include "reference/ReferenceTable.h"
#include "store/Schema.h"
#include "support/TempAppFolder.h"

#include <QtTest>

#include <memory>

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

TemplateItem item(const char* name, ItemType type, const char* relation = "", const char* method = "",
                  bool input = true, int group = 0) {
    TemplateItem it = TemplateItem::newItem(u8(name));
    it.type = type;
    it.relation = u8(relation);
    it.calcMethod = u8(method);
    it.printed = true;
    it.showInput = input;
    it.interlockGroup = quint8(group);
    return it;
}

// A cheque-like bill: a date whose day follows its month, an amount with its capital mirror, a
// computed total, a payee looked up by code with its account, a check-box group, a number.
FilledBill blankBill(bool currencyChoice) {
    FilledBill bill;
    bill.page.currencyChoice = currencyChoice;
    bill.items = {item("年", ItemType::Year, "月-日"),
                  item("月", ItemType::Month),
                  item("日", ItemType::Day),
                  item("金额", ItemType::AmountFigures),
                  item("大写", ItemType::AmountCapital, "金额", "", false),
                  item("单价", ItemType::AmountFigures),
                  item("数量", ItemType::Quantity),
                  item("合计", ItemType::AmountFigures, "", "[单价]*[数量]", false),
                  item("收款人", ItemType::BusinessUnit),
                  item("收款帐号", ItemType::Text, "收款人-银行帐号", "", false),
                  item("现金", ItemType::CheckBox, "", "", true, 1),
                  item("转帐", ItemType::CheckBox, "", "", true, 1),
                  item("种类", ItemType::BillKind),
                  item("编号", ItemType::AutoNumber, "", "", false)};
    for (int i = 0; i < bill.items.size(); ++i)
        bill.values << QString();
    SetDefaultValues(bill, QDateTime(QDate(2026, 2, 10), QTime(9, 30)));
    bill.values[bill.indexOf(u8("编号"))] = QStringLiteral("0099");
    return bill;
}

const QStringList kHeader{u8("年"),     u8("月"),   u8("日"),   u8("金额"), u8("单价"), u8("数量"),
                          u8("收款人"), u8("现金"), u8("转帐"), u8("种类"), u8("币种")};
} // namespace

class TestRowFilling : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void goodRowsPrintTheirConvertedTexts_data();
    void goodRowsPrintTheirConvertedTexts();
    void badRowsNameTheItemAndLeaveTheStoreAlone_data();
    void badRowsNameTheItemAndLeaveTheStoreAlone();
    void headerNamesInputItemsOnce();
    void theNextBillStartsWithTheNumbersOfTheLast();

private:
    std::unique_ptr<TempAppFolder> m_folder;
};

void TestRowFilling::init() {
    m_folder = std::make_unique<TempAppFolder>();
    ReferenceTable units(u8("业务单位"));
    const QStringList columns{u8("单位名称"), u8("银行帐号"), u8("识别码")};
    units.append(columns, {u8("甲公司"), QStringLiteral("6222"), QStringLiteral("a01")});
    units.append(columns, {u8("乙公司"), QStringLiteral("7333"), QStringLiteral("B02")});
    units.append(columns, {u8("丙公司"), QStringLiteral("8444"), QStringLiteral("b02")});
}

void TestRowFilling::cleanup() {
    m_folder.reset();
}

void TestRowFilling::goodRowsPrintTheirConvertedTexts_data() {
    QTest::addColumn<bool>("currencyChoice");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QStringList>("expected"); // name=printed text

    QTest::newRow("every rule") << false << QStringList{"2024", "2",     "29", "01234.5",      "12.5", "3",
                                                        "A01",  u8("√"), "",   u8("银行汇票"), ""}
                                << QStringList{u8("年=2024"),
                                               u8("月=02"),
                                               u8("日=29"),
                                               u8("金额=￥1,234.50"),
                                               u8("大写=壹仟贰佰叁拾肆元伍角整"),
                                               u8("合计=￥37.50"),
                                               u8("收款人=甲公司"),
                                               u8("收款帐号=6222"),
                                               u8("现金=√"),
                                               u8("转帐="),
                                               u8("种类=银行汇票"),
                                               u8("编号=0099")};
    QTest::newRow("empty cells keep the defaults")
        << false << QStringList{"", "", "", "5", "", "", "", "", "", "", ""}
        << QStringList{u8("年=2026"), u8("月=02"), u8("日=10"), u8("金额=￥5.00"), u8("收款人=")};
    QTest::newRow("the later box of a group wins")
        << false << QStringList{"", "", "", "", "", "", "", u8("是"), "1", "", ""}
        << QStringList{u8("现金="), u8("转帐=√")};
    QTest::newRow("currency by name")
        << true << QStringList{"", "", "", "8", "", "", "", "", "", "", u8("美元")}
        << QStringList{u8("金额=US$8.00"), u8("大写=美元捌元整")};
    QTest::newRow("currency by index") << true << QStringList{"", "", "", "8", "", "", "", "", "", "", "5"}
                                       << QStringList{u8("金额=Can$8.00")};
    QTest::newRow("no choice: 人民币 only")
        << false << QStringList{"", "", "", "8", "", "", "", "", "", "", u8("人民币")}
        << QStringList{u8("金额=￥8.00"), u8("大写=捌元整")};
}

void TestRowFilling::goodRowsPrintTheirConvertedTexts() {
    QFETCH(bool, currencyChoice);
    QFETCH(QStringList, row);
    QFETCH(QStringList, expected);
    const FilledBill blank = blankBill(currencyChoice);
    const FilledRow filled = FillBillRow(blank, kHeader, row);
    for (const RowFillError& e : filled.errors)
        qWarning() << e.item << e.reason;
    QVERIFY(filled.errors.isEmpty());
    const QStringList names = PrintedItemNames(filled.bill);
    const QStringList texts = PrintedTexts(filled.bill, filled.currency);
    QCOMPARE(texts.size(), names.size());
    for (const QString& pair : expected) {
        const QString name = pair.section(QLatin1Char('='), 0, 0);
        QVERIFY2(names.contains(name), qPrintable(name));
        QCOMPARE(texts.at(names.indexOf(name)), pair.section(QLatin1Char('='), 1));
    }
}

void TestRowFilling::badRowsNameTheItemAndLeaveTheStoreAlone_data() {
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("reasonPart");
    const auto row = [](int column, const QString& text) {
        QStringList r(kHeader.size());
        r[column] = text;
        return r;
    };
    QTest::newRow("three decimals") << row(3, "12.345") << u8("金额") << u8("不是金额");
    QTest::newRow("a thousands separator") << row(3, "1,234.00") << u8("金额") << u8("不是金额");
    QTest::newRow("a minus sign") << row(4, "-3") << u8("单价") << u8("不是金额");
    QTest::newRow("twelve integer digits") << row(3, "123456789012") << u8("金额") << u8("不是金额");
    QTest::newRow("month 13") << row(1, "13") << u8("月") << u8("1 到 12");
    QTest::newRow("year before 1990") << row(0, "1989") << u8("年") << u8("1990");
    QTest::newRow("29 February 2026") << row(2, "29") << u8("日") << u8("1 到 28");
    QTest::newRow("quantity with two points") << row(5, "1.2.3") << u8("数量") << u8("不是数量");
    QTest::newRow("unknown code") << row(6, "ZZ") << u8("收款人") << u8("找不到");
    QTest::newRow("code of two units") << row(6, "b02") << u8("收款人") << u8("有 2 条记录");
    QTest::newRow("a box neither ticked nor empty") << row(7, "maybe") << u8("现金") << u8("检查框");
    QTest::newRow("currency 9") << row(10, "9") << u8("币种") << u8("不是币种");
    QTest::newRow("a method that cannot be stored") << [] {
        QStringList r(kHeader.size());
        r[4] = "99999999999";
        r[5] = "10";
        return r;
    }() << u8("数量") << u8("合计");
}

void TestRowFilling::badRowsNameTheItemAndLeaveTheStoreAlone() {
    QFETCH(QStringList, row);
    QFETCH(QString, item);
    QFETCH(QString, reasonPart);
    row[9] = u8("新种类"); // a new list entry that an unprintable row must not leave behind
    const FilledRow filled = FillBillRow(blankBill(true), kHeader, row);
    QCOMPARE(filled.errors.size(), 1);
    QCOMPARE(filled.errors.first().item, item);
    QVERIFY2(filled.errors.first().reason.contains(reasonPart), qPrintable(filled.errors.first().reason));
    QVERIFY(!OtherContent::contains(GetOtherContentList(ItemType::BillKind), u8("新种类")));
}

void TestRowFilling::headerNamesInputItemsOnce() {
    const QList<RowFillError> errors =
        CheckRowHeader(blankBill(false), {u8("金额"), u8("大写"), u8("备注"), u8("金额"), u8("币种")});
    QCOMPARE(errors.size(), 3);
    QCOMPARE(errors.at(0).item, u8("大写")); // printed, never typed
    QCOMPARE(errors.at(1).item, u8("备注"));
    QCOMPARE(errors.at(2).item, u8("金额"));
    QVERIFY(CheckRowHeader(blankBill(false), kHeader).isEmpty());
}

void TestRowFilling::theNextBillStartsWithTheNumbersOfTheLast() {
    const FilledBill blank = blankBill(false);
    FilledRow first = FillBillRow(blank, kHeader, QStringList(kHeader.size()));
    first.bill.values[first.bill.indexOf(u8("金额"))] = QStringLiteral("5");
    FilledBill printed = first.bill;
    AdvanceNumbers(printed);
    const FilledBill next = WithRememberedOf(blank, printed);
    QCOMPARE(next.valueOf(u8("编号")), QStringLiteral("0100"));
    QCOMPARE(next.valueOf(u8("金额")), QString());
}

QTEST_GUILESS_MAIN(TestRowFilling)
#include "tst_RowFilling.moc"
