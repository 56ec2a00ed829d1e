#include "exchange/BackupFile.h"
#include "exchange/BackupFixture.h"
#include "exchange/LoadBackUpThread.h"
#include "exchange/LoadInfoBackUpThread.h"
#include "exchange/SaveBackUpThread.h"
#include "query/HistoryQuery.h"
#include "store/Schema.h"
#include "support/TempAppFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <csignal>

using namespace backupfixture;

namespace {

quint32 lengthAt(const QByteArray& file, qsizetype offset) {
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(uchar(file.at(offset + i))) << (8 * i);
    return v;
}

void putLength(QByteArray& file, qsizetype offset, quint32 v) {
    for (int i = 0; i < 4; ++i)
        file[offset + i] = char((v >> (8 * i)) & 0xFF);
}

QString exportStore(const QString& path, bool clear = false) {
    SaveBackUpThread worker(path, clear);
    return runOnThread(worker);
}

// A backup of the sample store, made in a folder of its own that is gone afterwards.
QString exportSampleStore(const QString& path) {
    const TempAppFolder source;
    BillStore store;
    fillSampleStore(store);
    return exportStore(path);
}

QString pictureOf(const BillStore& store, int typeIndex, const QString& name) {
    for (const MainItemFlag& e : store.billEntriesOfType(typeIndex))
        if (e.billName == name)
            return store.storedPicturePath(e);
    return QStringLiteral("<no bill>");
}

// Files of this process may not grow beyond a size while it lives: a disk that fills up.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes) {
        getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_before;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_before{};
    void (*m_signal)(int) = nullptr;
};

// Imports the backup, which must fail and leave the store, its pictures and tmp/ exactly as they
// were; *error gets the message.
void importFailsLeavingStore(const QString& path, QString* error = nullptr) {
    const QString before = storeSnapshot();
    LoadBackUpThread worker(path);
    const QString message = runOnThread(worker);
    if (error)
        *error = message;
    QVERIFY(!message.isEmpty());
    QCOMPARE(storeSnapshot(), before);
}

MainItemFlag entryOf(const BillStore& store, int typeIndex, const QString& name) {
    for (const MainItemFlag& e : store.billEntriesOfType(typeIndex))
        if (e.billName == name)
            return e;
    return {};
}

} // namespace

