// A name chosen in a file dialog can be a FIFO: opening it for reading waits for a writer that
// never comes. Definition files, backups, spreadsheets and form pictures are refused at once instead.
#include "exchange/BillDefineFile.h"
#include "exchange/LoadBackUpThread.h"
#include "platform/SpreadsheetError.h"
#include "reference/LoadBussAccountThread.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"
#include "templates/PictureSize.h"
#include "templates/TemplateError.h"

#include <QElapsedTimer>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

class TestFifoFiles : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        // A regression blocks forever; the alarm ends the test program instead.
        alarm(60);
    }
    void cleanup() {
        alarm(0);
        m_folder.reset();
    }

    void fifoRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("definition file") << QStringLiteral("x.BDF");
        QTest::newRow("backup") << QStringLiteral("x.SBF");
        QTest::newRow("spreadsheet") << QStringLiteral("x.xls");
        QTest::newRow("form picture") << QStringLiteral("x.jpg");
    }

    void fifoRefused() {
        QFETCH(QString, kind);
        const QString path = m_folder->file(kind);
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QElapsedTimer timer;
        timer.start();
        if (kind.endsWith(QLatin1String(".BDF"))) {
            QVERIFY(!BillDefineFile::check(path));
            QString error;
            QVERIFY(!BillDefineFile::read(path, &error));
            QCOMPARE(error, BillDefineFile::invalidFileMessage());
        } else if (kind.endsWith(QLatin1String(".SBF"))) {
            LoadBackUpThread load(path);
            try {
                load.run();
                QFAIL("the FIFO was imported");
            } catch (const std::runtime_error& e) {
                QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("不是普通文件")), e.what());
            }
        } else if (kind.endsWith(QLatin1String(".jpg"))) {
            // Chosen in the designer: its size is read, its kind looked at.
            try {
                ReadPictureSize(path);
                QFAIL("the FIFO was read as a picture");
            } catch (const TemplateError& e) {
                QVERIFY2(e.message().contains(QStringLiteral("不是普通文件")), qPrintable(e.message()));
            }
            QCOMPARE(BillStore::pictureKind(path), -1);
        } else {
            LoadBussAccountThread load(path);
            try {
                load.run();
                QFAIL("the FIFO was imported");
            } catch (const SpreadsheetError& e) {
                QVERIFY2(e.message().contains(QStringLiteral("不是普通文件")), qPrintable(e.message()));
            }
            QCOMPARE(Sql::rowCount(Database::get(Db::Bill), QStringLiteral("业务单位")), 0);
        }
        QVERIFY(timer.elapsed() < 5000);
    }

private:
    std::unique_ptr<TempAppFolder> m_folder;
};

QTEST_GUILESS_MAIN(TestFifoFiles)
#include "tst_fifofiles.moc"
