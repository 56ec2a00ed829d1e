// Workbooks from outside reach the program only through the spreadsheet helper process: whatever
// the helper meets (a crash, a hang, exhausted memory, a sheet too large), the import is refused
// with one message and adds nothing.
#include "platform/SpreadsheetError.h"
#include "platform/SpreadsheetReader.h"
#include "platform/SpreadsheetWriter.h"
#include "reference/ReferenceSheets.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <memory>
#include <sys/resource.h>

namespace {
const QString kUnits = QStringLiteral("业务单位");

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString besideTest(const QString& name) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

qint64 unitCount() {
    return Sql::rowCount(Database::get(Db::Bill), kUnits);
}

// Peak resident memory of this process and of its ended children, in MB.
qint64 peakMegabytes(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss / 1024;
}

// The legacy .xls fixture with the sheet tab selected when it was saved set to tab.
QByteArray xlsWithSelectedTab(quint16 tab) {
    QByteArray b = fileBytes(testData(QStringLiteral("sheets/units-legacy.xls")));
    const qsizetype window = b.indexOf(QByteArray("\x3D\x00\x12\x00", 4)); // WINDOW1, 18 bytes
    if (window < 0)
        return {};
    b[window + 4 + 10] = char(tab & 0xFF);
    b[window + 4 + 11] = char(tab >> 8);
    return b;
}
} // namespace

class TestGuardedImport : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        Sql::insertRow(Database::get(Db::Bill), kUnits, {QStringLiteral("单位名称")},
                       {QStringLiteral("旧单位")});
    }
    void cleanup() { m_folder.reset(); }

    void damagedWorkbookRefused_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("helper");
        QTest::addColumn<qint64>("memoryBytes");

        QTemporaryDir dir;
        const QString xlsx = dir.filePath(QStringLiteral("good.xlsx"));
        {
            SpreadsheetWriter w(xlsx);
            w.addRow({QStringLiteral("单位名称")});
            w.addRow({QStringLiteral("甲公司")});
            w.save();
        }
        QByteArray badSignature = fileBytes(xlsx);
        badSignature[2] = '\x01';
        QTest::newRow("zip with a damaged first signature") << badSignature << QString() << qint64(0);
        // Found by fuzzing: FreeXL reads far past a stack buffer while converting its texts.
        QTest::newRow("xls that makes the .xls library read past its buffers")
            << fileBytes(testData(QStringLiteral("sheets/freexl-overread.xls"))) << QString() << qint64(0);
        QTest::newRow("helper that hangs")
            << fileBytes(xlsx) << QStringLiteral("sheet-helper-sleeps") << qint64(0);
        QTest::newRow("helper that dies on a signal")
            << fileBytes(xlsx) << QStringLiteral("sheet-helper-crashes") << qint64(0);
#ifndef TARVEL_SANITIZED
        QTest::newRow("helper that exhausts its memory")
            << fileBytes(xlsx) << QStringLiteral("sheet-helper-exhausts_memory") << qint64(256) * 1024 * 1024;
#endif
    }

    void damagedWorkbookRefused() {
        QFETCH(QByteArray, content);
        QFETCH(QString, helper);
        QFETCH(qint64, memoryBytes);
        QVERIFY(!content.isEmpty());
        const QString path = m_folder->file(QStringLiteral("单位.xlsx"));
        writeBytes(path, content);
        SpreadsheetReader::Options options;
        if (!helper.isEmpty())
            options.helper = besideTest(helper);
        options.silenceSeconds = 2;
        if (memoryBytes > 0)
            options.memoryBytes = memoryBytes;

        QElapsedTimer timer;
        timer.start();
        try {
            ReferenceSheets::importFile(path, kUnits, ReferenceSheets::businessUnits(), {}, options);
            QFAIL("the workbook was imported");
        } catch (const SpreadsheetError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("文件已损坏或不是可以读取的表格文件：单位.xlsx")),
                     qPrintable(e.message()));
        }
        QVERIFY(timer.elapsed() < 30000);
        QCOMPARE(unitCount(), 1);
    }

    // One cell at A99999999: refused at once, without the rows ever being held anywhere.
    void cellBeyondTheLastRowRefused() {
        const qint64 before = peakMegabytes(RUSAGE_SELF);
        try {
            ReferenceSheets::importFile(testData(QStringLiteral("sheets/far-cell.xlsx")), kUnits,
                                        ReferenceSheets::businessUnits());
            QFAIL("the workbook was imported");
        } catch (const SpreadsheetError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("1048576行")), qPrintable(e.message()));
        }
        QCOMPARE(unitCount(), 1);
        QVERIFY(peakMegabytes(RUSAGE_SELF) - before < 100);
        QVERIFY(peakMegabytes(RUSAGE_CHILDREN) < 512);
    }

    // One cell in the last row a sheet can hold: the rows stream into the store with progress, and
    // a cancel part-way adds nothing.
    void farRowImportIsStreamedAndCancellable() {
        std::atomic_bool cancel = false;
        SpreadsheetReader::Options options;
        options.cancel = &cancel;
        qint64 total = -1;
        qint64 lastDone = 0;
        const qint64 before = peakMegabytes(RUSAGE_SELF);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetReader::Cancelled,
                                 ReferenceSheets::importFile(
                                     testData(QStringLiteral("sheets/last-row.xlsx")), kUnits,
                                     ReferenceSheets::businessUnits(),
                                     [&](qint64 done, qint64 all) {
                                         total = all;
                                         lastDone = done;
                                         if (done >= 20000)
                                             cancel = true;
                                     },
                                     options));
        QCOMPARE(total, 1048575);
        QVERIFY(lastDone >= 20000 && lastDone < total);
        QCOMPARE(unitCount(), 1);
        QVERIFY(peakMegabytes(RUSAGE_SELF) - before < 100);
    }

    void legacyXlsReadsTheSheetActiveWhenSaved_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("rows");
        QTest::newRow("data sheet, saved active") << 2 << QStringLiteral("单位") << 4;
        QTest::newRow("empty first sheet, saved active") << 0 << QStringLiteral("Sheet1") << 0;
        QTest::newRow("empty second sheet, saved active") << 1 << QStringLiteral("Sheet2") << 0;
        QTest::newRow("selected tab beyond the sheets: the first") << 9 << QStringLiteral("Sheet1") << 0;
    }

    void legacyXlsReadsTheSheetActiveWhenSaved() {
        QFETCH(int, tab);
        QFETCH(QString, sheet);
        QFETCH(int, rows);
        const QString path = m_folder->file(QStringLiteral("units.xls"));
        const QByteArray bytes = xlsWithSelectedTab(quint16(tab));
        QVERIFY(!bytes.isEmpty());
        writeBytes(path, bytes);
        const SheetTexts texts = SpreadsheetReader::readActiveSheet(path);
        QCOMPARE(texts.sheetName, sheet);
        QCOMPARE(texts.rows.size(), rows);
    }

    void missingHelperIsToldAsSuch() {
        SpreadsheetReader::Options options;
        options.helper = besideTest(QStringLiteral("no-such-helper"));
        try {
            SpreadsheetReader::readActiveSheet(testData(QStringLiteral("sheets/units.ods")), options);
            QFAIL("read without a helper");
        } catch (const SpreadsheetError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("重新安装")), qPrintable(e.message()));
        }
    }

private:
    std::unique_ptr<TempAppFolder> m_folder;
};

QTEST_GUILESS_MAIN(TestGuardedImport)
#include "tst_guardedimport.moc"
