// The program trusts nothing the spreadsheet helper sends: a helper that broke down half-way, or
// was made to misbehave, must not get more than a refusal out of the decoder.
#include "platform/SheetStreamDecoder.h"

#include <QTest>

namespace {
using namespace SheetStream;

class Rows : public SheetRowSink {
public:
    QString name;
    int rowCount = -1;
    QList<QStringList> rows;
    void sheet(const QString& n, int r, int) override {
        name = n;
        rowCount = r;
    }
    void row(int index, const QStringList& cells) override {
        QCOMPARE(index, rows.size());
        rows.append(cells);
    }
};

QByteArray header(quint32 rows = 5, quint32 columns = 3) {
    return kMagic + sheetRecord(QStringLiteral("数据"), rows, columns);
}
} // namespace

class TestSheetStreamDecoder : public QObject {
    Q_OBJECT

private slots:
    // Byte by byte, as a pipe may deliver it: every row of the used range arrives, in order, empty
    // rows included.
    void sheetArrivesRowByRow() {
        const QByteArray stream = header() +
                                  rowRecord(1, {{0, QStringLiteral("甲")}, {2, QStringLiteral("x")}}) +
                                  rowRecord(3, {{1, QStringLiteral("乙")}}) + endRecord();
        Rows rows;
        SheetStreamDecoder decoder(rows);
        for (char c : stream)
            decoder.feed(&c, 1);
        QVERIFY(decoder.finished());
        QCOMPARE(rows.name, QStringLiteral("数据"));
        QCOMPARE(rows.rows, (QList<QStringList>{{}, {"甲", "", "x"}, {}, {"", "乙"}, {}}));
    }

    void brokenStreamRefused_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("kind");
        const int damaged = int(FailureKind::Damaged);
        QByteArray hugeLength = header();
        hugeLength += char(Tag::Row);
        appendNumber(hugeLength, quint32(kMaxRecordBytes + 1));
        QByteArray longText;
        appendNumber(longText, 0);
        appendNumber(longText, 1);
        appendNumber(longText, 0);
        appendNumber(longText, quint32(kMaxTextBytes + 1));
        longText += QByteArray(kMaxTextBytes + 1, 'x');

        QTest::newRow("wrong start") << QByteArray("PK\x03\x04....") << damaged;
        QTest::newRow("failure reported") << kMagic + failureRecord(FailureKind::Damaged, "x") << damaged;
        QTest::newRow("sheet beyond the limits")
            << header(quint32(kMaxRows + 1)) << int(FailureKind::BeyondLimits);
        QTest::newRow("row before the sheet") << kMagic + rowRecord(0, {}) << damaged;
        QTest::newRow("rows out of order") << header() + rowRecord(2, {}) + rowRecord(1, {}) << damaged;
        QTest::newRow("row beyond the sheet") << header() + rowRecord(5, {}) << damaged;
        QTest::newRow("column beyond the sheet") << header() + rowRecord(0, {{3, "x"}}) << damaged;
        QTest::newRow("columns out of order") << header() + rowRecord(0, {{1, "a"}, {0, "b"}}) << damaged;
        QTest::newRow("record longer than allowed") << hugeLength << damaged;
        QTest::newRow("cell text longer than a cell") << header() + record(Tag::Row, longText) << damaged;
        QTest::newRow("unknown record") << header() + record(Tag('?'), {}) << damaged;
        QTest::newRow("data after the end") << header() + endRecord() + endRecord() << damaged;
    }

    void brokenStreamRefused() {
        QFETCH(QByteArray, stream);
        QFETCH(int, kind);
        Rows rows;
        SheetStreamDecoder decoder(rows);
        try {
            decoder.feed(stream.constData(), stream.size());
            QFAIL("the stream was taken");
        } catch (const SheetStreamDecoder::Refused& refused) {
            QCOMPARE(int(refused.kind), kind);
        }
    }

    // A stream cut off anywhere is never finished.
    void cutStreamUnfinished() {
        const QByteArray stream = header() + rowRecord(1, {{0, QStringLiteral("甲")}}) + endRecord();
        for (qsizetype n = 0; n < stream.size(); ++n) {
            Rows rows;
            SheetStreamDecoder decoder(rows);
            decoder.feed(stream.constData(), n);
            QVERIFY(!decoder.finished());
        }
    }
};

QTEST_GUILESS_MAIN(TestSheetStreamDecoder)
#include "tst_sheetstreamdecoder.moc"
