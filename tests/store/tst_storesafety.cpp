#include "platform/AppPaths.h"
#include "platform/FolderLock.h"
#include "store/BillStore.h"
#include "store/ColumnNames.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

class TestStoreSafety : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempAppFolder> m_app;

private slots:
    void init() { m_app = std::make_unique<TempAppFolder>(); }
    void cleanup() { m_app.reset(); }

    void failedCommitRollsBackAndLeavesTheConnectionUsable() {
        // A store in rollback-journal mode, where a reader keeps a commit from finishing.
        const QString path = m_app->file(QStringLiteral("tmp/journal.db"));
        const QString name = QStringLiteral("journal");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            Sql::exec(db, QStringLiteral("PRAGMA busy_timeout=50"));
            Sql::exec(db, QStringLiteral("CREATE TABLE t (v INTEGER)"));
            OtherConnection reader(path);
            {
                Sql::Transaction tx(db);
                Sql::exec(db, QStringLiteral("INSERT INTO t VALUES (1)"));
                QVERIFY(reader.holdRead(QStringLiteral("t")));
                QVERIFY_THROWS_EXCEPTION(StoreError, tx.commit());
            }
            reader.release();
            // Nothing of the failed transaction stays, and the next one begins and commits.
            QCOMPARE(Sql::rowCount(db, QStringLiteral("t")), 0);
            Sql::Transaction next(db);
            Sql::exec(db, QStringLiteral("INSERT INTO t VALUES (2)"));
            next.commit();
            QCOMPARE(Sql::scalar(db, QStringLiteral("SELECT v FROM t")).toInt(), 2);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    void aReaderOfTheStoreDoesNotStopWrites() {
        SKIP_ON_SHARED_STORE();
        BillStore store;
        store.ensureBillTypeTable();
        OtherConnection reader(AppPaths::billStoreFile());
        QVERIFY(reader.holdRead(BillStore::masterTable()));
        const MainItemFlag e = addFixtureBill(store, 0, u8("支票一"));
        QCOMPARE(store.allBillEntries().size(), 1);
        reader.release();
        QCOMPARE(store.allBillEntries().constFirst().historyTable, e.historyTable);
    }

    // Whether a table exists follows what another connection created or dropped meanwhile; a view
    // of that name is no table.
    void tableExistenceFollowsOtherConnections() {
        SKIP_ON_SHARED_STORE();
        QSqlDatabase db = Database::get(Db::Bill);
        QVERIFY(Sql::tableExists(db, BillStore::masterTable()));
        QVERIFY(!Sql::tableExists(db, u8("新表")));
        OtherConnection other(AppPaths::billStoreFile());
        QVERIFY(QSqlQuery(other.db()).exec(QStringLiteral("CREATE TABLE 新表 (x)")));
        QVERIFY(QSqlQuery(other.db()).exec(QStringLiteral("CREATE VIEW 视图 AS SELECT 1")));
        QVERIFY(Sql::tableExists(db, u8("新表")));
        QVERIFY(!Sql::tableExists(db, u8("视图")));
        QVERIFY(QSqlQuery(other.db()).exec(QStringLiteral("DROP TABLE 新表")));
        QVERIFY(!Sql::tableExists(db, u8("新表")));
    }

    void storeFilesAreCompletedOrRefused_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("usable");
        QTest::newRow("empty file of an interrupted start") << QByteArray() << true;
        QTest::newRow("a text file") << QByteArray("not a database at all, just some text\n") << false;
    }
    void storeFilesAreCompletedOrRefused() {
        SKIP_ON_SHARED_STORE();
        QFETCH(QByteArray, content);
        QFETCH(bool, usable);
        Database::closeThreadConnections();
        const QString path = AppPaths::billStoreFile();
        QFile::remove(path);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        if (usable) {
            Schema::ensureDatabases();
            QVERIFY(Sql::tableExists(Database::get(Db::Bill), BillStore::masterTable()));
            QVERIFY(Sql::tableExists(Database::get(Db::Bill), u8("联系人")));
            return;
        }
        try {
            Schema::ensureDatabases();
            QFAIL("a foreign file was taken for a store");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(u8("支票软件.mdb")), qPrintable(e.message()));
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content);
    }

    void aStoreThatLostATableGetsItBack() {
        Sql::dropTable(Database::get(Db::Bill), u8("票据用途"));
        Database::closeThreadConnections();
        Schema::ensureDatabases();
        QVERIFY(Sql::tableExists(Database::get(Db::Bill), u8("票据用途")));
    }

    void leftoversOfInterruptedWorkAreRemovedAtStart() {
        BillStore store;
        store.ensureBillTypeTable();
        const QString used = BillStore::newPictureFileName();
        QFile(used).open(QIODevice::WriteOnly);
        fillWorkingTemplate(u8("支票"), {{u8("金额"), 8, true, true}}, 0, used);
        store.createBillFromWorkingTemplate(0, u8("支票"));
        const QString working = BillStore::newPictureFileName();
        QFile(working).open(QIODevice::WriteOnly);
        fillWorkingTemplate(u8("草稿"), {{u8("金额"), 8, true, true}}, 0, working);
        const QString orphan = BillStore::newPictureFileName();
        QFile(orphan).open(QIODevice::WriteOnly);
        const QStringList scratch{AppPaths::backupStoreFile(), AppPaths::backupStoreFile() + u8("-wal"),
                                  AppPaths::tmpDir() + u8("BackupImage-abc123.mdb"),
                                  AppPaths::billStoreFile() + u8(".new")};
        for (const QString& f : scratch) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("malformed");
        }
        store.removeLeftovers();
        for (const QString& f : scratch)
            QVERIFY2(!QFile::exists(f), qPrintable(f));
        QVERIFY(!QFile::exists(orphan));
        QVERIFY(QFile::exists(used));
        QVERIFY(QFile::exists(working));
    }

    void aBillWhoseTableWasLostCanBeDeleted() {
        BillStore store;
        store.ensureBillTypeTable();
        const MainItemFlag e = addFixtureBill(store, 0, u8("支票一"));
        Sql::dropTable(Database::get(Db::Bill), e.historyTable);
        store.deleteBill(e);
        QVERIFY(store.allBillEntries().isEmpty());
        QVERIFY(!Sql::tableExists(Database::get(Db::Bill), e.itemTable));
    }

    void itemNamesThatCollideAreRefused_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("named");
        QTest::newRow("row id") << QStringList{u8("金额"), u8("rowid")} << u8("rowid");
        QTest::newRow("row id in capitals") << QStringList{u8("OID")} << u8("OID");
        QTest::newRow("key column") << QStringList{u8("HistoryNumber")} << u8("HistoryNumber");
        QTest::newRow("key column other case") << QStringList{u8("autonumber")} << u8("autonumber");
        QTest::newRow("print date") << QStringList{u8("打印日期")} << u8("打印日期");
        QTest::newRow("duplicate") << QStringList{u8("金额"), u8("金额")} << u8("金额");
        QTest::newRow("duplicate by ASCII case") << QStringList{u8("Amount"), u8("AMOUNT")} << u8("AMOUNT");
    }
    void itemNamesThatCollideAreRefused() {
        QFETCH(QStringList, names);
        QFETCH(QString, named);
        QList<FixtureItem> items;
        for (const QString& n : names)
            items << FixtureItem{n, 0, true, false};
        BillStore store;
        store.ensureBillTypeTable();
        fillWorkingTemplate(u8("支票"), items);
        try {
            store.createBillFromWorkingTemplate(0, u8("支票"));
            QFAIL("the bill was created");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(named), qPrintable(e.message()));
            QVERIFY2(!e.message().contains(u8("duplicate")), qPrintable(e.message()));
        }
        QVERIFY(store.allBillEntries().isEmpty());
        QVERIFY(!Sql::tableExists(Database::get(Db::Bill), u8("H1His")));
    }

    void namesThatSqliteTellsApartAreAccepted() {
        // Only ASCII letters fold; full-width letters and similar Chinese names are other columns.
        QVERIFY(ColumnNames::firstConflict({u8("Ａ"), u8("ａ"), u8("金额"), u8("金额1"), u8("rowid1")})
                    .isEmpty());
    }

    void onlyALiveProgramEndsTheStartSilently() {
        FolderLock first(m_app->path());
        QString message;
        QCOMPARE(first.acquire(&message), FolderLock::Outcome::Locked);
        // The lock of a live program of this computer (here: this very process).
        FolderLock second(m_app->path());
        QCOMPARE(second.acquire(&message), FolderLock::Outcome::HeldByProgram);

        // A folder where no lock file can be made: a file stands where the folder should be.
        QTemporaryFile notAFolder;
        QVERIFY(notAFolder.open());
        FolderLock denied(notAFolder.fileName());
        QCOMPARE(denied.acquire(&message), FolderLock::Outcome::Failed);
        QVERIFY2(message.contains(FolderLock::lockFileName()), qPrintable(message));
    }

    void aLockOfAnotherComputerIsTold() {
        const QString path = m_app->file(FolderLock::lockFileName());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("4242\nTarvel\nother-host.example\n");
        f.close();
        FolderLock lock(m_app->path());
        QString message;
        QCOMPARE(lock.acquire(&message), FolderLock::Outcome::Failed);
        QVERIFY2(message.contains(u8("other-host.example")), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(TestStoreSafety)
#include "tst_storesafety.moc"
