#include "issuing/Conversion.h"
#include "issuing/CurrencyTable.h"

#include <QRandomGenerator>
#include <QtTest>

class TestConversion : public QObject {
    Q_OBJECT
private slots:
    void amounts_data();
    void amounts();
    void itemValues_data();
    void itemValues();
    void dateParts_data();
    void dateParts();
    void malformedAmountsStayVisible_data();
    void malformedAmountsStayVisible();
    void anyTextConvertsWithoutFault();
};

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

void TestConversion::amounts_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("capital");
    QTest::addColumn<QString>("figures");
    QTest::addColumn<QString>("grid");
    const auto row = [](const char* amount, const char* capital, const char* figures, const char* grid) {
        QTest::newRow(*amount ? amount : "empty") << u8(amount) << u8(capital) << u8(figures) << u8(grid);
    };
    row("23912345678.99", "贰佰叁拾玖亿壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角玖分", "23,912,345,678.99",
        "2391234567899");
    row("100000000", "壹亿元整", "100,000,000.00", "10000000000");
    row("1010000000", "壹拾亿壹仟万元整", "1,010,000,000.00", "101000000000");
    row("1000100000", "壹拾亿零壹拾万元整", "1,000,100,000.00", "100010000000");
    row("100000001", "壹亿零壹元整", "100,000,001.00", "10000000100");
    row("105000", "壹拾万零伍仟元整", "105,000.00", "10500000");
    row("10000001", "壹仟万零壹元整", "10,000,001.00", "1000000100");
    row("100.50", "壹佰元零伍角整", "100.50", "10050");
    row("120.05", "壹佰贰拾元零伍分", "120.05", "12005");
    row("123", "壹佰贰拾叁元整", "123.00", "12300");
    row("123.4", "壹佰贰拾叁元肆角整", "123.40", "12340");
    row("123.40", "壹佰贰拾叁元肆角整", "123.40", "12340");
    row("000123.45", "壹佰贰拾叁元肆角伍分", "123.45", "12345");
    row("1234", "壹仟贰佰叁拾肆元整", "1,234.00", "123400");
    row("10.", "壹拾元整", "10.00", "1000");
    row(".5", "伍角整", "0.50", "50");
    row("0.5", "伍角整", "0.50", "50");
    row(".05", "零伍分", "0.05", "05");
    row("0.05", "零伍分", "0.05", "05");
    row("0", "", "", "");
    row("", "", "", "");
    row("0.", ".", "0.00", "");
    row("0.00", "整", "0.00", "00");
}

void TestConversion::amounts() {
    QFETCH(QString, amount);
    QFETCH(QString, capital);
    QFETCH(QString, figures);
    QFETCH(QString, grid);
    QCOMPARE(ToCapitalAmount(amount, 0, false), capital);
    QCOMPARE(ToFigureAmount(amount), figures);
    QCOMPARE(ToGridDigits(amount), grid);
}

void TestConversion::itemValues_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("suffix");
    QTest::addColumn<int>("currency");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<QString>("preBillText");
    QTest::addColumn<QString>("historyText");
    const QString big = QStringLiteral("23912345678.99");
    const QString bigCapital = u8("贰佰叁拾玖亿壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角玖分");
    const auto same = [](const char* name, int type, const QString& value, bool suffix, int currency,
                         bool shown, const QString& text) {
        QTest::newRow(name) << type << value << suffix << currency << shown << text << text << text;
    };
    same("加元 capital", 7, big, false, 5, true, u8("加元") + bigCapital);
    same("加元 figures", 8, big, false, 5, true, u8("Can$23,912,345,678.99"));
    same("加元 grid", 9, big, false, 5, true, u8("Can$2391234567899"));
    same("currency word hidden", 7, big, false, 5, false, bigCapital);
    same("坡币 is the word of 新加坡元", 7, QStringLiteral("1"), false, 3, true, u8("坡币壹元整"));
    same("其它 capital", 7, QStringLiteral("1"), false, 8, true, u8("    壹元整"));
    same("其它 figures", 8, QStringLiteral("1"), false, 8, true, u8("  1.00"));
    same("zero figures, no sign", 8, QStringLiteral("000"), false, 0, false, QString());
    same("zero grid, no sign", 9, QStringLiteral("0"), false, 0, false, QString());
    same("empty figures", 8, QString(), false, 0, false, QString());
    same("0.00 figures", 8, QStringLiteral("0.00"), false, 0, false, u8("￥0.00"));
    same("0.00 grid", 9, QStringLiteral("0.00"), false, 0, false, u8("￥00"));
    same("unknown currency has no sign", 8, QStringLiteral("5"), false, 42, true, u8("5.00"));
    same("capital year with suffix", 1, QStringLiteral("2015"), true, 0, false, u8("贰零壹伍年"));
    same("capital month with suffix", 2, QStringLiteral("03"), true, 0, false, u8("零叁月"));
    same("capital day without suffix", 3, QStringLiteral("15"), false, 0, false, u8("壹拾伍"));
    same("figure year with suffix", 4, QStringLiteral("2015"), true, 0, false, u8("2015年"));
    same("figure month without suffix", 5, QStringLiteral("03"), false, 0, false, u8("03"));
    same("figure day with suffix", 6, QStringLiteral("09"), true, 0, false, u8("09日"));
    same("empty date stays empty", 4, QString(), true, 0, false, QString());
    same("check box", 10, u8("√"), false, 0, false, u8("√"));
    same("digit grid as stored", 11, QStringLiteral("00123"), false, 0, false, QStringLiteral("00123"));
    same("text as stored", 0, u8(" 用途 "), true, 0, false, u8(" 用途 "));
    QTest::newRow("月日时分 with suffix")
        << 24 << QStringLiteral("03081405") << true << 0 << false << QStringLiteral("03081405")
        << QStringLiteral("03081405") << u8("03月08日14时05分");
    QTest::newRow("月日时分 without suffix")
        << 24 << QStringLiteral("03081405") << false << 0 << false << QStringLiteral("03081405")
        << QStringLiteral("03081405") << QStringLiteral("03-08-14-05");
    QTest::newRow("年月日 with suffix")
        << 25 << QStringLiteral("150308") << true << 0 << false << QStringLiteral("150308")
        << QStringLiteral("150308") << u8("15年03月08日");
    QTest::newRow("年月日 without suffix")
        << 25 << QStringLiteral("150308") << false << 0 << false << QStringLiteral("150308")
        << QStringLiteral("150308") << QStringLiteral("15-03-08");
    same("empty 年月日", 25, QString(), true, 0, false, QString());
}

