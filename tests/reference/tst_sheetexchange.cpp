#include "platform/SpreadsheetError.h"
#include "platform/SpreadsheetReader.h"
#include "platform/SpreadsheetWriter.h"
#include "query/SaveQueryThread.h"
#include "reference/LoadBussAccountThread.h"
#include "reference/LoadLinkManThread.h"
#include "reference/SaveBussAccountThread.h"
#include "reference/SaveLinkManThread.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "support/TempAppFolder.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

#include <memory>

namespace {
const QString kUnits = QStringLiteral("业务单位");
const QString kContacts = QStringLiteral("联系人");
const QString kAccount19 = QStringLiteral("6222021234567890123");

QStringList unitColumns() {
    return Schema::businessUnitColumns();
}

// Records of a reference table as texts (NULL reads as ""), key left out, in table order.
QList<QStringList> records(const QString& table, const QStringList& columns) {
    QStringList quoted;
    for (const QString& c : columns)
        quoted << Sql::q(c);
    QSqlQuery q = Sql::exec(Database::get(Db::Bill),
                            QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(','), Sql::q(table)) +
                                Sql::naturalOrder());
    QList<QStringList> rows;
    while (q.next()) {
        QStringList r;
        for (int i = 0; i < columns.size(); ++i)
            r << q.value(i).toString();
        rows << r;
    }
    return rows;
}

void addRecord(const QString& table, const QStringList& columns, const QStringList& values) {
    QVariantList v;
    for (const QString& s : values)
        v << s;
    Sql::insertRow(Database::get(Db::Bill), table, columns, v);
}

void writeSheet(const QString& path, const QList<QStringList>& rows) {
    SpreadsheetWriter w(path);
    for (const QStringList& r : rows)
        w.addRow(r);
    w.save();
}

QStringList unit(const QString& name, const QString& account, const QString& bank, const QString& province,
                 const QString& city, const QString& code) {
    return {name, account, bank, province, city, code};
}
} // namespace

class TestSheetExchange : public QObject {
    Q_OBJECT

private slots:
    void init() { m_folder = std::make_unique<TempAppFolder>(); }
    void cleanup() { m_folder.reset(); }

    void businessUnitsRoundTrip() {
        const QList<QStringList> units{
            unit("甲公司", kAccount19, "工商银行", "浙江", "杭州", "A01"),
            unit("", "", "", "", "", ""), // an empty record travels as an empty row
            unit("乙公司", "0012345", "农业银行", "江苏", "南京", "a01"),
        };
        for (const QStringList& u : units)
            addRecord(kUnits, unitColumns(), u);
        const QString path = m_folder->file("units.xlsx");
        SaveBussAccountThread save(path);
        save.run();
        QCOMPARE(save.recordsWritten(), 3);

        const SheetTexts sheet = SpreadsheetReader::readActiveSheet(path);
        QCOMPARE(sheet.rowCount, 4);
        QCOMPARE(sheet.rows.at(0), (QStringList{"单位名称", "银行帐号", "开户银行", "省", "市", "识别码"}));
        QCOMPARE(sheet.cell(1, 1), kAccount19);

        // The import appends a second copy of every unit, codes included.
        LoadBussAccountThread load(path);
        load.run();
        QCOMPARE(load.recordsAdded(), 3);
        QCOMPARE(records(kUnits, unitColumns()), units + units);
    }

    void contactsRoundTrip() {
        const QStringList columns = Schema::contactColumns();
        QStringList full;
        for (int i = 0; i < columns.size(); ++i)
            full << QStringLiteral("值%1").arg(i);
        full[4] = QStringLiteral("330102198001010018");
        QStringList partial(columns.size());
        partial[0] = QStringLiteral("张三");
        partial[18] = QStringLiteral("ZS");
        addRecord(kContacts, columns, full);
        addRecord(kContacts, columns, partial);

        const QString path = m_folder->file("contacts.xlsx");
        SaveLinkManThread save(path);
        save.run();
        const SheetTexts sheet = SpreadsheetReader::readActiveSheet(path);
        QCOMPARE(sheet.columnCount, 19);
        QCOMPARE(sheet.rows.at(0), columns);

        Sql::emptyTable(Database::get(Db::Bill), kContacts);
        LoadLinkManThread load(path);
        load.run();
        QCOMPARE(records(kContacts, columns), (QList<QStringList>{full, partial}));
    }

