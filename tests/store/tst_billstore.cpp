#include "platform/AppPaths.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QFile>
#include <QTest>

namespace {
QSqlDatabase bill() {
    return Database::get(Db::Bill);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestBillStore : public QObject {
    Q_OBJECT
private slots:
    void newStoreHasNineDefaultTypesAndNoBills() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        QCOMPARE(store.typeNames(), Schema::defaultTypeNames());
        QVERIFY(store.typesWithBills().isEmpty());
        QCOMPARE(store.nextTableStem(), QStringLiteral("H1"));
        // Running it again changes nothing.
        store.ensureBillTypeTable();
        QCOMPARE(Sql::rowCount(bill(), BillStore::typeTable()), 9);
    }

    void lostTypeTableIsRebuiltWithCountsOfExistingBills() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        addFixtureBill(store, 2, QStringLiteral("电汇A"));
        addFixtureBill(store, 2, QStringLiteral("电汇B"));
        const int user = store.addType(QStringLiteral("自定义"));
        QCOMPARE(user, 9);
        Sql::dropTable(bill(), BillStore::typeTable());
        store.ensureBillTypeTable();
        QCOMPARE(store.typeNames().size(), 9); // user types are not recreated
        QCOMPARE(store.typeBillCount(2), 2);
        QCOMPARE(store.typesWithBills(), QStringList{QStringLiteral("电汇")});
    }

