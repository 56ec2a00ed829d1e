#include "platform/SpreadsheetError.h"
#include "platform/SpreadsheetReader.h"
#include "platform/SpreadsheetWriter.h"
#include "sheethelper/ZipBounds.h"
#include "support/TempAppFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void put32(QByteArray& b, qint64 at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}
quint32 get32(const QByteArray& b, qint64 at) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | uchar(b[at + i]);
    return v;
}
qint64 endRecord(const QByteArray& b) {
    return b.lastIndexOf(QByteArray("PK\x05\x06", 4));
}
qint64 firstDirEntry(const QByteArray& b) {
    return get32(b, endRecord(b) + 16);
}

QByteArray realWorkbook(const QString& folder) {
    const QString path = folder + QStringLiteral("/book.xlsx");
    SpreadsheetWriter writer(path);
    writer.addRow({QStringLiteral("单位名称"), QStringLiteral("银行帐号")});
    writer.addRow({QStringLiteral("甲公司"), QStringLiteral("6222021234567890123")});
    writer.save();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

class TestZipBounds : public QObject {
    Q_OBJECT
private slots:
    void entriesAreCheckedAgainstTheFile_data() {
        QTest::addColumn<int>("damage");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("written by the program") << 0 << true;
        QTest::newRow("directory declares 2.6 GB") << 1 << false;
        QTest::newRow("local header declares 2.6 GB") << 2 << false;
        QTest::newRow("entry starts past the directory") << 3 << false;
        QTest::newRow("end record cut off") << 4 << false;
        QTest::newRow("directory beyond the file") << 5 << false;
    }
    void entriesAreCheckedAgainstTheFile() {
        QFETCH(int, damage);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        QByteArray b = realWorkbook(dir.path());
        QVERIFY(ZipBounds::check(b, nullptr));
        const qint64 entry = firstDirEntry(b);
        switch (damage) {
        case 1:
            put32(b, entry + 24, 2617245743u);
            break;
        case 2: {
            const qint64 local = get32(b, entry + 42);
            if (uchar(b[local + 6]) & 0x8) // sizes after the data: the directory's count
                put32(b, entry + 24, 2617245743u);
            else
                put32(b, local + 22, 2617245743u);
            break;
        }
        case 3:
            put32(b, entry + 42, quint32(endRecord(b) - 10));
            break;
        case 4:
            b.chop(10);
            break;
        case 5:
            put32(b, endRecord(b) + 16, quint32(b.size()));
            break;
        }
        QString why;
        QCOMPARE(ZipBounds::check(b, &why), accepted);
        QCOMPARE(why.isEmpty(), accepted);
    }

    // A 1.3 KB workbook whose entry claims 2.6 GB is refused before anything is allocated.
    void declaredHugeWorkbookIsRefusedByTheReader() {
        try {
            SpreadsheetReader::readActiveSheet(testData(QStringLiteral("sheets/declared-huge.ods")));
            QFAIL("the workbook was read");
        } catch (const SpreadsheetError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("已损坏")), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestZipBounds)
#include "tst_zipbounds.moc"
