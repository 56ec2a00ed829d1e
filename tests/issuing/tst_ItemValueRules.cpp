#include "issuing/CalcMethod.h"
#include "issuing/ItemValueRules.h"
#include "issuing/OtherContent.h"
#include "support/TempAppFolder.h"

#include <QtTest>

namespace {
struct ItemDef {
    ItemDef(QString n, ItemType t = ItemType::Text, QString rel = {}, QString m = {}, bool p = true,
            bool input = true, int g = 0)
        : name(std::move(n)), type(t), relation(std::move(rel)), method(std::move(m)), printed(p),
          showInput(input), group(g) {}
    QString name;
    ItemType type;
    QString relation;
    QString method;
    bool printed;
    bool showInput;
    int group;
};

FilledBill billOf(const QList<ItemDef>& defs) {
    FilledBill bill;
    for (const ItemDef& s : defs) {
        TemplateItem it = TemplateItem::newItem(s.name);
        it.type = s.type;
        it.relation = s.relation;
        it.calcMethod = s.method;
        it.printed = s.printed;
        it.showInput = s.showInput;
        it.interlockGroup = quint8(s.group);
        bill.items << it;
        bill.values << QString();
    }
    return bill;
}

QString v(const FilledBill& bill, const char* name) {
    return bill.valueOf(QString::fromUtf8(name));
}
int at(const FilledBill& bill, const char* name) {
    return bill.indexOf(QString::fromUtf8(name));
}
QString u8(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

class TestItemValueRules : public QObject {
    Q_OBJECT
private slots:
    void storingMirrorsTheStoredText_data();
    void storingMirrorsTheStoredText();
    void checkBoxesOfAGroupExcludeEachOther();
    void monthCorrectsItsDay_data();
    void monthCorrectsItsDay();
    void methods_data();
    void methods();
    void unstorableResultsAreReportedAndKeepTheValue_data();
    void unstorableResultsAreReportedAndKeepTheValue();
    void recalculationFollowsChainsAndEndsOnCycles();
    void everyMethodIsRecomputedOnEachStore();
    void lookupFillsRelatedItems();
    void typedLookupTextReachesRelatedItems();
    void defaultValuesFromNow();
    void otherContentDefaultsAndAdditions();
};

void TestItemValueRules::storingMirrorsTheStoredText_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("mirrored");
    QTest::newRow("amount keeps typed zeros in the mirror") << int(ItemType::AmountFigures) << "00123.5"
                                                            << "123.5"
                                                            << "00123.5";
    QTest::newRow("amount below one") << int(ItemType::AmountCapital) << "0.5"
                                      << ".5"
                                      << "0.5";
    QTest::newRow("month gets its zero") << int(ItemType::Month) << "3"
                                         << "03"
                                         << "03";
    QTest::newRow("day gets its zero") << int(ItemType::DayCapital) << "7"
                                       << "07"
                                       << "07";
    QTest::newRow("quantity trimmed, mirror as typed") << int(ItemType::Quantity) << " 12 "
                                                       << "12"
                                                       << " 12 ";
    QTest::newRow("text unchanged") << int(ItemType::Text) << " a b "
                                    << " a b "
                                    << " a b ";
}

void TestItemValueRules::storingMirrorsTheStoredText() {
    QFETCH(int, type);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, mirrored);
    FilledBill bill = billOf({{u8("源"), ItemType(type)},
                              {u8("副本"), ItemType::Text, u8("源")},
                              {u8("不打印"), ItemType::Text, u8("源"), {}, false},
                              {u8("近名"), ItemType::Text, u8("源 ")}});
    StoreItemValue(bill, 0, typed);
    QCOMPARE(v(bill, "源"), stored);
    QCOMPARE(v(bill, "副本"), mirrored);
    QCOMPARE(v(bill, "不打印"), QString()); // only printed items mirror
    QCOMPARE(v(bill, "近名"), QString());   // the relation must match exactly
}