    void importRules_data() {
        QTest::addColumn<QList<QStringList>>("sheet");
        QTest::addColumn<QList<QStringList>>("expected");
        const QStringList none(6);

        QTest::newRow("two headers in another order")
            << QList<QStringList>{{"识别码", "单位名称"}, {"C1", "丙"}, {"C2", "丁"}}
            << QList<QStringList>{unit("丙", "", "", "", "", "C1"), unit("丁", "", "", "", "", "C2")};
        QTest::newRow("column name instead of header is skipped")
            << QList<QStringList>{{"单位名称", "银行地址(省)", "市"}, {"丙", "浙江", "杭州"}}
            << QList<QStringList>{unit("丙", "", "", "", "杭州", "")};
        QTest::newRow("unknown and extra columns skipped")
            << QList<QStringList>{{"备注", "银行帐号", "单位名称 ", "识别码", "电话"},
                                  {"x", kAccount19, "y", "K", "123"}}
            << QList<QStringList>{unit("", kAccount19, "", "", "", "K")};
        QTest::newRow("empty row inside the range stored")
            << QList<QStringList>{{"单位名称", "开户银行"},
                                  {"甲", "工行"},
                                  {"", ""},
                                  {"乙", "农行"},
                                  {"丙", "建行"}}
            << QList<QStringList>{unit("甲", "", "工行", "", "", ""), none,
                                  unit("乙", "", "农行", "", "", ""), unit("丙", "", "建行", "", "", "")};
        QTest::newRow("no header matches: empty records")
            << QList<QStringList>{{"名称"}, {"甲"}, {"乙"}} << QList<QStringList>{none, none};
        QTest::newRow("header row only") << QList<QStringList>{{"单位名称"}} << QList<QStringList>{};
    }

    void importRules() {
        QFETCH(QList<QStringList>, sheet);
        QFETCH(QList<QStringList>, expected);
        addRecord(kUnits, unitColumns(), unit("旧单位", "1", "2", "3", "4", "C1"));
        const QString path = m_folder->file("in.xlsx");
        writeSheet(path, sheet);
        LoadBussAccountThread load(path);
        load.run();
        QCOMPARE(load.recordsAdded(), expected.size());
        QCOMPARE(records(kUnits, unitColumns()),
                 QList<QStringList>{unit("旧单位", "1", "2", "3", "4", "C1")} + expected);
    }