    void billTablesFollowTheTemplate() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        const MainItemFlag e = addFixtureBill(store, 0, QStringLiteral("现金支票"),
                                              {{QStringLiteral("金额"), 8, true, true},
                                               {QStringLiteral("用途"), 14, false, false},
                                               {QStringLiteral("编号"), 16, false, false},
                                               {QStringLiteral("密\"码"), 15, true, false}});
        QCOMPARE(e.typeTable, QStringLiteral("H1Type"));
        QCOMPARE(e.autoTable, QStringLiteral("H1Auto"));
        QCOMPARE(Sql::columnNames(bill(), e.historyTable),
                 (QStringList{"HistoryNumber", "打印日期", "货币种类", "金额", "密\"码"}));
        QCOMPARE(Sql::columnNames(bill(), e.preBillTable),
                 (QStringList{"BeforeNumber", "货币种类", "金额", "用途", "编号", "密\"码"}));
        QCOMPARE(Sql::columnNames(bill(), e.autoTable), (QStringList{"AutoNumber", "编号", "密\"码"}));
        QCOMPARE(Sql::rowCount(bill(), e.itemTable), 4);
        QCOMPARE(Sql::rowCount(bill(), e.typeTable), 1);
        // The working template is emptied once the bill exists.
        QCOMPARE(Sql::rowCount(Database::get(Db::Define), BillStore::workingItemTable()), 0);
        QCOMPARE(store.billNamesOfType(0), QStringList{QStringLiteral("现金支票")});
        QCOMPARE(store.typeBillCount(0), 1);
    }

    void templateWithoutRecordedItemsGetsBareTables() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        const MainItemFlag e =
            addFixtureBill(store, 0, QStringLiteral("A"), {{QStringLiteral("X"), 0, false, false}});
        QCOMPARE(Sql::columnNames(bill(), e.historyTable),
                 (QStringList{"HistoryNumber", "打印日期", "货币种类"}));
        QCOMPARE(Sql::columnNames(bill(), e.autoTable), QStringList{"AutoNumber"});
    }

    void stemFollowsTheLastMasterRow() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        addFixtureBill(store, 0, QStringLiteral("一"));
        const MainItemFlag second = addFixtureBill(store, 0, QStringLiteral("二"));
        QCOMPARE(second.typeTable, QStringLiteral("H2Type"));
        QCOMPARE(store.deleteBill(second), 2);
        QCOMPARE(store.nextTableStem(), QStringLiteral("H2"));
        QVERIFY(!Sql::tableExists(bill(), QStringLiteral("H2Item")));
        QCOMPARE(store.typeBillCount(0), 1);
    }

    void failingCreationLeavesNoHalfBill() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        // Two items of the same name cannot both become pre-bill columns.
        fillWorkingTemplate(QStringLiteral("坏"), {{QStringLiteral("同名"), 0}, {QStringLiteral("同名"), 0}});
        QVERIFY_THROWS_EXCEPTION(StoreError, store.createBillFromWorkingTemplate(0, QStringLiteral("坏")));
        QCOMPARE(Sql::rowCount(bill(), BillStore::masterTable()), 0);
        for (const char* t : {"H1Type", "H1Item", "H1His", "H1Bef", "H1Auto"})
            QVERIFY2(!Sql::tableExists(bill(), QString::fromLatin1(t)), t);
        // The template is kept for another try.
        QCOMPARE(Sql::rowCount(Database::get(Db::Define), BillStore::workingItemTable()), 2);
    }

    void deleteRemovesRowTablesPictureAndCount() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        const QString picture = BillStore::newPictureFileName();
        writeFile(picture, "\xFF\xD8\xFFjpeg");
        fillWorkingTemplate(QStringLiteral("带图"), {{QStringLiteral("金额"), 8}}, 1,
                            QStringLiteral("C:\\old\\") + QFileInfo(picture).fileName());
        MainItemFlag e = store.createBillFromWorkingTemplate(1, QStringLiteral("带图"));
        store.changeTypeCount(1, 1);
        QCOMPARE(store.deleteBill(e), 1);
        QVERIFY(!QFile::exists(picture));
        QCOMPARE(Sql::rowCount(bill(), BillStore::masterTable()), 0);
        for (const QString& t : {e.typeTable, e.itemTable, e.historyTable, e.preBillTable, e.autoTable})
            QVERIFY(!Sql::tableExists(bill(), t));
        QCOMPARE(store.typeBillCount(1), 0);
    }

    void workingTemplateRoundTripAndLegacyPicture() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        const MainItemFlag e = addFixtureBill(store, 0, QStringLiteral("支票一"));
        Sql::exec(bill(), QStringLiteral("UPDATE \"H1Type\" SET \"图象数据\"=?"), {QByteArray("BMlegacy")});
        store.loadWorkingTemplate(e);
        QSqlDatabase def = Database::get(Db::Define);
        const QString moved =
            Sql::scalar(def, QStringLiteral("SELECT \"图象数据格式\" FROM \"票据类型\"")).toString();
        QCOMPARE(moved, AppPaths::pictureDir() + QStringLiteral("1.bkg"));
        QCOMPARE(BillStore::pictureKind(moved), 1);
        QVERIFY(Sql::scalar(bill(), QStringLiteral("SELECT \"图象数据\" FROM \"H1Type\"")).isNull());
        QCOMPARE(Sql::rowCount(def, BillStore::workingItemTable()), 1);
        // Loading again does not move the picture a second time.
        store.loadWorkingTemplate(e);
        QVERIFY(!QFile::exists(AppPaths::pictureDir() + QStringLiteral("2.bkg")));

        Sql::exec(def, QStringLiteral("UPDATE \"基本设置项\" SET \"横向位置\"=777"));
        store.storeWorkingTemplate(e);
        QCOMPARE(Sql::scalar(bill(), QStringLiteral("SELECT \"横向位置\" FROM \"H1Item\"")).toInt(), 777);
        QCOMPARE(Sql::rowCount(bill(), e.itemTable), 1);
    }

    void pictureNamesAndKinds() {
        TempAppFolder app;
        writeFile(AppPaths::pictureDir() + QStringLiteral("1.bkg"), "BM");
        writeFile(AppPaths::pictureDir() + QStringLiteral("2.bkg"), "\xFF\xD8\xFF\xE0");
        QCOMPARE(BillStore::newPictureFileName(), AppPaths::pictureDir() + QStringLiteral("3.bkg"));
        QCOMPARE(BillStore::pictureKind(AppPaths::pictureDir() + QStringLiteral("1.bkg")),
                 -1); // shorter than 3
        QCOMPARE(BillStore::pictureKind(AppPaths::pictureDir() + QStringLiteral("2.bkg")), 0);
        QCOMPARE(BillStore::pictureKindOfBytes("BMx"), 1);
        QCOMPARE(BillStore::pictureKindOfBytes("GIF89a"), -1);
        QCOMPARE(BillStore::pictureKind(AppPaths::pictureDir() + QStringLiteral("none.bkg")), -1);
        QCOMPARE(BillStore::resolvePicturePath(QStringLiteral("D:\\x\\BackImage\\7.bkg")),
                 AppPaths::pictureDir() + QStringLiteral("7.bkg"));
        QVERIFY(BillStore::resolvePicturePath(QStringLiteral("  ")).isEmpty());
    }

    void clearingLeavesOnlyDefaults() {
        TempAppFolder app;
        BillStore store;
        store.ensureBillTypeTable();
        addFixtureBill(store, 0, QStringLiteral("A"));
        store.addType(QStringLiteral("新类型"));
        Sql::insertRow(bill(), QStringLiteral("业务单位"), {QStringLiteral("单位名称")},
                       {QStringLiteral("甲公司")});
        store.clearStore();
        QVERIFY(!Sql::tableExists(bill(), QStringLiteral("H1Item")));
        QCOMPARE(Sql::rowCount(bill(), QStringLiteral("业务单位")), 0);
        store.ensureBillTypeTable();
        QCOMPARE(store.typeNames(), Schema::defaultTypeNames());
        QCOMPARE(store.nextTableStem(), QStringLiteral("H1"));
    }

    void existingDatabaseIsNeverOverwritten() {
        TempAppFolder app;
        Sql::insertRow(bill(), QStringLiteral("业务单位"), {QStringLiteral("单位名称")},
                       {QStringLiteral("留下")});
        Database::closeThreadConnections();
        Schema::ensureDatabases();
        QCOMPARE(Sql::rowCount(bill(), QStringLiteral("业务单位")), 1);
    }
};

QTEST_GUILESS_MAIN(TestBillStore)
#include "tst_billstore.moc"