void TestItemValueRules::checkBoxesOfAGroupExcludeEachOther() {
    FilledBill bill = billOf({{"A", ItemType::CheckBox, {}, {}, true, true, 1},
                              {"B", ItemType::CheckBox, {}, {}, true, true, 1},
                              {"C", ItemType::CheckBox, {}, {}, true, true, 1},
                              {"D", ItemType::CheckBox, {}, {}, true, true, 2},
                              {"Z1", ItemType::CheckBox, {}, {}, true, true, 0},
                              {"Z2", ItemType::CheckBox, {}, {}, true, true, 0},
                              {"B copy", ItemType::Text, "B"},
                              {"A copy", ItemType::Text, "A"}});
    const QString tick = u8("√");
    ToggleCheckBox(bill, at(bill, "B"));
    ToggleCheckBox(bill, at(bill, "D"));
    QCOMPARE(v(bill, "B copy"), tick);

    ToggleCheckBox(bill, at(bill, "A"));
    QCOMPARE(v(bill, "A"), tick);
    QCOMPARE(v(bill, "B"), QString());
    QCOMPARE(v(bill, "C"), QString());
    QCOMPARE(v(bill, "B copy"), QString()); // cleared with its box
    QCOMPARE(v(bill, "A copy"), tick);
    QCOMPARE(v(bill, "D"), tick); // another group

    ToggleCheckBox(bill, at(bill, "C"));
    ToggleCheckBox(bill, at(bill, "C")); // unticking leaves the others as they are
    QCOMPARE(v(bill, "C"), QString());
    QCOMPARE(v(bill, "A"), QString());
    QCOMPARE(v(bill, "D"), tick);

    // Group 0 is a group like any other.
    ToggleCheckBox(bill, at(bill, "Z1"));
    ToggleCheckBox(bill, at(bill, "Z2"));
    QCOMPARE(v(bill, "Z1"), QString());
    QCOMPARE(v(bill, "Z2"), tick);
}

void TestItemValueRules::monthCorrectsItsDay_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("dayAfter");
    QTest::newRow("February of a common year") << "2015"
                                               << "2"
                                               << "30" << 28 << "01";
    QTest::newRow("February of a leap year keeps 29") << "2016"
                                                      << "2"
                                                      << "29" << 29 << "29";
    QTest::newRow("2100 is no leap year") << "2100"
                                          << "2"
                                          << "29" << 28 << "01";
    QTest::newRow("April has 30") << "2015"
                                  << "4"
                                  << "31" << 30 << "01";
    QTest::newRow("January keeps 31") << "2015"
                                      << "1"
                                      << "31" << 31 << "31";
    QTest::newRow("a year that is no number") << ""
                                              << "2"
                                              << "30" << 31 << "30";
}

void TestItemValueRules::monthCorrectsItsDay() {
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(int, days);
    QFETCH(QString, dayAfter);
    FilledBill bill = billOf({{u8("年"), ItemType::Year, u8("月-日")},
                              {u8("月"), ItemType::Month},
                              {u8("日"), ItemType::Day},
                              {u8("日副本"), ItemType::DayCapital, u8("日")}});
    bill.values[at(bill, "年")] = year;
    bill.values[at(bill, "日")] = day;
    StoreItemValue(bill, at(bill, "月"), month);
    QCOMPARE(DaysInRelatedMonth(bill, at(bill, "日")), days);
    QCOMPARE(v(bill, "日"), dayAfter);
    QCOMPARE(v(bill, "日副本"), dayAfter == day ? QString() : dayAfter);

    // A day without a year relation may be any day up to 31.
    FilledBill loose = billOf({{u8("日"), ItemType::Day}});
    QCOMPARE(DaysInRelatedMonth(loose, 0), 31);
}