    void otherWorkbookFormats_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<QStringList>>("expected");
        const QStringList none(6);
        // Legacy .xls: the data sheet follows two empty sheets; 42 is a number cell.
        QTest::newRow("xls") << "sheets/units-legacy.xls"
                             << QList<QStringList>{unit("甲公司", kAccount19, "", "", "杭州", "42"), none,
                                                   unit("乙公司", "12345", "", "", "", "B02")};
        // .ods: the second table is the active one; a date cell reads as a date.
        QTest::newRow("ods") << "sheets/units.ods"
                             << QList<QStringList>{unit("甲公司", "", "", "", "", "42"), none, none,
                                                   unit("乙", "", "", "", "", "2015-03-08")};
        // .xlsx of a streaming writer: texts stored inline in the sheet, one of them in rich-text runs.
        QTest::newRow("xlsx inline strings")
            << "sheets/units-inline.xlsx"
            << QList<QStringList>{unit("甲公司", "", "", "", "杭州", "42"), none,
                                  unit("乙公司", "", "", "", "", "B02")};
    }

    void otherWorkbookFormats() {
        QFETCH(QString, file);
        QFETCH(QList<QStringList>, expected);
        LoadBussAccountThread load(testData(file));
        load.run();
        QCOMPARE(records(kUnits, unitColumns()), expected);
    }

    void damagedOrForeignFileRefused_data() {
        QTest::addColumn<QByteArray>("content");
        QFile good(testData("sheets/units.ods"));
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray ods = good.readAll();
        QFile xls(testData("sheets/units-legacy.xls"));
        QVERIFY(xls.open(QIODevice::ReadOnly));
        QTest::newRow("truncated workbook") << ods.left(ods.size() / 2);
        QTest::newRow("truncated legacy workbook") << xls.readAll().left(1200);
        QTest::newRow("text file") << QByteArray("单位名称,银行帐号\n甲,1\n");
        QTest::newRow("empty file") << QByteArray();
    }

    void damagedOrForeignFileRefused() {
        QFETCH(QByteArray, content);
        addRecord(kUnits, unitColumns(), unit("旧单位", "1", "2", "3", "4", "C1"));
        const QString path = m_folder->file("bad.xlsx");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        LoadBussAccountThread load(path);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, load.run());
        QCOMPARE(records(kUnits, unitColumns()).size(), 1);
    }

    void failedImportAddsNothing() {
        SKIP_ON_SHARED_STORE();
        // The store refuses the third row: the two before it must not stay behind.
        Sql::exec(
            Database::get(Db::Bill),
            QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON \"业务单位\" WHEN NEW.\"单位名称\" = '坏' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        const QString path = m_folder->file("in.xlsx");
        writeSheet(path, {{"单位名称"}, {"甲"}, {"乙"}, {"坏"}, {"丁"}});
        LoadBussAccountThread load(path);
        QVERIFY_THROWS_EXCEPTION(StoreError, load.run());
        QCOMPARE(records(kUnits, unitColumns()).size(), 0);
    }

    void failedExportKeepsExistingFile() {
        QVERIFY(QDir(m_folder->path()).mkdir("out"));
        const QString path = m_folder->file("out/units.xlsx");
        writeSheet(path, {{"旧"}});
        // A cell text longer than a spreadsheet cell can hold stops the export half-way.
        addRecord(kUnits, unitColumns(), unit("甲", "", "", "", "", ""));
        addRecord(kUnits, unitColumns(), unit(QString(40000, QLatin1Char('x')), "", "", "", "", ""));
        SaveBussAccountThread save(path);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, save.run());
        QCOMPARE(SpreadsheetReader::readActiveSheet(path).rows, (QList<QStringList>{{"旧"}}));
        QCOMPARE(QDir(m_folder->file("out")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"units.xlsx"});
    }

    void unwritableFolderRefused() {
        SaveBussAccountThread save(m_folder->file("missing-folder/units.xlsx"));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, save.run());
    }

    void queryExportLeavesOutFirstColumn() {
        const QString path = m_folder->file("query.xlsx");
        const QList<QStringList> grid{{"序号", "打印日期", "金额"},
                                      {"7", "2015年01月05日    10:00:00", "￥100.00"},
                                      {"合计", "", "￥100.00"}};
        SaveQueryThread save(path, grid);
        save.run();
        const SheetTexts sheet = SpreadsheetReader::readActiveSheet(path);
        QCOMPARE(sheet.rows,
                 (QList<QStringList>{
                     {"打印日期", "金额"}, {"2015年01月05日    10:00:00", "￥100.00"}, {"", "￥100.00"}}));
    }

    void xlsxName_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("legacy name") << "/d/单位.xls"
                                     << "/d/单位.xlsx";
        QTest::newRow("legacy name in capitals") << "/d/A.XLS"
                                                 << "/d/A.xlsx";
        QTest::newRow("no suffix") << "/d/单位"
                                   << "/d/单位.xlsx";
        QTest::newRow("xlsx") << "/d/a.xlsx"
                              << "/d/a.xlsx";
        QTest::newRow("other suffix kept") << "/d/a.txt"
                                           << "/d/a.txt";
    }

    void xlsxName() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(SpreadsheetWriter::xlsxName(chosen), written);
    }

private:
    std::unique_ptr<TempAppFolder> m_folder;
};

QTEST_GUILESS_MAIN(TestSheetExchange)
#include "tst_sheetexchange.moc"
