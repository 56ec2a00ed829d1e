#include "exchange/BillDefineFile.h"
#include "platform/AppPaths.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <chrono>
#include <memory>
#include <thread>

namespace {

QSqlDatabase def() {
    return Database::get(Db::Define);
}

// Builds a definition file byte by byte, as the format lays it out, without the writer.
struct Fixture {
    QStringList page;
    QList<QStringList> items;
    QByteArray picture;
    // Damage applied before the checksum is computed, so that the file still passes the check.
    qint64 overrideRows = -1;
    qint64 overrideFields = -1;
    qint64 overrideFirstLength = -1;
    QByteArray trailingInSection;

    static QByteArray gbk(const QString& s) {
        QStringEncoder enc("GBK");
        return enc.encode(s);
    }
    static void put32(QByteArray& out, quint32 v) {
        out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
        out.append(char((v >> 16) & 0xFF)).append(char((v >> 24) & 0xFF));
    }
    static void putText(QByteArray& out, const QString& s) {
        const QByteArray b = gbk(s);
        put32(out, quint32(b.size()));
        out.append(b);
    }

    QByteArray bytes() const {
        QByteArray body;
        put32(body, quint32(page.size()));
        for (int i = 0; i < page.size(); ++i) {
            if (i == 0 && overrideFirstLength >= 0) {
                put32(body, quint32(overrideFirstLength));
                body.append(gbk(page.at(i)));
            } else {
                putText(body, page.at(i));
            }
        }
        put32(body, quint32(overrideRows >= 0 ? overrideRows : items.size()));
        put32(body, quint32(overrideFields >= 0 ? overrideFields : (items.isEmpty() ? 18 : items[0].size())));
        for (const QStringList& row : items)
            for (const QString& v : row)
                putText(body, v);
        body.append(trailingInSection);

        QByteArray header;
        header.append("File Define for Bill KORVEX V1.0", 32);
        header.append('\x00').append('\x10').append('\xFF').append('\xFF');
        put32(header, 0);
        put32(header, quint32(256 + body.size()));
        header.append(QByteArray(212, '\xFF'));
        quint32 sum = 0;
        for (char c : header + body)
            sum += uchar(c);
        QByteArray sumBytes;
        put32(sumBytes, sum);
        header.replace(36, 4, sumBytes);
        return header + body + picture;
    }
};

QStringList itemRow(const QString& name, int type) {
    return {name,
            QStringLiteral("120"),
            QStringLiteral("45"),
            QStringLiteral("300"),
            QStringLiteral("50"),
            QStringLiteral("宋体-9-粗体"),
            QStringLiteral("2"),
            QStringLiteral("5"),
            QStringLiteral("1"),
            QString::number(type),
            QStringLiteral("1"),
            QStringLiteral("金额*2"),
            QStringLiteral("收款人"),
            QStringLiteral("3"),
            QStringLiteral("0"),
            QStringLiteral("1"),
            QStringLiteral("1"),
            QStringLiteral("0")};
}

Fixture sampleFixture() {
    Fixture f;
    f.page = {QStringLiteral("3"),    QStringLiteral("工资支票"), QStringLiteral("Gra"),
              QStringLiteral("2400"), QStringLiteral("1000"),     QStringLiteral("-5"),
              QStringLiteral("10"),   QStringLiteral("0"),        QStringLiteral("1"),
              QStringLiteral(".jpg"), QStringLiteral("1"),        QStringLiteral("汇票")};
    f.items = {itemRow(QStringLiteral("收款人"), 12), itemRow(QStringLiteral("金额"), 8)};
    f.picture = QByteArrayLiteral("\xFF\xD8\xFF\xE0 not really a jpeg");
    return f;
}

QByteArray jpegBytes() {
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    return bytes;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Page columns of the working table after the key, by name, as the program stores them.
QStringList pageColumnNames() {
    return Sql::columnNames(def(), BillStore::workingPageTable()).mid(1);
}
QStringList itemColumnNames() {
    return Sql::columnNames(def(), BillStore::workingItemTable()).mid(1);
}

// Fills the working template: the page values in file order (the twelve values; 11 and 12 go to
// "打印背景" and "票据类型名称"), the item rows as texts.
void setWorkingTemplate(const QStringList& page, const QString& pictureFile,
                        const QList<QStringList>& items) {
    Sql::emptyTable(def(), BillStore::workingPageTable());
    Sql::emptyTable(def(), BillStore::workingItemTable());
    QStringList cols = pageColumnNames().mid(0, 10);
    QVariantList values;
    for (const QString& v : page.mid(0, 10))
        values << v;
    values[2] = pictureFile;
    cols << QStringLiteral("打印背景") << QStringLiteral("票据类型名称");
    values << page.at(10) << page.at(11);
    Sql::insertRow(def(), BillStore::workingPageTable(), cols, values);
    for (const QStringList& row : items) {
        QVariantList v;
        for (const QString& s : row)
            v << s;
        Sql::insertRow(def(), BillStore::workingItemTable(), itemColumnNames(), v);
    }
}

// The working template as texts, key columns left out and the legacy picture column too.
QList<QStringList> workingRows(const QString& table) {
    QList<QStringList> out;
    const QList<Sql::ColumnDef> cols = Sql::columns(def(), table);
    for (const QVariantList& row : Sql::allRows(def(), table)) {
        QStringList texts;
        for (int i = 1; i < row.size(); ++i)
            if (cols.at(i).type != QLatin1String("BLOB"))
                texts << (row.at(i).isNull() ? QString() : row.at(i).toString());
        out << texts;
    }
    return out;
}

QStringList pictureFolder() {
    return QDir(AppPaths::pictureDir()).entryList(QDir::Files);
}

} // namespace

class TestBillDefineFile : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() {
        m_app.reset();
        m_dir.reset();
    }

