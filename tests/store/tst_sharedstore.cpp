// Several desks on one shared PostgreSQL store: a whole store copied there and back, two desks
// printing the same bill at once, pictures and reference records seen by every desk, and a change
// another operator saved first. Needs the test server (TARVEL_TEST_PG_URL); the test makes its own
// shared and embedded stores, so it runs once.
#include "exchange/StoreCopy.h"
#include "issuing/PrintRecords.h"
#include "platform/AppPaths.h"
#include "reference/ReferenceTable.h"
#include "reference/TableChangedError.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

const QString kPicturePath = QStringLiteral("图象数据格式");

// Every table of the current store with its rows in natural order; picture paths are compared by
// file name, as each folder keeps its pictures below itself.
QMap<QString, QList<QVariantList>> storeContents() {
    const QSqlDatabase db = Database::get(Db::Bill);
    QMap<QString, QList<QVariantList>> tables;
    for (const QString& t : Sql::tableNames(db)) {
        if (t == BillStore::pictureTable())
            continue;
        const int path = int(Sql::columnNames(db, t).indexOf(kPicturePath));
        QList<QVariantList> rows = Sql::allRows(db, t);
        for (QVariantList& r : rows) {
            for (QVariant& v : r)
                v = v.isNull() ? QVariant() : QVariant(v.toString());
            if (path >= 0)
                r[path] = r.at(path).toString().section(QLatin1Char('/'), -1);
        }
        tables.insert(t, rows);
    }
    return tables;
}

QMap<QString, QByteArray> pictures() {
    QMap<QString, QByteArray> bytes;
    BillStore store;
    for (const MainItemFlag& e : store.allBillEntries()) {
        QFile f(BillStore::resolvePicturePath(store.storedPicturePath(e)));
        if (f.open(QIODevice::ReadOnly))
            bytes.insert(e.billName, f.readAll());
    }
    return bytes;
}

QString writePicture(const QByteArray& bytes) {
    const QString path = BillStore::newPictureFileName();
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// A bill with an automatic number and a picture, on the current store.
MainItemFlag addNumberedBill(BillStore& store, const QString& name, const QByteArray& picture) {
    fillWorkingTemplate(name, {{u8("金额"), 8, true, true}, {u8("编号"), 16, true, false}}, 0,
                        writePicture(picture));
    MainItemFlag e = store.createBillFromWorkingTemplate(0, name);
    store.changeTypeCount(0, 1);
    return e;
}
} // namespace

