#include "exchange/BackupFixture.h"
#include "exchange/BillDefineFile.h"
#include "exchange/BillImport.h"
#include "exchange/LoadBackUpThread.h"
#include "exchange/SaveBackUpThread.h"
#include "issuing/PreBillTable.h"
#include "platform/AppPaths.h"
#include "platform/FileModes.h"
#include "platform/SpreadsheetWriter.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using namespace backupfixture;

namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

// Every folder and file below the application folder that others could reach, with its mode.
QStringList openToOthers(const QString& folder) {
    QStringList open;
    if (modeOf(folder) & 077)
        open << QStringLiteral("%1 %2").arg(folder).arg(modeOf(folder), 0, 8);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (modeOf(path) & 077)
            open << QStringLiteral("%1 %2").arg(path).arg(modeOf(path), 0, 8);
    }
    return open;
}

void writeFile(const QString& path, mode_t mode) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

MainItemFlag sampleBill(BillStore& store) {
    store.ensureBillTypeTable();
    return addFixtureBill(store, 0, QStringLiteral("转帐支票"));
}

} // namespace

// What the program keeps is readable by its owner only; what it exports follows the user's umask.
class TestFileModes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // A usual desktop umask, so that anything not made owner-only on purpose shows.
        ::umask(022);
        FileModes::createOwnerOnly();
        QCOMPARE(FileModes::exportPermissions(), QFileDevice::Permissions(0x6644));
    }

    void firstStartCreatesOwnerOnlyFolder() {
        const QByteArray program = qgetenv("TARVEL_BIN");
        if (program.isEmpty())
            QSKIP("TARVEL_BIN is not set");
        QTemporaryDir parent;
        const QString home = parent.filePath(QStringLiteral("新文件夹"));
        QProcess tarvel;
        tarvel.setChildProcessModifier([] { ::umask(022); });
        tarvel.start(QString::fromLocal8Bit(program),
                     {QStringLiteral("--home"), home, QStringLiteral("--no-splash")});
        QVERIFY(tarvel.waitForStarted());
        const QStringList expected{
            QStringLiteral("DataBase/支票软件.mdb"), QStringLiteral("DataBase/支票软件定义.mdb"),
            QStringLiteral("Tarvel智能票据打印.ini"), QStringLiteral("Tarvel智能票据打印.lock")};
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(expected.cbegin(), expected.cend(),
                        [&](const QString& f) { return QFile::exists(home + QLatin1Char('/') + f); }),
            60000);
        tarvel.kill();
        tarvel.waitForFinished();
        QVERIFY(QFileInfo(home + QStringLiteral("/tmp")).isDir());
        QVERIFY(QFileInfo(home + QStringLiteral("/BackImage")).isDir());
        QCOMPARE(openToOthers(home), QStringList());
    }

    void programFilesAreOwnerOnly_data() {
        QTest::addColumn<std::function<void(const QString&)>>("work");
        QTest::newRow("bill import") << std::function<void(const QString&)>([](const QString& scratch) {
            fillWorkingTemplate(QStringLiteral("转帐支票"), {{QStringLiteral("金额"), 8, true, true}}, 0,
                                QString());
            const QString picture = BillStore::newPictureFileName();
            writeAll(picture, pictureBytes(QStringLiteral("转帐支票"), false));
            Sql::exec(Database::get(Db::Define), QStringLiteral("UPDATE \"票据类型\" SET \"图象数据格式\"=?"),
                      {picture});
            const QString file = scratch + QStringLiteral("/转帐支票.BDF");
            QString error;
            QVERIFY2(BillDefineFile::write(file, &error), qPrintable(error));
            QFile::remove(picture);
            QVERIFY2(BillDefineFile::read(file, &error), qPrintable(error));
            BillStore store;
            store.ensureBillTypeTable();
            BillImport::createBill(store, 0, QStringLiteral("转帐支票"));
            QCOMPARE(store.billEntriesOfType(0).size(), 1);
            QCOMPARE(QDir(AppPaths::pictureDir()).entryList(QDir::Files).size(), 1);
        });
        QTest::newRow("backup export and import")
            << std::function<void(const QString&)>([](const QString& scratch) {
                   BillStore store;
                   fillSampleStore(store);
                   const QString backup = scratch + QStringLiteral("/全部.SBF");
                   SaveBackUpThread save(backup, true);
                   QCOMPARE(runOnThread(save), QString());
                   LoadBackUpThread load(backup);
                   QCOMPARE(runOnThread(load), QString());
               });
        QTest::newRow("pre-bill save") << std::function<void(const QString&)>([](const QString&) {
            BillStore store;
            const MainItemFlag bill = sampleBill(store);
            store.loadWorkingTemplate(bill);
            FilledBill filled = LoadWorkingBill(96);
            filled.values = QStringList(filled.count(), QStringLiteral("100.00"));
            PreBillTable(bill.preBillTable).append(1, 0, filled);
            QVERIFY(PreBillTable(bill.preBillTable).find(1).has_value());
        });
    }

    void programFilesAreOwnerOnly() {
        QFETCH(std::function<void(const QString&)>, work);
        QTemporaryDir scratch;
        TempAppFolder app;
        work(scratch.path());
        Database::closeThreadConnections();
        QCOMPARE(openToOthers(app.path()), QStringList());
    }

    // One file holds the whole store, wherever the operator puts it; a file it replaces may have
    // been readable by others.
    void backupIsOwnerOnly() {
        QTemporaryDir out;
        TempAppFolder app;
        BillStore store;
        sampleBill(store);
        const QString fresh = out.filePath(QStringLiteral("新备份.SBF"));
        const QString replaced = out.filePath(QStringLiteral("旧备份.SBF"));
        writeFile(replaced, 0644);
        for (const QString& path : {fresh, replaced}) {
            SaveBackUpThread save(path, false);
            QCOMPARE(runOnThread(save), QString());
            QCOMPARE(modeOf(path), mode_t(0600));
        }
    }

    void exportsKeepTheUserUmask() {
        QTemporaryDir out;
        TempAppFolder app;
        const QString sheet = out.filePath(QStringLiteral("往来单位.xlsx"));
        SpreadsheetWriter writer(sheet);
        writer.addRow({QStringLiteral("单位名称")});
        writer.save();
        QCOMPARE(modeOf(sheet), mode_t(0644));

        fillWorkingTemplate(QStringLiteral("支票"), {{QStringLiteral("金额"), 8, true, true}});
        const QString picture = BillStore::newPictureFileName();
        writeAll(picture, pictureBytes(QStringLiteral("支票"), true));
        Sql::exec(Database::get(Db::Define), QStringLiteral("UPDATE \"票据类型\" SET \"图象数据格式\"=?"),
                  {picture});
        const QString definition = out.filePath(QStringLiteral("支票.BDF"));
        QString error;
        QVERIFY2(BillDefineFile::write(definition, &error), qPrintable(error));
        QCOMPARE(modeOf(definition), mode_t(0644));
    }

    void startTightensWhatOthersCouldRead() {
        QTemporaryDir parent;
        const QString home = parent.filePath(QStringLiteral("旧文件夹"));
        AppPaths::setHome(home);
        QVERIFY(AppPaths::ensureFolders());
        for (const QString& dir : {home, AppPaths::tmpDir(), AppPaths::pictureDir(), AppPaths::dataBaseDir()})
            QCOMPARE(::chmod(QFile::encodeName(dir).constData(), 0755), 0);
        QVERIFY(QDir(AppPaths::tmpDir()).mkdir(QStringLiteral("导入")));
        QCOMPARE(::chmod(QFile::encodeName(AppPaths::tmpDir() + QStringLiteral("导入")).constData(), 0775),
                 0);
        writeFile(AppPaths::billStoreFile(), 0644);
        writeFile(AppPaths::settingsFile(), 0664);
        writeFile(AppPaths::pictureDir() + QStringLiteral("1.bkg"), 0604);
        writeFile(AppPaths::tmpDir() + QStringLiteral("导入/scratch.mdb"), 0640);
        writeFile(AppPaths::pictureDir() + QStringLiteral("2.bkg"), 0755);
        // A link out of the folder: its target is not the program's to change.
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.filePath(QStringLiteral("别人的.txt"));
        writeFile(outside, 0644);
        QVERIFY(QFile::link(outside, AppPaths::pictureDir() + QStringLiteral("3.bkg")));
        // Another user's file stays as it is.
        const QString foreign = AppPaths::pictureDir() + QStringLiteral("4.bkg");
        writeFile(foreign, 0644);
        const bool canGiveAway =
            ::geteuid() == 0 && ::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0;

        QVERIFY(AppPaths::restrictToOwner());

        for (const QString& dir : {home + QLatin1Char('/'), AppPaths::tmpDir(), AppPaths::pictureDir(),
                                   AppPaths::dataBaseDir(), AppPaths::tmpDir() + QStringLiteral("导入")})
            QCOMPARE(modeOf(dir), mode_t(0700));
        QCOMPARE(modeOf(AppPaths::billStoreFile()), mode_t(0600));
        QCOMPARE(modeOf(AppPaths::settingsFile()), mode_t(0600));
        QCOMPARE(modeOf(AppPaths::pictureDir() + QStringLiteral("1.bkg")), mode_t(0600));
        QCOMPARE(modeOf(AppPaths::tmpDir() + QStringLiteral("导入/scratch.mdb")), mode_t(0600));
        QCOMPARE(modeOf(AppPaths::pictureDir() + QStringLiteral("2.bkg")), mode_t(0700));
        QCOMPARE(modeOf(outside), mode_t(0644));
        QCOMPARE(modeOf(foreign), canGiveAway ? mode_t(0644) : mode_t(0600));
    }
};

QTEST_GUILESS_MAIN(TestFileModes)
#include "tst_filemodes.moc"