void TestItemValueRules::methods_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("c");
    QTest::addColumn<QString>("result");
    const int amount = int(ItemType::AmountFigures);
    QTest::newRow("product of price and quantity") << "[a]*[b]" << amount << "12.5"
                                                   << "3"
                                                   << ""
                                                   << "37.5";
    QTest::newRow("spaces between tokens") << "[a] * [b]" << amount << "12.5"
                                           << "3"
                                           << ""
                                           << "37.5";
    QTest::newRow("products before sums") << "[a]+[b]-[c]*2" << amount << "100"
                                          << "20"
                                          << "5"
                                          << "110";
    QTest::newRow("a leading sign is ignored") << "-[a]+[b]" << amount << "7"
                                               << "3"
                                               << ""
                                               << "10";
    QTest::newRow("leading point and star") << ".*[a]" << amount << "7"
                                            << ""
                                            << ""
                                            << "7";
    QTest::newRow("exact money") << "[a]*1" << amount << "1234567.89"
                                 << ""
                                 << ""
                                 << "1234567.89";
    QTest::newRow("half up") << "[a]*1" << amount << "0.335"
                             << ""
                             << ""
                             << "0.34";
    QTest::newRow("half up from three places") << "[a]*[b]" << amount << "1234567.875"
                                               << "1"
                                               << ""
                                               << "1234567.88";
    QTest::newRow("cut keeps two places") << "[a]*1" << amount << "1.999"
                                          << ""
                                          << ""
                                          << "2.00";
    QTest::newRow("below one keeps its zero") << "[a]*[b]" << amount << ".5"
                                              << ".5"
                                              << ""
                                              << "0.25";
    QTest::newRow("empty operand counts 0") << "[a]+[b]" << amount << ""
                                            << "4"
                                            << ""
                                            << "4";
    QTest::newRow("unknown name counts 0") << "[x]+[b]" << amount << ""
                                           << "4"
                                           << ""
                                           << "4";
    QTest::newRow("eleven integer digits") << "[a]*10" << amount << "9999999999.9"
                                           << ""
                                           << ""
                                           << "99999999999";
    QTest::newRow("number operand with point") << "[a]*1.5" << amount << "10"
                                               << ""
                                               << ""
                                               << "15";
    QTest::newRow("trailing operator") << "[a]*2+" << amount << "10"
                                       << ""
                                       << ""
                                       << "20";
    QTest::newRow("quantity keeps the whole part") << "[a]*[b]" << int(ItemType::Quantity) << "7.5"
                                                   << "3"
                                                   << ""
                                                   << "22";
    QTest::newRow("digit grid") << "[a]+[b]" << int(ItemType::DigitGrid) << "123"
                                << "877"
                                << ""
                                << "1000";
    QTest::newRow("only signs is zero") << "+-" << amount << "5"
                                        << ""
                                        << ""
                                        << "0";
    // Exact to the last digit however far the operands reach; rounded once, at the end.
    QTest::newRow("literal beyond eighteen places")
        << "[a]*[b]*0.00000000000000000555" << amount << "100000000"
        << "100000000"
        << ""
        << "0.06";
    QTest::newRow("half up after twenty-one places") << "[a]*[b]" << amount << "0.000000000000000000125"
                                                     << "40000000000000000"
                                                     << ""
                                                     << "0.01";
    QTest::newRow("huge product times an empty operand") << "[a]*[b]*[c]*[x]" << amount << "99999999999.99"
                                                         << "99999999999.99"
                                                         << "99999999999.99"
                                                         << "0";
    QTest::newRow("huge product scaled back down")
        << "[a]*[b]*0.0000000000000000000001" << amount << "99999999999.99"
        << "99999999999.99"
        << ""
        << "1.00";
}

void TestItemValueRules::methods() {
    QFETCH(QString, method);
    QFETCH(int, type);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, c);
    QFETCH(QString, result);
    FilledBill bill = billOf({{"a", ItemType::Quantity},
                              {"b", ItemType::Quantity},
                              {"c", ItemType::Quantity},
                              {"r", ItemType(type), QString(), method, true, false}});
    bill.values[0] = a;
    bill.values[1] = b;
    bill.values[2] = c;
    // The method runs whichever of its operands changes; the result is the same.
    for (int changed : {0, 1}) {
        bill.values[3].clear();
        if (!method.contains(bill.items.at(changed).name))
            continue;
        Recalculate(bill, changed);
        QCOMPARE(v(bill, "r"), result);
    }
}

void TestItemValueRules::unstorableResultsAreReportedAndKeepTheValue_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("message");
    QTest::newRow("negative") << "[a]-100"
                              << "5" << u8("得出 -95");
    QTest::newRow("twelve integer digits") << "[a]*10"
                                           << "99999999999" << u8("得出 999999999990");
    QTest::newRow("not a number") << "[a]*2"
                                  << "12a" << u8("“12a”不是有效的数值");
    QTest::newRow("number with two points") << "[a]*1.2.3"
                                            << "1" << u8("“1.2.3”不是有效的数值");
}