    void readsHandBuiltFile() {
        const Fixture f = sampleFixture();
        const QString path = file(QStringLiteral("工资.BDF"));
        writeBytes(path, f.bytes());
        QVERIFY(BillDefineFile::check(path));
        QString error;
        QVERIFY2(BillDefineFile::read(path, &error), qPrintable(error));

        const QString picture = AppPaths::pictureDir() + QStringLiteral("1.bkg");
        // 票据类型 .. 图象数据格式, 打印背景, 票据类型名称
        const QStringList expectedPage = {QStringLiteral("3"),    QStringLiteral("工资支票"),
                                          QStringLiteral("Gra"),  QStringLiteral("2400"),
                                          QStringLiteral("1000"), QStringLiteral("-5"),
                                          QStringLiteral("10"),   QStringLiteral("0"),
                                          QStringLiteral("1"),    picture,
                                          QStringLiteral("1"),    QStringLiteral("汇票")};
        QCOMPARE(workingRows(BillStore::workingPageTable()), QList<QStringList>{expectedPage});
        QCOMPARE(workingRows(BillStore::workingItemTable()), f.items);
        QCOMPARE(fileBytes(picture), f.picture);
    }

    void writerLaysOutTheFormat() {
        const Fixture f = sampleFixture();
        const QString source = file(QStringLiteral("背景.jpg"));
        writeBytes(source, f.picture);
        setWorkingTemplate(f.page, source, f.items);
        const QString path = file(QStringLiteral("out.BDF"));
        QString error;
        QVERIFY2(BillDefineFile::write(path, &error), qPrintable(error));
        QCOMPARE(fileBytes(path), f.bytes());
    }

    void damagedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("passesCheck");
        QTest::addColumn<bool>("readable");

        const QByteArray good = sampleFixture().bytes();
        const qint64 end = qFromLittleEndian<quint32>(good.constData() + 40);
        QTest::newRow("intact") << good << true << true;
        QTest::newRow("255 bytes") << good.left(255) << false << false;
        QTest::newRow("header only") << good.left(256) << false << false;
        QByteArray magic = good;
        magic[7] = 'x';
        QTest::newRow("magic changed") << magic << false << false;
        QByteArray section = good;
        section[300] = char(section[300] ^ 0x01);
        QTest::newRow("byte before E changed") << section << false << false;
        QByteArray last = good;
        last[end - 1] = char(last[end - 1] + 1);
        QTest::newRow("last byte before E changed") << last << false << false;
        QByteArray picture = good;
        picture[end + 3] = char(picture[end + 3] ^ 0x55);
        QTest::newRow("picture byte changed") << picture << true << true;
        QTest::newRow("E past the end") << good.left(end - 1) << false << false;

