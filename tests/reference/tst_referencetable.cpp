#include "reference/ColumnFit.h"
#include "reference/RecordFilter.h"
#include "reference/ReferenceTable.h"
#include "reference/TableChangedError.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"

#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(RecordFilter::Test)

// Query filters, duplicate-code look-ups, record access by position and column widths.
class TestReferenceTable : public QObject {
    Q_OBJECT

    std::unique_ptr<TempAppFolder> m_folder;
    const QString m_table = QStringLiteral("业务单位");
    const QStringList m_cols = Schema::businessUnitColumns();

    void add(const QString& name, const QString& code) {
        ReferenceTable(m_table).append(m_cols, {name, "", "", "", "", code});
    }
    QStringList names() const {
        QStringList out;
        for (const StoredRecord& r : ReferenceTable(m_table).records({QStringLiteral("单位名称")}))
            out << r.values.first();
        return out;
    }

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        add(QStringLiteral("甲"), QStringLiteral("ab"));
        add(QStringLiteral("乙"), QStringLiteral("AB"));
        add(QStringLiteral("丙"), QString());
    }
    void cleanup() { m_folder.reset(); }

    void filter_data() {
        QTest::addColumn<RecordFilter::Test>("test");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        using T = RecordFilter::Test;
        QTest::newRow("lenient: contained") << T::SkipEmptyStored << "上海机械"
                                            << "机械" << true;
        QTest::newRow("lenient: case counts") << T::SkipEmptyStored << "abc"
                                              << "B" << false;
        QTest::newRow("lenient: empty stored passes") << T::SkipEmptyStored << ""
                                                      << "机械" << true;
        QTest::newRow("lenient: no text passes") << T::SkipEmptyStored << "abc"
                                                 << "" << true;
        QTest::newRow("strict: empty stored fails") << T::Strict << ""
                                                    << "hk" << false;
        QTest::newRow("strict: no text passes") << T::Strict << ""
                                                << "" << true;
        QTest::newRow("strict: across lines") << T::Strict << "第一行\n第二行"
                                              << "行\n第二" << true;
        QTest::newRow("always: contained") << T::Always << "汉族"
                                           << "汉族" << true;
        QTest::newRow("always: other entry") << T::Always << "女"
                                             << "男" << false;
        QTest::newRow("always: no selection fails") << T::Always << "男"
                                                    << "" << false;
    }
    void filter() {
        QFETCH(RecordFilter::Test, test);
        QFETCH(QString, stored);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        RecordFilter f;
        f.add(1, text, test);
        QCOMPARE(f.accepts({QStringLiteral("x"), stored}), accepted);
    }

    void contactFilterAlwaysTestsTheLists() {
        QStringList texts(19);
        texts[1] = QStringLiteral("男");
        texts[3] = QStringLiteral("汉族");
        const RecordFilter everyone = RecordFilter::contacts(texts);
        QStringList man(19), woman(19);
        man[1] = QStringLiteral("男"), man[3] = QStringLiteral("汉族");
        woman[1] = QStringLiteral("女"), woman[3] = QStringLiteral("汉族");
        QVERIFY(everyone.accepts(man));
        QVERIFY(!everyone.accepts(woman));
        texts[0] = QStringLiteral("张");
        QVERIFY(!RecordFilter::contacts(texts).accepts(man)); // empty stored name fails
    }

    void duplicateCodes() {
        ReferenceTable t(m_table);
        const QString code = QStringLiteral("识别码");
        QVERIFY(t.containsIgnoringCase(code, QStringLiteral("Ab")));
        QVERIFY(!t.containsIgnoringCase(code, QStringLiteral("a")));
        QCOMPARE(t.positionsWithText(code, QStringLiteral("AB")), QList<int>{1});
        QCOMPARE(t.positionsWithText(code, QStringLiteral("AB"), 1), QList<int>{});
        QCOMPARE(t.positionsWithText(code, QString()), QList<int>{2});
    }

    void positionalAccess() {
        ReferenceTable t(m_table);
        const QList<StoredRecord> listed = t.records(m_cols);
        QVERIFY(t.replaceAt(1, listed[1].rowId, m_cols, {"乙2", "", "", "", "", "AB"}));
        QCOMPARE(t.recordAt(1, listed[1].rowId, m_cols).values.first(), QStringLiteral("乙2"));
        QVERIFY(t.removeAt(0, listed[0].rowId));
        QCOMPARE(names(), (QStringList{"乙2", "丙"}));
    }

    // The grid still lists 甲 乙 丙 while 甲 is gone: position 1 now holds 丙.
    void changedTableIsRefused() {
        ReferenceTable t(m_table);
        const QList<StoredRecord> listed = t.records(m_cols);
        Sql::exec(Database::get(Db::Bill), QStringLiteral("DELETE FROM \"业务单位\" WHERE rowid=?"),
                  {listed[0].rowId});
        QVERIFY_THROWS_EXCEPTION(TableChangedError, t.removeAt(1, listed[1].rowId));
        QVERIFY_THROWS_EXCEPTION(
            TableChangedError, t.replaceAt(1, listed[1].rowId, m_cols, QStringList(6, QStringLiteral("x"))));
        QVERIFY_THROWS_EXCEPTION(TableChangedError, t.recordAt(1, listed[1].rowId, m_cols));
        QCOMPARE(names(), (QStringList{"乙", "丙"}));
    }

    void placeholderRow() {
        ReferenceTable t(m_table);
        QVERIFY_THROWS_EXCEPTION(TableChangedError, t.removeAt(0, -1)); // the table has a record there
        Sql::emptyTable(Database::get(Db::Bill), m_table);
        QVERIFY(!t.removeAt(0, -1));
        QVERIFY(!t.replaceAt(0, -1, m_cols, QStringList(6)));
        QCOMPARE(t.count(), 0);
    }

    void columnWidths_data() {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("pad");
        QTest::addColumn<int>("client");
        QTest::addColumn<QList<int>>("manager");
        QTest::addColumn<QList<int>>("selection");
        // 10 px per character; "中" (unit) 10 px.
        const QList<QStringList> rows{{"名称", "码"}, {"甲公司", ""}, {"乙", "abcd"}};
        QTest::newRow("narrow client") << rows << 20 << 50 << QList<int>{62, 72} << QList<int>{40, 50};
        QTest::newRow("last column fills") << rows << 0 << 200 << QList<int>{42, 155} << QList<int>{40, 160};
    }
    void columnWidths() {
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, pad);
        QFETCH(int, client);
        QFETCH(QList<int>, manager);
        QFETCH(QList<int>, selection);
        const auto width = [](const QString& s) { return int(s.size()) * 10; };
        QCOMPARE(ColumnFit::managerWidths(rows, width, pad, client), manager);
        QCOMPARE(ColumnFit::selectionWidths(rows, width, 10, client), selection);
    }
};

QTEST_GUILESS_MAIN(TestReferenceTable)
#include "tst_referencetable.moc"