void TestItemValueRules::unstorableResultsAreReportedAndKeepTheValue() {
    QFETCH(QString, method);
    QFETCH(QString, a);
    QFETCH(QString, message);
    FilledBill bill = billOf({{"a", ItemType::Quantity},
                              {u8("金额"), ItemType::AmountCapital, QString(), method, true, false},
                              {u8("副本"), ItemType::AmountFigures, u8("a")}});
    bill.values[1] = QStringLiteral("8.00");
    try {
        StoreItemValue(bill, 0, a);
        QFAIL("no error");
    } catch (const CalculationError& e) {
        QVERIFY2(e.message().contains(u8("“金额”")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QCOMPARE(bill.values.at(1), QStringLiteral("8.00"));
    QCOMPARE(bill.values.at(2), a); // the stored value still reaches its mirror
}

void TestItemValueRules::recalculationFollowsChainsAndEndsOnCycles() {
    FilledBill bill = billOf({{u8("金额1"), ItemType::AmountFigures},
                              {"b", ItemType::AmountFigures, {}, u8("[金额1]*2"), true, false},
                              {"c", ItemType::AmountFigures, {}, "[b]+1", true, false},
                              {"d", ItemType::AmountFigures, {}, "[c]*3", true, false},
                              {"d copy", ItemType::AmountCapital, "d"},
                              {u8("金额"), ItemType::AmountFigures},
                              {"x", ItemType::AmountFigures, {}, u8("[金额]+[y]"), true, false},
                              {"y", ItemType::AmountFigures, {}, "[x]+1", true, false}});
    StoreItemValue(bill, at(bill, "金额1"), QStringLiteral("1"));
    QCOMPARE(v(bill, "b"), QStringLiteral("2"));
    QCOMPARE(v(bill, "c"), QStringLiteral("3"));
    QCOMPARE(v(bill, "d"), QStringLiteral("9"));
    QCOMPARE(v(bill, "d copy"), QStringLiteral("9"));

    // Changing 金额 also reruns b, whose method mentions 金额1; its value stays.
    bill.values[at(bill, "b")] = QStringLiteral("5");
    StoreItemValue(bill, at(bill, "金额"), QStringLiteral("10"));
    QCOMPARE(v(bill, "b"), QStringLiteral("2"));
    // x and y depend on each other: the passes end after as many as there are items.
    const int x = v(bill, "x").toInt();
    const int y = v(bill, "y").toInt();
    QVERIFY(x > 10 && y > 10);
    QVERIFY(x < 100 && y < 100);
}

void TestItemValueRules::everyMethodIsRecomputedOnEachStore() {
    // 税 depends on a only through b; b does not change when a is stored again, 税 still follows.
    FilledBill bill = billOf({{"a", ItemType::AmountFigures},
                              {"b", ItemType::AmountFigures, {}, "[a]*2", true, false},
                              {u8("税"), ItemType::AmountFigures, {}, "[b]*0.1", true, false}});
    StoreItemValue(bill, at(bill, "a"), QStringLiteral("10"));
    QCOMPARE(v(bill, "税"), QStringLiteral("2"));
    bill.values[at(bill, "税")] = QStringLiteral("99");
    StoreItemValue(bill, at(bill, "a"), QStringLiteral("10"));
    QCOMPARE(v(bill, "b"), QStringLiteral("20"));
    QCOMPARE(v(bill, "税"), QStringLiteral("2"));
}

void TestItemValueRules::lookupFillsRelatedItems() {
    const QStringList names{u8("单位名称"), u8("银行帐号"), u8("开户银行")};
    const QStringList values{u8("甲公司"), u8("6222"), u8("工行")};
    FilledBill bill = billOf({{u8("收款人"), ItemType::BusinessUnit},
                              {u8("帐号"), ItemType::Text, u8("收款人-银行帐号")},
                              {u8("银行"), ItemType::Text, u8("收款人-开户银行")},
                              {u8("未知"), ItemType::Text, u8("收款人-电话")},
                              {u8("抬头"), ItemType::Text, u8("收款人")},
                              {u8("帐号副本"), ItemType::Text, u8("帐号")},
                              {u8("开户行"), ItemType::OwnUnit, u8("开户银行")}});
    bill.values[at(bill, "未知")] = QStringLiteral("keep");
    ApplyLookup(bill, 0, values, names);
    QCOMPARE(v(bill, "收款人"), u8("甲公司"));
    QCOMPARE(v(bill, "帐号"), u8("6222"));
    QCOMPARE(v(bill, "银行"), u8("工行"));
    QCOMPARE(v(bill, "未知"), QStringLiteral("keep"));
    QCOMPARE(v(bill, "抬头"), u8("甲公司"));
    QCOMPARE(v(bill, "帐号副本"), u8("6222"));

    // An item whose relation names a field takes that field instead of the first value.
    ApplyLookup(bill, at(bill, "开户行"), values, names);
    QCOMPARE(v(bill, "开户行"), u8("工行"));
}

void TestItemValueRules::typedLookupTextReachesRelatedItems() {
    FilledBill bill = billOf({{u8("收款人"), ItemType::BusinessUnit},
                              {u8("用途"), ItemType::Purpose},
                              {u8("抬头"), ItemType::Text, u8("收款人")},
                              {u8("用途副本"), ItemType::Text, u8("用途")}});
    KeepTypedLookupText(bill, 0, u8("乙"));
    KeepTypedLookupText(bill, 1, u8("货款"));
    QCOMPARE(v(bill, "收款人"), u8("乙"));
    QCOMPARE(v(bill, "抬头"), u8("乙"));
    QCOMPARE(v(bill, "用途"), u8("货款"));
    QCOMPARE(v(bill, "用途副本"), QString());
}

void TestItemValueRules::defaultValuesFromNow() {
    FilledBill bill = billOf({{"y", ItemType::YearCapital},
                              {"m", ItemType::Month},
                              {"d", ItemType::DayCapital},
                              {"mdhm", ItemType::MonthDayTime},
                              {"ymd", ItemType::YearMonthDay},
                              {"t", ItemType::Text}});
    bill.values[5] = QStringLiteral("old");
    SetDefaultValues(bill, QDateTime(QDate(2015, 3, 8), QTime(14, 5, 9)));
    QCOMPARE(bill.values, (QStringList{"2015", "03", "08", "03081405", "150308", ""}));
}

void TestItemValueRules::otherContentDefaultsAndAdditions() {
    TempAppFolder app;
    const QStringList reasons = OtherContent::entries(GetOtherContentList(ItemType::ReturnReason));
    QCOMPARE(reasons.size(), 12);
    QCOMPARE(reasons.first(), u8("金额涂改"));
    QCOMPARE(reasons.last(), u8("票据过期"));
    QCOMPARE(OtherContent::entries(GetOtherContentList(ItemType::BillKind)).size(), 5);
    QCOMPARE(GetOtherContentList(ItemType::Handler), QString());
    QCOMPARE(GetOtherContentList(ItemType::Text), QString());

    FilledBill bill = billOf({{u8("种类"), ItemType::BillKind}, {u8("经办"), ItemType::Handler}});
    StoreItemValue(bill, 0, u8("银行汇票"));
    StoreItemValue(bill, 0, u8("银行汇票"));
    StoreItemValue(bill, 0, QString());
    QStringList kinds = OtherContent::entries(GetOtherContentList(ItemType::BillKind));
    QCOMPARE(kinds.size(), 6);
    QCOMPARE(kinds.last(), u8("银行汇票"));

    StoreItemValue(bill, 1, QStringLiteral("Wang"));
    StoreItemValue(bill, 1, QStringLiteral("WANG")); // Latin letters match without case
    StoreItemValue(bill, 1, QStringLiteral("Li"));
    QCOMPARE(GetOtherContentList(ItemType::Handler), QStringLiteral("Wang\r\nLi"));
    QVERIFY(!OtherContent::sameEntry(u8("Ä"), u8("ä"))); // only Latin letters fold
}

QTEST_GUILESS_MAIN(TestItemValueRules)
#include "tst_ItemValueRules.moc"