class TestSharedStore : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (testingSharedStore())
            QSKIP("makes its own shared stores");
        REQUIRE_TEST_SERVER();
    }

    void copiedThereAndBackIsTheSame() {
        TempAppFolder source;
        const QString sourceHome = AppPaths::home();
        BillStore store;
        store.ensureBillTypeTable();
        for (int i = 1; i <= 30; ++i) {
            const MainItemFlag e =
                addNumberedBill(store, u8("票据%1").arg(i), QByteArray("BM-") + QByteArray::number(i));
            store.loadWorkingTemplate(e);
            FilledBill bill = LoadWorkingBill(96);
            bill.values[0] = QStringLiteral("%1.05").arg(i);
            RecordPrintedBill(e, bill, 0, QDateTime(QDate(2026, 1, i % 28 + 1), QTime(9, 0)));
        }
        ReferenceTable units(u8("业务单位"));
        units.append({u8("单位名称"), u8("识别码")}, {u8("北京'甲\"公司"), u8("BJ")});
        units.append({u8("单位名称"), u8("识别码")}, {u8("上海乙公司"), QString()});
        const auto contents = storeContents();
        const auto bytes = pictures();
        QCOMPARE(bytes.size(), 30);

        TempAppFolder shared(TempAppFolder::Store::Shared);
        const QString url = shared.storeUrl();
        TempAppFolder back;
        AppPaths::setHome(sourceHome);
        QCOMPARE(StoreCopy::copy(QString(), url).bills, 30);
        // A store that is not empty takes no copy.
        QVERIFY_THROWS_EXCEPTION(StoreError, StoreCopy::copy(QString(), url));
        // Another desk sees the bills and pictures it never had in its folder.
        AppPaths::setHome(back.path());
        Database::closeThreadConnections();
        Database::setStoreUrl(url);
        QCOMPARE(pictures(), bytes);
        QCOMPARE(BillStore().allBillEntries().size(), 30);

        QTemporaryDir third;
        AppPaths::setHome(third.path());
        AppPaths::ensureFolders();
        StoreCopy::copy(url, QString());
        QCOMPARE(storeContents(), contents);
        QCOMPARE(pictures(), bytes);
        AppPaths::setHome(sourceHome);
    }

    void twoDesksPrintingAtOnceGetDistinctNumbers() {
        TempAppFolder shared(TempAppFolder::Store::Shared);
        BillStore store;
        store.ensureBillTypeTable();
        const MainItemFlag e = addNumberedBill(store, u8("转帐支票"), "BM");
        store.loadWorkingTemplate(e);
        FilledBill first = LoadWorkingBill(96);
        first.values[1] = QStringLiteral("00000001");
        SaveRememberedItems(e.autoTable, first);
        Database::closeThreadConnections();

        const QString helper =
            QCoreApplication::applicationDirPath() + QStringLiteral("/print_on_shared_store");
        QTemporaryDir deskA;
        QTemporaryDir deskB;
        QProcess a;
        QProcess b;
        a.start(helper, {deskA.path(), shared.storeUrl(), e.billName, QStringLiteral("100")});
        b.start(helper, {deskB.path(), shared.storeUrl(), e.billName, QStringLiteral("100")});
        for (QProcess* p : {&a, &b}) {
            QVERIFY(p->waitForFinished(300000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }

        const QSqlDatabase db = Database::get(Db::Bill);
        QSqlQuery rows =
            Sql::exec(db, QStringLiteral("SELECT \"HistoryNumber\", %1 FROM %2 ORDER BY \"HistoryNumber\"")
                              .arg(Sql::q(u8("编号")), Sql::q(e.historyTable)));
        QSet<QString> numbers;
        qint64 expected = 0;
        while (rows.next()) {
            QCOMPARE(rows.value(0).toLongLong(), ++expected);
            numbers.insert(rows.value(1).toString());
        }
        QCOMPARE(expected, 200);
        // The automatic numbers went out one each, consecutively.
        QCOMPARE(numbers.size(), 200);
        QVERIFY(numbers.contains(QStringLiteral("00000001")));
        QVERIFY(numbers.contains(QStringLiteral("00000200")));
    }

    void aChangeSavedFirstIsNeverOverwritten() {
        TempAppFolder shared(TempAppFolder::Store::Shared);
        ReferenceTable units(u8("业务单位"));
        const QStringList cols{u8("单位名称"), u8("开户银行")};
        const qint64 id = units.append(cols, {u8("甲公司"), u8("工行")});
        const QStringList listed = units.recordWithId(id, cols).values;

        // Operator one saves first; operator two still shows the record as it was.
        QVERIFY(units.replaceAt(0, id, cols, {u8("甲公司"), u8("建行")}, cols, listed));
        QVERIFY_THROWS_EXCEPTION(TableChangedError,
                                 units.replaceAt(0, id, cols, {u8("甲公司"), u8("农行")}, cols, listed));
        QVERIFY_THROWS_EXCEPTION(TableChangedError, units.removeAt(0, id, cols, listed));
        QCOMPARE(units.recordWithId(id, cols).values, (QStringList{u8("甲公司"), u8("建行")}));
    }

    void itemNamesTheServerWouldCutAreRefused() {
        TempAppFolder shared(TempAppFolder::Store::Shared);
        BillStore store;
        store.ensureBillTypeTable();
        const QString longest = QString(21, QChar(0x91d1));
        addFixtureBill(store, 0, u8("甲"), {{longest, 0, true, false}});
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 addFixtureBill(store, 0, u8("乙"), {{longest + u8("额"), 0, true, false}}));
        QCOMPARE(store.allBillEntries().size(), 1);
    }

    void storeUrlsAreCheckedBeforeUse_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "postgresql://db.example:5433/bills?user=ops" << true;
        QTest::newRow("options quoted")
            << "postgresql://h/bills?sslmode=require&options=-csearch_path%3Dx" << true;
        QTest::newRow("password in the address") << "postgresql://ops:secret@h/bills" << false;
        QTest::newRow("password option") << "postgresql://h/bills?password=secret" << false;
        QTest::newRow("another scheme") << "mysql://h/bills" << false;
        QTest::newRow("no database") << "postgresql://h/" << false;
        QTest::newRow("option breaking out") << "postgresql://h/bills?a%3Db=c" << false;
    }

    void storeUrlsAreCheckedBeforeUse() {
        QFETCH(QString, url);
        QFETCH(bool, accepted);
        QCOMPARE(Database::parseStoreUrl(url).error.isEmpty(), accepted);
    }
};

QTEST_GUILESS_MAIN(TestSharedStore)
#include "tst_sharedstore.moc"
