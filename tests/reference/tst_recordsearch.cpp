#include "reference/RecordSearch.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"

#include <QTest>

#include <memory>

// The look-up behind the selection dialog, over small tables of each kind.
class TestRecordSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<TempAppFolder> m_folder;

    static void insert(const QString& table, const QStringList& columns, const QList<QStringList>& rows) {
        for (const QStringList& r : rows) {
            QVariantList values;
            for (const QString& v : r)
                values << v;
            Sql::insertRow(Database::get(Db::Bill), table, columns, values);
        }
    }

    // First column of every candidate, joined with "|".
    static QString firstColumns(const RecordSearch::Lookup& l) {
        QStringList out;
        for (const QStringList& c : l.candidates)
            out << c.value(0);
        return out.join(QLatin1Char('|'));
    }

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        insert(QStringLiteral("业务单位"), Schema::businessUnitColumns(),
               {{"上海甲公司", "1001", "工行", "上海", "上海", "ab"},
                {"ABC贸易", "1002", "农行", "", "", "k1"},
                {"无码单位", "1003", "", "", "", ""},
                {"杭州五金", "1004", "", "浙江", "杭州", "xabcx"},
                {"客户乙", "1005", "", "", "", "客户A"},
                {"Abc北方", "1006", "", "", "", "dup"},
                {"南方", "1007", "", "", "", "DUP"},
                {"希腊", "1008", "", "", "", "Ωb"}});
        insert(QStringLiteral("票据用途"), Schema::purposeColumns(),
               {{"货款\n第二行", "hk"}, {"运费", ""}, {"服务费", "HKX"}});
        insert(QStringLiteral("联系人"), {QStringLiteral("姓名"), QStringLiteral("识别码")},
               {{"张三", "zs"}, {"Zhang Wei", "w1"}, {"李四", ""}});
    }
    void cleanup() { m_folder.reset(); }

    void search_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        const int bu = int(RecordSearch::Kind::BusinessUnit);
        const int purpose = int(RecordSearch::Kind::Purpose);
        const int contact = int(RecordSearch::Kind::Contact);
        QTest::newRow("code equal, letters folded") << bu << "AB"
                                                    << "上海甲公司";
        QTest::newRow("code equal before name prefix") << bu << "k1"
                                                       << "ABC贸易";
        QTest::newRow("codes differing in case both found") << bu << "Dup"
                                                            << "Abc北方|南方";
        QTest::newRow("name prefix, not code part") << bu << "abc"
                                                    << "ABC贸易|Abc北方";
        QTest::newRow("code part and empty codes") << bu << "bc"
                                                   << "无码单位|杭州五金";
        QTest::newRow("nothing matches: empty codes only") << bu << "zzz"
                                                           << "无码单位";
        QTest::newRow("empty text: empty codes") << bu << ""
                                                 << "无码单位";
        QTest::newRow("Chinese code exact") << bu << "客户a"
                                            << "客户乙";
        QTest::newRow("Chinese name prefix") << bu << "客户"
                                             << "客户乙";
        QTest::newRow("only ASCII letters fold") << bu << "ωb"
                                                 << "无码单位";
        QTest::newRow("purpose code") << purpose << "HK"
                                      << "货款\n第二行";
        QTest::newRow("purpose code part and empty codes") << purpose << "x"
                                                           << "运费|服务费";
        QTest::newRow("purpose has no text pass") << purpose << "运"
                                                  << "运费";
        QTest::newRow("purpose empty text: all") << purpose << ""
                                                 << "货款\n第二行|运费|服务费";
        QTest::newRow("contact code") << contact << "ZS"
                                      << "张三";
        QTest::newRow("contact name prefix") << contact << "zhang"
                                             << "Zhang Wei";
    }
    void search() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, found);
        QCOMPARE(firstColumns(RecordSearch::lookup(RecordSearch::Kind(kind), text)), found);
    }

    void namesComeWithoutCandidates() {
        Sql::emptyTable(Database::get(Db::Bill), QStringLiteral("业务单位"));
        const RecordSearch::Lookup l =
            RecordSearch::lookup(RecordSearch::Kind::BusinessUnit, QStringLiteral("x"));
        QVERIFY(l.candidates.isEmpty());
        QCOMPARE(l.names, Schema::businessUnitColumns());
    }

    void ownAccountsAreAllCandidates() {
        const auto kind = RecordSearch::Kind::OwnAccount;
        QVERIFY(RecordSearch::lookup(kind).candidates.isEmpty());
        insert(QStringLiteral("本单位帐户"), {QStringLiteral("开户名称")}, {{"本公司"}, {"分公司"}});
        const RecordSearch::Lookup l = RecordSearch::lookup(kind);
        QCOMPARE(firstColumns(l), QStringLiteral("本公司|分公司"));
        QCOMPARE(l.candidates.first().size(), Schema::ownAccountColumns().size());
    }
};

QTEST_GUILESS_MAIN(TestRecordSearch)
#include "tst_recordsearch.moc"