        Fixture f = sampleFixture();
        f.overrideFirstLength = 0x7FFFFFF0;
        QTest::newRow("length past the end") << f.bytes() << true << false;
        f = sampleFixture();
        f.overrideRows = 400;
        QTest::newRow("R x F larger than the file") << f.bytes() << true << false;
        f = sampleFixture();
        f.overrideRows = 0x40000000;
        f.overrideFields = 0x40000000;
        QTest::newRow("R x F overflowing") << f.bytes() << true << false;
        f = sampleFixture();
        f.items = {itemRow(QStringLiteral("a"), 0) << QStringLiteral("extra")};
        QTest::newRow("F larger than the item table") << f.bytes() << true << false;
        f = sampleFixture();
        f.page << QStringLiteral("13th");
        QTest::newRow("more page values than columns") << f.bytes() << true << false;
        f = sampleFixture();
        f.trailingInSection = QByteArray("\0\0", 2);
        QTest::newRow("bytes left before E") << f.bytes() << true << false;
        f = sampleFixture();
        f.page[3] = QStringLiteral("宽");
        QTest::newRow("width not a number") << f.bytes() << true << false;
        f = sampleFixture();
        QByteArray badText = f.bytes();
        // The second byte of "工资支票" made an invalid GBK trail byte; the checksum is made right again.
        const qint64 at = 256 + 4 + 4 + 1 + 4 + 1;
        const quint32 oldSum = qFromLittleEndian<quint32>(badText.constData() + 36);
        const quint32 newSum = oldSum - uchar(badText[at]) + 0xFF;
        badText[at] = char(0xFF);
        qToLittleEndian<quint32>(newSum, badText.data() + 36);
        QTest::newRow("text not GBK") << badText << true << false;
    }

    void damagedFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, passesCheck);
        QFETCH(bool, readable);
        // A template already in the working tables must survive a refused file.
        setWorkingTemplate(sampleFixture().page, QString(), {itemRow(QStringLiteral("旧"), 0)});
        const QList<QStringList> pageBefore = workingRows(BillStore::workingPageTable());
        const QList<QStringList> itemsBefore = workingRows(BillStore::workingItemTable());

        const QString path = file(QStringLiteral("d.BDF"));
        writeBytes(path, bytes);
        QCOMPARE(BillDefineFile::check(path), passesCheck);
        QString error;
        QCOMPARE(BillDefineFile::read(path, &error), readable);
        if (readable) {
            QCOMPARE(pictureFolder(), QStringList{QStringLiteral("1.bkg")});
            return;
        }
        QCOMPARE(error, QStringLiteral("票据定义文件不存在或是非法的 ！"));
        QCOMPARE(workingRows(BillStore::workingPageTable()), pageBefore);
        QCOMPARE(workingRows(BillStore::workingItemTable()), itemsBefore);
        QVERIFY(pictureFolder().isEmpty());
    }

    void itemNamesThatCollideAreRefused_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("named");
        QTest::newRow("row id") << QStringLiteral("rowid") << QStringLiteral("金额")
                                << QStringLiteral("rowid");
        QTest::newRow("key column") << QStringLiteral("收款人") << QStringLiteral("HistoryNumber")
                                    << QStringLiteral("HistoryNumber");
        QTest::newRow("duplicate") << QStringLiteral("金额") << QStringLiteral("金额")
                                   << QStringLiteral("金额");
    }
    void itemNamesThatCollideAreRefused() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, named);
        setWorkingTemplate(sampleFixture().page, QString(), {itemRow(QStringLiteral("旧"), 0)});
        const QList<QStringList> itemsBefore = workingRows(BillStore::workingItemTable());
        Fixture f = sampleFixture();
        f.items = {itemRow(first, 12), itemRow(second, 8)};
        const QString path = file(QStringLiteral("names.BDF"));
        writeBytes(path, f.bytes());
        QString error;
        QVERIFY(!BillDefineFile::read(path, &error));
        QVERIFY2(error.contains(QStringLiteral("“%1”").arg(named)), qPrintable(error));
        QCOMPARE(workingRows(BillStore::workingItemTable()), itemsBefore);
        QVERIFY(pictureFolder().isEmpty());
    }

    void missingFileIsRefused() {
        QVERIFY(!BillDefineFile::check(file(QStringLiteral("none.BDF"))));
        QString error;
        QVERIFY(!BillDefineFile::read(file(QStringLiteral("none.BDF")), &error));
        QCOMPARE(error, BillDefineFile::invalidFileMessage());
    }

    // Another process shortens a large file while it is read: the read is refused (or, when the
    // file was read whole before, complete), never crashed on.
    void fileTruncatedWhileReadIsRefused() {
        Fixture f = sampleFixture();
        f.picture = QByteArray(64 * 1024 * 1024, 'p');
        const QByteArray whole = f.bytes();
        const QString path = file(QStringLiteral("大.BDF"));
        for (int delayMs : {0, 1, 3, 10, 30}) {
            writeBytes(path, whole);
            std::thread shortener([&path, delayMs] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                QFile::resize(path, 300);
            });
            QString error;
            const bool read = BillDefineFile::read(path, &error);
            shortener.join();
            if (read) {
                QCOMPARE(QFileInfo(AppPaths::pictureDir() + QStringLiteral("1.bkg")).size(),
                         f.picture.size());
                QFile::remove(AppPaths::pictureDir() + QStringLiteral("1.bkg"));
            } else {
                QCOMPARE(error, BillDefineFile::invalidFileMessage());
                QVERIFY(pictureFolder().isEmpty());
            }
        }
    }

    void roundTrip_data() {
        QTest::addColumn<int>("itemCount");
        QTest::newRow("every item type") << 26;
        QTest::newRow("no items") << 0;
    }

    void roundTrip() {
        QFETCH(int, itemCount);
        QList<QStringList> items;
        for (int type = 0; type < itemCount; ++type) {
            QStringList row = itemRow(QStringLiteral("项目%1·大写金额").arg(type), type);
            row[1] = QString::number(10 * type);
            row[13] = QString::number(type % 4);
            items << row;
        }
        const QByteArray jpeg = jpegBytes();
        QVERIFY(jpeg.startsWith("\xFF\xD8\xFF"));
        const QString source = file(QStringLiteral("背景图.jpg"));
        writeBytes(source, jpeg);
        QStringList page = sampleFixture().page;
        page[1] = QStringLiteral("中国工商银行转帐支票");
        page[11] = QStringLiteral("自定义类型");
        setWorkingTemplate(page, source, items);
        const QList<QStringList> itemsWritten = workingRows(BillStore::workingItemTable());

        // Written twice: the second write replaces the first and leaves nothing else behind.
        const QString path = file(QStringLiteral("模板.BDF"));
        QString error;
        QVERIFY2(BillDefineFile::write(path, &error), qPrintable(error));
        QVERIFY2(BillDefineFile::write(path, &error), qPrintable(error));
        QCOMPARE(filesBeside().size(), 2);
        QVERIFY(filesBeside().contains(QStringLiteral("模板.BDF")));
        QVERIFY(BillDefineFile::check(path));

        Sql::emptyTable(def(), BillStore::workingPageTable());
        Sql::emptyTable(def(), BillStore::workingItemTable());
        QVERIFY2(BillDefineFile::read(path, &error), qPrintable(error));

        const QString picture = AppPaths::pictureDir() + QStringLiteral("1.bkg");
        QStringList expectedPage = page;
        expectedPage[2] = QStringLiteral("Gra");
        expectedPage[9] = picture;
        QCOMPARE(workingRows(BillStore::workingPageTable()), QList<QStringList>{expectedPage});
        QCOMPARE(workingRows(BillStore::workingItemTable()), itemsWritten);
        QCOMPARE(workingRows(BillStore::workingItemTable()).size(), itemCount);
        QCOMPARE(fileBytes(picture), jpeg);
        QCOMPARE(BillStore::pictureKind(picture), 0);

        // The template now holds a stored picture and no chosen one: it is written from there.
        const QString again = file(QStringLiteral("again.BDF"));
        Sql::exec(def(), QStringLiteral("UPDATE \"票据类型\" SET \"图形文件\"=''"));
        QVERIFY2(BillDefineFile::write(again, &error), qPrintable(error));
        QVERIFY(fileBytes(again).endsWith(jpeg));
    }

    void failedWriteKeepsOldFile_data() {
        QTest::addColumn<QString>("itemName");
        QTest::addColumn<bool>("pictureMissing");
        QTest::addColumn<QString>("errorPart");
        QTest::newRow("picture missing")
            << QStringLiteral("金额") << true << QStringLiteral("无法打开图片文件");
        QTest::newRow("text GBK cannot hold") << QStringLiteral("金额😀") << false << QStringLiteral("GBK");
    }

    void failedWriteKeepsOldFile() {
        QFETCH(QString, itemName);
        QFETCH(bool, pictureMissing);
        QFETCH(QString, errorPart);
        const QString source = file(QStringLiteral("p.jpg"));
        if (!pictureMissing)
            writeBytes(source, jpegBytes());
        setWorkingTemplate(sampleFixture().page, source, {itemRow(itemName, 8)});
        const QString path = file(QStringLiteral("old.BDF"));
        const QByteArray old = sampleFixture().bytes();
        writeBytes(path, old);

        QString error;
        QVERIFY(!BillDefineFile::write(path, &error));
        QVERIFY2(error.contains(errorPart), qPrintable(error));
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(filesBeside().size(), pictureMissing ? 1 : 2);
    }

private:
    QString file(const QString& name) const { return m_dir->filePath(name); }
    QStringList filesBeside() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<TempAppFolder> m_app;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestBillDefineFile)
#include "tst_billdefinefile.moc"