class TestSystemBackup : public QObject {
    Q_OBJECT

private slots:
    void backupWithoutBills() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("empty.SBF"));
        QByteArray file;
        {
            TempAppFolder app;
            BillStore store;
            store.ensureBillTypeTable();
            Sql::insertRow(bill(), QStringLiteral("票据用途"), {QStringLiteral("用途")},
                           {QStringLiteral("工资")});
            QCOMPARE(exportStore(path), QString());
            file = readAll(path);
        }
        // Tag, length, image and not a byte more: no bill, no picture record.
        QCOMPARE(file.left(6), QByteArray("B0.002"));
        const quint32 length = lengthAt(file, 6);
        QCOMPARE(file.size(), qsizetype(10 + length));
        QVERIFY(file.mid(10).startsWith("SQLite format 3"));

        // Its reference records are imported although it holds no bill.
        TempAppFolder target;
        LoadBackUpThread worker(path);
        QCOMPARE(runOnThread(worker), QString());
        QCOMPARE(worker.counts().added, 0);
        const QList<QVariantList> purposes = rowsWithoutKey(QStringLiteral("票据用途"));
        QCOMPARE(purposes.size(), 1);
        QCOMPARE(purposes.constFirst().constFirst().toString(), QStringLiteral("工资"));
        QVERIFY(!QFile::exists(AppPaths::backupStoreFile()));
    }

    void roundTripIntoEmptyStore() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("all.SBF"));
        TempAppFolder source;
        BillStore sourceStore;
        const QList<SampleBill> bills = fillSampleStore(sourceStore);
        QCOMPARE(exportStore(path), QString());
        // The image is marked as a database without a write-ahead log, so that it opens as one file.
        QCOMPARE(readAll(path).mid(10 + 18, 2), QByteArray("\x01\x01", 2));
        const MainItemFlag wire = entryOf(sourceStore, 2, QStringLiteral("电汇凭证"));
        const QList<QVariantList> history = Sql::allRows(bill(), wire.historyTable);
        const QList<QVariantList> preBills = Sql::allRows(bill(), wire.preBillTable);
        const QList<QVariantList> items = Sql::allRows(bill(), wire.itemTable);
        QMap<QString, QList<QVariantList>> references;
        for (const QString& t : BillStore::referenceTables())
            references[t] = rowsWithoutKey(t);

        TempAppFolder target;
        BillStore store;
        store.ensureBillTypeTable();
        LoadBackUpThread worker(path);
        qint64 lastDone = -1;
        qint64 lastTotal = 0;
        connect(
            &worker, &Worker::progress, this, [&](qint64 d, qint64 t) { lastDone = d, lastTotal = t; },
            Qt::DirectConnection);
        QCOMPARE(runOnThread(worker), QString());
        QCOMPARE(worker.counts().added, 4);
        QCOMPARE(worker.counts().merged, 0);
        QVERIFY(lastTotal > 0 && lastDone == lastTotal);

        // The user type at index 10 is known here by its name only: it is appended and counted.
        store.reloadTypeNames();
        QStringList types = Schema::defaultTypeNames();
        types << QStringLiteral("自定义二");
        QCOMPARE(store.typeNames(), types);
        QCOMPARE(store.typeBillCount(9), 1);
        QCOMPARE(store.typeBillCount(0), 1);
        QCOMPARE(store.typeBillCount(1), 1);
        QCOMPARE(store.typeBillCount(2), 1);
        QCOMPARE(store.allBillEntries().size(), 4);

        for (const SampleBill& b : bills) {
            const int type = b.typeIndex == 10 ? 9 : b.typeIndex;
            const QString picture = pictureOf(store, type, b.name);
            if (b.picture.isEmpty()) {
                QCOMPARE(picture, QString());
            } else {
                QCOMPARE(QFileInfo(picture).path() + QLatin1Char('/'), AppPaths::pictureDir());
                QCOMPARE(readAll(picture), b.picture);
            }
        }
        const MainItemFlag copy = entryOf(store, 2, QStringLiteral("电汇凭证"));
        QCOMPARE(Sql::allRows(bill(), copy.historyTable), history);
        QCOMPARE(Sql::allRows(bill(), copy.preBillTable), preBills);
        QCOMPARE(Sql::allRows(bill(), copy.itemTable), items);
        QCOMPARE(Sql::rowCount(bill(), copy.autoTable), 1);
        for (const QString& t : BillStore::referenceTables())
            QCOMPARE(rowsWithoutKey(t), references.value(t));
        QVERIFY(!QFile::exists(AppPaths::backupStoreFile()));
    }

    // An empty store is made from the backup's database as a whole, but only what the program
    // itself makes may come along; anything else sends the import the way of one table at a time,
    // which creates the tables afresh.
    void importIntoEmptyStoreTakesOnlyTheProgramsOwnObjects_data() {
        QTest::addColumn<QString>("extra");
        QTest::newRow("nothing else") << "";
        QTest::newRow("trigger")
            << "CREATE TRIGGER \"t\" AFTER INSERT ON %2 BEGIN DELETE FROM \"联系人\"; END";
        QTest::newRow("view") << "CREATE VIEW \"v\" AS SELECT 1";
        QTest::newRow("index of its own") << "CREATE INDEX \"i\" ON %1 (\"金额\")";
        QTest::newRow("unknown table") << "CREATE TABLE \"杂项\" (\"a\" TEXT)";
        QTest::newRow("constraint in a bill table")
            << "DROP TABLE %2\nCREATE TABLE %2 (\"ID\" INTEGER PRIMARY KEY, \"编号\" VARCHAR(255) CHECK "
               "(\"编号\" <> 'A9'))";
    }

    void importIntoEmptyStoreTakesOnlyTheProgramsOwnObjects() {
        QFETCH(QString, extra);
        SKIP_ON_SHARED_STORE();
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("all.SBF"));
        QList<QVariantList> history;
        {
            TempAppFolder source;
            BillStore store;
            fillSampleStore(store);
            const MainItemFlag wire = entryOf(store, 2, QStringLiteral("电汇凭证"));
            // The index a listing of the history gives the table.
            Sql::exec(bill(), historyDateIndexDefinition(bill(), wire.historyTable));
            for (const QString& statement : extra.arg(Sql::q(wire.historyTable), Sql::q(wire.autoTable))
                                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                Sql::exec(bill(), statement);
            history = Sql::allRows(bill(), wire.historyTable);
            QCOMPARE(exportStore(path), QString());
        }
        TempAppFolder target;
        BillStore store;
        LoadBackUpThread worker(path);
        QCOMPARE(runOnThread(worker), QString());
        QCOMPARE(worker.counts().added, 4);
        QCOMPARE(worker.counts().references, 5);
        // Pictures copied before the import turned to creating the tables one by one are not left
        // behind beside the ones the store points at.
        QCOMPARE(QDir(AppPaths::pictureDir()).entryList(QDir::Files).size(), 3);
        const MainItemFlag wire = entryOf(store, 2, QStringLiteral("电汇凭证"));
        QCOMPARE(Sql::allRows(bill(), wire.historyTable), history);
        QCOMPARE(Sql::rowCount(bill(), wire.autoTable), 1);

        QStringList objects;
        QSqlQuery schema = Sql::exec(bill(), QStringLiteral("SELECT type, name, sql FROM sqlite_master"));
        while (schema.next()) {
            const QString type = schema.value(0).toString();
            const QString sql = schema.value(2).toString();
            if (type != QLatin1String("table") || sql.contains(QLatin1String("CHECK")) ||
                schema.value(1).toString() == QLatin1String("杂项"))
                objects << sql;
        }
        if (extra.isEmpty())
            QCOMPARE(objects, QStringList{historyDateIndexDefinition(bill(), wire.historyTable)});
        else
            QCOMPARE(objects, QStringList());
        // The store takes new records as any other.
        Sql::insertRow(bill(), wire.autoTable, {QStringLiteral("编号")}, {QStringLiteral("A9")});
        QCOMPARE(Sql::rowCount(bill(), QStringLiteral("联系人")), 1);
    }

    void failingImportIntoEmptyStoreLeavesItEmpty() {
        SKIP_ON_SHARED_STORE();
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("all.SBF"));
        QCOMPARE(exportSampleStore(path), QString());
        TempAppFolder target;
        BillStore store;
        store.ensureBillTypeTable();
        // No picture can be written: the picture folder is a file.
        const QString pictures = AppPaths::pictureDir();
        QVERIFY(QDir(pictures).removeRecursively());
        writeAll(pictures.chopped(1), "x");
        importFailsLeavingStore(path);
        QCOMPARE(Sql::rowCount(bill(), BillStore::masterTable()), 0);
    }

    void importIntoSameStoreMergesEveryBill() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("same.SBF"));
        TempAppFolder app;
        BillStore store;
        fillSampleStore(store);
        QCOMPARE(exportStore(path), QString());
        const QString picturesBefore =
            QDir(AppPaths::pictureDir()).entryList(QDir::Files).join(QLatin1Char(','));
        const MainItemFlag cash = entryOf(store, 0, QStringLiteral("现金支票"));

        LoadBackUpThread worker(path);
        QCOMPARE(runOnThread(worker), QString());
        QCOMPARE(worker.counts().added, 0);
        QCOMPARE(worker.counts().merged, 4);
        QCOMPARE(store.allBillEntries().size(), 4);
        QCOMPARE(store.typeBillCount(0), 1);
        // Appended history rows are numbered after the existing ones.
        QList<qint64> numbers;
        for (const QVariantList& r : Sql::allRows(bill(), cash.historyTable))
            numbers << r.at(0).toLongLong();
        QCOMPARE(numbers, (QList<qint64>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(Sql::rowCount(bill(), cash.preBillTable), 4);
        QCOMPARE(Sql::rowCount(bill(), cash.autoTable), 2);
        for (const QString& t : BillStore::referenceTables())
            QCOMPARE(Sql::rowCount(bill(), t), 2);
        // Merged bills keep their own pictures; none are written for them.
        QCOMPARE(QDir(AppPaths::pictureDir()).entryList(QDir::Files).join(QLatin1Char(',')), picturesBefore);
    }

    void exportWithClearing() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("clear.SBF"));
        TempAppFolder app;
        BillStore store;
        fillSampleStore(store);
        SaveBackUpThread worker(path, true);
        QCOMPARE(runOnThread(worker), QString());
        QVERIFY(worker.backupWritten());

        store.ensureBillTypeTable();
        QCOMPARE(store.typeNames(), Schema::defaultTypeNames());
        QVERIFY(store.typesWithBills().isEmpty());
        QCOMPARE(Sql::rowCount(bill(), BillStore::masterTable()), 0);
        for (const QString& t : BillStore::referenceTables())
            QCOMPARE(Sql::rowCount(bill(), t), 0);
        QVERIFY(!Sql::tableExists(bill(), QStringLiteral("H1His")));
        QVERIFY(QDir(AppPaths::pictureDir()).entryList(QDir::Files).isEmpty());

        // Everything that was cleared is in the backup.
        LoadBackUpThread load(path);
        QCOMPARE(runOnThread(load), QString());
        QCOMPARE(load.counts().added, 4);
        QCOMPARE(QDir(AppPaths::pictureDir()).entryList(QDir::Files).size(), 3);
    }

    void failedExportDoesNotClear_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("the store's own file") << "store";
    }

    void failedExportDoesNotClear() {
        SKIP_ON_SHARED_STORE();
        QFETCH(QString, target);
        TempAppFolder app;
        BillStore store;
        fillSampleStore(store);
        QTemporaryDir out;
        const QString path = target == QLatin1String("store")
                                 ? AppPaths::billStoreFile()
                                 : out.filePath(QStringLiteral("no/such/folder/x.SBF"));
        const QString before = storeSnapshot();
        SaveBackUpThread worker(path, true);
        const QString error = runOnThread(worker);
        QVERIFY(!error.isEmpty());
        if (target == QLatin1String("store"))
            QVERIFY2(error.contains(QStringLiteral("系统数据库文件")), qPrintable(error));
        QVERIFY(!worker.backupWritten());
        QCOMPARE(storeSnapshot(), before);
    }

    void exportCutShortKeepsTheOldFileAndTheStore() {
        TempAppFolder app;
        BillStore store;
        fillSampleStore(store);
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("x.SBF"));
        QCOMPARE(exportStore(path), QString());
        const QByteArray old = readAll(path);
        const QString before = storeSnapshot();
        QString error;
        {
            // The last picture cannot be written whole.
            const FileSizeLimit limit(old.size() - 1);
            SaveBackUpThread worker(path, true);
            error = runOnThread(worker);
            QVERIFY(!worker.backupWritten());
        }
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(readAll(path), old);
        QCOMPARE(storeSnapshot(), before);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("x.SBF")});
        QCOMPARE(QDir(AppPaths::tmpDir()).entryList(QDir::Files), QStringList());
    }

    void missingPictureIsReportedNotFatal() {
        SKIP_ON_SHARED_STORE();
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("x.SBF"));
        {
            TempAppFolder app;
            BillStore store;
            fillSampleStore(store);
            QVERIFY(QFile::remove(
                BillStore::resolvePicturePath(pictureOf(store, 0, QStringLiteral("现金支票")))));
            SaveBackUpThread worker(path, false);
            QCOMPARE(runOnThread(worker), QString());
            QCOMPARE(worker.billsWithoutPicture(), QStringList{QStringLiteral("现金支票")});
            QVERIFY(worker.summary().contains(QStringLiteral("现金支票")));
        }
        TempAppFolder target;
        LoadBackUpThread worker(path);
        QCOMPARE(runOnThread(worker), QString());
        BillStore store;
        store.ensureBillTypeTable();
        QCOMPARE(pictureOf(store, 0, QStringLiteral("现金支票")), QString());
        QCOMPARE(readAll(pictureOf(store, 2, QStringLiteral("电汇凭证"))),
                 pictureBytes(QStringLiteral("电汇凭证"), true));
    }

    void legacyBackup() {
        SKIP_ON_SHARED_STORE();
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("legacy.SBF"));
        const QByteArray picture = pictureBytes(QStringLiteral("老支票"), true);
        {
            TempAppFolder source;
            BillStore store;
            store.ensureBillTypeTable();
            const MainItemFlag e = addFixtureBill(store, 0, QStringLiteral("老支票"));
            Sql::exec(bill(),
                      QStringLiteral("UPDATE %1 SET \"图象数据\"=?, \"图象数据格式\"='', \"打印背景\"=1, "
                                     "\"票据类型名称\"='支票'")
                          .arg(Sql::q(e.typeTable)),
                      {picture});
            Sql::insertRow(bill(), e.historyTable, {QStringLiteral("打印日期")}, {QStringLiteral("x")});
            // An old backup is nothing but the database file.
            Sql::exec(bill(), QStringLiteral("VACUUM INTO ?"), {path});
        }
        TempAppFolder target;
        LoadBackUpThread worker(path);
        QCOMPARE(runOnThread(worker), QString());
        QCOMPARE(worker.counts().added, 1);
        BillStore store;
        store.ensureBillTypeTable();
        const MainItemFlag e = entryOf(store, 0, QStringLiteral("老支票"));
        const QList<QVariantList> page = Sql::allRows(bill(), e.typeTable);
        QCOMPARE(page.size(), 1);
        const QStringList cols = Sql::columnNames(bill(), e.typeTable);
        const QVariantList& row = page.constFirst();
        QCOMPARE(row.at(cols.indexOf(QStringLiteral("票据名称"))).toString(), QStringLiteral("老支票"));
        QCOMPARE(row.at(cols.indexOf(QStringLiteral("票据宽"))).toInt(), 2400);
        QCOMPARE(row.at(cols.indexOf(QStringLiteral("打印背景"))).toInt(), 0);
        QCOMPARE(row.at(cols.indexOf(QStringLiteral("票据类型名称"))).toString(), QString());
        QVERIFY(row.at(cols.indexOf(QStringLiteral("图象数据"))).toByteArray().isEmpty());
        QCOMPARE(readAll(row.at(cols.indexOf(QStringLiteral("图象数据格式"))).toString()), picture);
        QCOMPARE(Sql::rowCount(bill(), e.historyTable), 1);
    }

    void damagedBackupIsRefused_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated inside the database") << "cutDatabase";
        QTest::newRow("truncated inside a picture") << "cutPicture";
        QTest::newRow("database length past the end") << "databaseLength";
        QTest::newRow("picture length past the end") << "pictureLength";
        QTest::newRow("bytes after the last picture") << "trailing";
        QTest::newRow("database image not a database") << "garbage";
        QTest::newRow("forged table name") << "forgedName";
        QTest::newRow("table of a bill missing") << "missingTable";
        QTest::newRow("view in place of a table") << "viewForTable";
        QTest::newRow("type index without a type") << "unknownType";
        QTest::newRow("type index beyond int") << "hugeType";
        QTest::newRow("column hiding the row id") << "rowidColumn";
    }

    void damagedBackupIsRefused() {
        QFETCH(QString, damage);
        // A shared store's tables have their row key as a real column already.
        if (damage == QLatin1String("rowidColumn"))
            SKIP_ON_SHARED_STORE();
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("bad.SBF"));
        TempAppFolder app;
        BillStore store;
        fillSampleStore(store);

        // Damage to the image's contents is made in the store, exported, and undone again.
        QSqlDatabase db = bill();
        const MainItemFlag wire = entryOf(store, 2, QStringLiteral("电汇凭证"));
        auto alterStore = [&](bool undo) {
            const QString master = Sql::q(BillStore::masterTable());
            if (damage == QLatin1String("forgedName")) {
                const QString forged = QStringLiteral("本单位帐户");
                Sql::exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                                  .arg(Sql::q(undo ? QStringLiteral("X") : wire.historyTable),
                                       Sql::q(undo ? wire.historyTable : QStringLiteral("X"))));
                Sql::exec(db,
                          QStringLiteral("UPDATE %1 SET \"历史文件名\"=? WHERE \"票据名称\"=?").arg(master),
                          {undo ? wire.historyTable : forged, wire.billName});
            } else if (damage == QLatin1String("missingTable")) {
                Sql::exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                                  .arg(Sql::q(undo ? QStringLiteral("X") : wire.preBillTable),
                                       Sql::q(undo ? wire.preBillTable : QStringLiteral("X"))));
            } else if (damage == QLatin1String("viewForTable")) {
                if (undo) {
                    Sql::exec(db, QStringLiteral("DROP VIEW %1").arg(Sql::q(wire.preBillTable)));
                    Sql::exec(
                        db, QStringLiteral("ALTER TABLE \"X\" RENAME TO %1").arg(Sql::q(wire.preBillTable)));
                } else {
                    Sql::exec(
                        db, QStringLiteral("ALTER TABLE %1 RENAME TO \"X\"").arg(Sql::q(wire.preBillTable)));
                    Sql::exec(db, QStringLiteral("CREATE VIEW %1 AS SELECT * FROM \"X\"")
                                      .arg(Sql::q(wire.preBillTable)));
                }
            } else if (damage == QLatin1String("hugeType")) {
                Sql::exec(db, QStringLiteral("UPDATE %1 SET \"票据类型\"=? WHERE \"票据名称\"=?").arg(master),
                          {undo ? 2 : Q_INT64_C(4294967296), wire.billName});
            } else if (damage == QLatin1String("rowidColumn")) {
                Sql::exec(db, (undo ? QStringLiteral("ALTER TABLE %1 DROP COLUMN \"rowid\"")
                                    : QStringLiteral("ALTER TABLE %1 ADD COLUMN \"rowid\" TEXT"))
                                  .arg(Sql::q(wire.preBillTable)));
            } else if (damage == QLatin1String("unknownType")) {
                Sql::exec(db, QStringLiteral("UPDATE %1 SET \"票据类型\"=? WHERE \"票据名称\"=?").arg(master),
                          {undo ? 2 : 40, wire.billName});
            }
        };
        alterStore(false);
        QCOMPARE(exportStore(path), QString());
        alterStore(true);

        QByteArray file = readAll(path);
        const quint32 dbLength = lengthAt(file, 6);
        if (damage == QLatin1String("cutDatabase"))
            file.truncate(10 + dbLength / 2);
        else if (damage == QLatin1String("cutPicture"))
            file.chop(100);
        else if (damage == QLatin1String("databaseLength"))
            putLength(file, 6, 0xFFFFFF00u);
        else if (damage == QLatin1String("pictureLength"))
            putLength(file, 10 + dbLength, 0x7FFFFFFFu);
        else if (damage == QLatin1String("trailing"))
            file += "xyz";
        else if (damage == QLatin1String("garbage"))
            file.replace(10, 4096, QByteArray(4096, 'x'));
        writeAll(path, file);

        QString error;
        importFailsLeavingStore(path, &error);
        QVERIFY2(error.contains(QStringLiteral("已损坏")), qPrintable(error));

        // An empty store begins copying the pictures before the database is checked: none may
        // stay behind.
        if (app.shared())
            return;
        const TempAppFolder empty;
        importFailsLeavingStore(path, &error);
        QVERIFY2(error.contains(QStringLiteral("已损坏")), qPrintable(error));
    }

    void failingImportLeavesStoreAsBefore() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("all.SBF"));
        QCOMPARE(exportSampleStore(path), QString());
        // The last backup bill is merged into a live bill whose history table is gone: by then
        // three bills with their pictures were added.
        TempAppFolder target;
        BillStore store;
        store.ensureBillTypeTable();
        const MainItemFlag live = addFixtureBill(store, 1, QStringLiteral("进帐单一"));
        Sql::dropTable(bill(), live.historyTable);
        importFailsLeavingStore(path);
    }

    void informationOnlyImport() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("info.SBF"));
        QCOMPARE(exportSampleStore(path), QString());
        TempAppFolder target;
        BillStore store;
        store.ensureBillTypeTable();
        Sql::insertRow(bill(), QStringLiteral("联系人"), {QStringLiteral("姓名")}, {QStringLiteral("王五")});
        LoadInfoBackUpThread worker(path);
        QCOMPARE(runOnThread(worker), QString());
        QCOMPARE(worker.counts().references, 5);
        QCOMPARE(Sql::rowCount(bill(), BillStore::masterTable()), 0);
        QCOMPARE(store.typeNames(), Schema::defaultTypeNames());
        QVERIFY(QDir(AppPaths::pictureDir()).entryList(QDir::Files).isEmpty());
        const QList<QVariantList> contacts = rowsWithoutKey(QStringLiteral("联系人"));
        QCOMPARE(contacts.size(), 2);
        QCOMPARE(contacts.at(0).at(0).toString(), QStringLiteral("王五"));
        QCOMPARE(contacts.at(1).at(0).toString(), QStringLiteral("张三"));
        QVERIFY(!QFile::exists(AppPaths::backupStoreFile()));
    }
};

QTEST_GUILESS_MAIN(TestSystemBackup)
#include "tst_SystemBackup.moc"