void TestConversion::itemValues() {
    QFETCH(int, type);
    QFETCH(QString, value);
    QFETCH(bool, suffix);
    QFETCH(int, currency);
    QFETCH(bool, shown);
    QFETCH(QString, itemText);
    QFETCH(QString, preBillText);
    QFETCH(QString, historyText);
    const auto t = static_cast<ItemType>(type);
    QCOMPARE(FormatItemValue(t, value, suffix, currency, shown), itemText);
    QCOMPARE(FormatListValue(ValueList::PreBills, t, value, suffix, currency, shown), preBillText);
    QCOMPARE(FormatListValue(ValueList::History, t, value, suffix, currency, shown), historyText);
}

void TestConversion::dateParts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("year");
    QTest::addColumn<QString>("capital");
    const auto row = [](const char* text, bool year, const char* capital) {
        QTest::newRow(text) << u8(text) << year << u8(capital);
    };
    row("2015", true, "贰零壹伍");
    row("1", false, "零壹");
    row("01", false, "零壹");
    row("10", false, "零壹拾");
    row("11", false, "壹拾壹");
    row("15", false, "壹拾伍");
    row("20", false, "零贰拾");
    row("21", false, "贰拾壹");
    row("30", false, "零叁拾");
    row("31", false, "叁拾壹");
}

void TestConversion::dateParts() {
    QFETCH(QString, text);
    QFETCH(bool, year);
    QFETCH(QString, capital);
    QCOMPARE(ToCapitalDatePart(text, year), capital);
}

// Values no editor stores (a negative result of a calculation, letters, too many digits) must not
// turn into a different, plausible amount on a bill.
void TestConversion::malformedAmountsStayVisible_data() {
    QTest::addColumn<QString>("amount");
    QTest::newRow("minus") << QStringLiteral("-5");
    QTest::newRow("minus decimals") << QStringLiteral("-1234.50");
    QTest::newRow("letters") << QStringLiteral("12a");
    QTest::newRow("two points") << QStringLiteral("1.2.3");
    QTest::newRow("three decimals") << QStringLiteral("1.234");
    QTest::newRow("blank") << QStringLiteral(" 12");
    QTest::newRow("wide digits") << u8("１２");
    QTest::newRow("12 integer digits") << QStringLiteral("123456789012");
    QTest::newRow("30 digits") << QStringLiteral("123456789012345678901234567890");
}

void TestConversion::malformedAmountsStayVisible() {
    QFETCH(QString, amount);
    QCOMPARE(ToCapitalAmount(amount, 5, true), amount);
    if (amount.size() >= 12 && amount.at(0).isDigit() && !amount.contains(QLatin1Char('.'))) {
        // Too long for capitals, but figures and grid digits have no limit.
        QCOMPARE(ToGridDigits(amount), amount + QStringLiteral("00"));
        QCOMPARE(ToFigureAmount(amount).remove(QLatin1Char(',')), amount + QStringLiteral(".00"));
    } else {
        QCOMPARE(ToFigureAmount(amount), amount);
        QCOMPARE(ToGridDigits(amount), amount);
    }
}

// Under the sanitizer build this also proves that no table is read out of bounds.
void TestConversion::anyTextConvertsWithoutFault() {
    QRandomGenerator rng(20150308);
    const QString alphabet = u8("0000123456789..-a 中");
    for (int round = 0; round < 3000; ++round) {
        QString s;
        const int len = rng.bounded(32);
        for (int i = 0; i < len; ++i)
            s += alphabet.at(rng.bounded(alphabet.size()));
        for (int type = 0; type < 27; ++type)
            for (int currency : {-1, 0, 5, 8, 9}) {
                FormatItemValue(static_cast<ItemType>(type), s, round % 2 == 0, currency, true);
                FormatListValue(ValueList::History, static_cast<ItemType>(type), s, round % 2 == 1, currency,
                                false);
            }
        ToCapitalAmount(s, 0, false);
        ToCapitalDatePart(s, true);
        ToCapitalDatePart(s, false);
    }
    QCOMPARE(CurrencyTable::names().size(), CurrencyTable::Count);
}

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_Conversion.moc"
