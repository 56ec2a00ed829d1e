// The command line driven as a user drives it from a shell: the real executable, its output,
// its exit codes and what it leaves in the application folder.
#include "exchange/BillDefineFile.h"
#include "platform/SpreadsheetWriter.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "support/PdfPages.h"
#include "support/PrintingTools.h"
#include "support/TempAppFolder.h"
#include "templates/TemplateStore.h"

#include <QProcess>
#include <QtTest>

#include <memory>

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// The test cheque: a date whose day follows its month, a payee found by code with its account,
// an amount with its capital mirror, a purpose and an automatic number. Left margin 50, top 30.
const int kLeftMargin = 50;
const int kTopMargin = 30;
const int kPurposeX = 300;
const int kPurposeY = 500;

TemplateItem item(const char* name, ItemType type, int x, int y, const char* relation = "",
                  bool input = true) {
    TemplateItem it = TemplateItem::newItem(u8(name));
    it.type = type;
    it.left = x;
    it.top = y;
    it.width = 500;
    it.height = 60;
    it.relation = u8(relation);
    it.showInput = input;
    return it;
}
} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void usageAndExitCodes_data();
    void usageAndExitCodes();
    void importedBillIsListed();
    void dryRunWritesTheConvertedTexts();
    void badRowsAreRefusedAndNothingIsPrinted_data();
    void badRowsAreRefusedAndNothingIsPrinted();
    void pdfPagesCarryTheTemplatesGeometry();
    void printerRunRecordsConsecutiveNumbers();
    void backupRoundTripIntoAnEmptyFolder();
    void refusesWhileTheWindowsHoldTheFolder();

private:
    Run tarvel(const QStringList& args, const QByteArray& input = {}, const QString& home = {});
    void importCheque(const QString& home);
    void addUnits(const QString& home);

    QString m_bin;
    QTemporaryDir m_files;
    QString m_definition;
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestCommandLine::initTestCase() {
    m_bin = qEnvironmentVariable("TARVEL_BIN");
    QVERIFY2(QFileInfo(m_bin).isExecutable(), "TARVEL_BIN names the program");
    QVERIFY(m_files.isValid());

    // The definition file comes from the program's own writer.
    TempAppFolder folder;
    QSqlDatabase def = Database::get(Db::Define);
    PageParameters page;
    page.billName = u8("测试支票");
    page.width = 2400;
    page.length = 800;
    page.leftMargin = kLeftMargin;
    page.topMargin = kTopMargin;
    page.currencyChoice = true;
    writePageRow(def, BillStore::workingPageTable(), page);
    auto tpl = std::make_unique<BillTemplate>();
    tpl->page = page;
    const QList<TemplateItem> items{item("年", ItemType::Year, 1400, 60, "月-日"),
                                    item("月", ItemType::Month, 1700, 60),
                                    item("日", ItemType::Day, 1900, 60),
                                    item("收款人", ItemType::BusinessUnit, 300, 200),
                                    item("帐号", ItemType::Text, 300, 300, "收款人-银行帐号", false),
                                    item("金额", ItemType::AmountFigures, 1500, 400),
                                    item("大写", ItemType::AmountCapital, 300, 400, "金额", false),
                                    item("用途", ItemType::Text, kPurposeX, kPurposeY),
                                    item("编号", ItemType::AutoNumber, 1500, 600)};
    for (int i = 0; i < items.size(); ++i)
        tpl->items[i] = items.at(i);
    tpl->items[5].statistics = true;
    tpl->items[7].alignment = 5; // 左上角
    SaveTemplateItems(def, BillStore::workingItemTable(), *tpl);
    m_definition = m_files.filePath(u8("测试支票.BDF"));
    QString error;
    QVERIFY2(BillDefineFile::write(m_definition, &error), qPrintable(error));
}

void TestCommandLine::init() {
    m_home = std::make_unique<QTemporaryDir>();
}

Run TestCommandLine::tarvel(const QStringList& args, const QByteArray& input, const QString& home) {
    QProcess p;
    p.start(m_bin, QStringList{QStringLiteral("--home"), home.isEmpty() ? m_home->path() : home} + args);
    p.waitForStarted();
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void TestCommandLine::importCheque(const QString& home) {
    const Run r =
        tarvel({QStringLiteral("import-bill"), m_definition, QStringLiteral("--type"), u8("支票")}, {}, home);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
}

void TestCommandLine::addUnits(const QString& home) {
    const QString sheet = m_files.filePath(QStringLiteral("units.xlsx"));
    {
        SpreadsheetWriter w(sheet);
        w.addRow({u8("单位名称"), u8("银行帐号"), u8("开户银行"), u8("省"), u8("市"), u8("识别码")});
        w.addRow({u8("甲公司"), QStringLiteral("6222001"), u8("工行"), u8("广东"), u8("广州"),
                  QStringLiteral("A01")});
        w.addRow({u8("乙公司"), QStringLiteral("6222002"), u8("农行"), u8("广东"), u8("深圳"),
                  QStringLiteral("B02")});
        w.addRow({u8("丙公司"), QStringLiteral("6222003"), u8("中行"), u8("广东"), u8("珠海"),
                  QStringLiteral("B02")});
        w.save();
    }
    const Run r = tarvel({QStringLiteral("units"), QStringLiteral("import"), sheet}, {}, home);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
}

void TestCommandLine::usageAndExitCodes_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    QTest::newRow("help") << QStringList{"--help"} << 0 << u8("用法");
    QTest::newRow("help of a command") << QStringList{"print", "--help"} << 0 << "--dry-run";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "tarvel 1";
    QTest::newRow("bills of an empty folder") << QStringList{"bills"} << 0 << "";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << u8("未知的命令");
    QTest::newRow("unknown option") << QStringList{"bills", "--colour"} << 2 << "colour";
    QTest::newRow("print without a bill") << QStringList{"print", "--values", "-"} << 2 << "--bill";
    QTest::newRow("two outputs") << QStringList{"print", "--bill", u8("支票/x"), "--values",
                                                "-",     "--pdf",  "a.pdf",      "--dry-run"}
                                 << 2 << u8("只能选一个");
    QTest::newRow("a date that is no date")
        << QStringList{"history", "--bill", u8("支票/x"), "--from", "2026-13-01", "--to", "2026-12-31"} << 2
        << "--from";
    QTest::newRow("no such bill") << QStringList{"history",    "--bill", u8("支票/没有"), "--from",
                                                 "2026-01-01", "--to",   "2026-12-31"}
                                  << 1 << u8("没有票据“支票/没有”");
    QTest::newRow("no such backup") << QStringList{"backup", "import", "/nonexistent.SBF"} << 1
                                    << u8("没有备份文件");
    QTest::newRow("not a definition file")
        << QStringList{"import-bill", "/etc/hostname", "--type", u8("支票")} << 1 << "/etc/hostname";
}

void TestCommandLine::usageAndExitCodes() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    const Run r = tarvel(args);
    QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
    QVERIFY2((r.out + r.err).contains(says), qPrintable(r.out + r.err));
}

void TestCommandLine::importedBillIsListed() {
    importCheque(m_home->path());
    Run r = tarvel({QStringLiteral("bills")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, u8("支票\t测试支票\t年\t月\t日\t收款人\t帐号\t金额\t大写\t用途\t编号\n"));

    // The same name again only with --replace; a new type is added as the dialog adds it.
    r = tarvel({QStringLiteral("import-bill"), m_definition, QStringLiteral("--type"), u8("支票")});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("--replace")), qPrintable(r.err));
    QCOMPARE(tarvel({QStringLiteral("import-bill"), m_definition, QStringLiteral("--type"), u8("支票"),
                     QStringLiteral("--replace")})
                 .exitCode,
             0);
    QCOMPARE(tarvel({QStringLiteral("import-bill"), m_definition, QStringLiteral("--type"), u8("外币支票"),
                     QStringLiteral("--name"), u8("美元支票")})
                 .exitCode,
             0);
    r = tarvel({QStringLiteral("bills")});
    QCOMPARE(r.out.count(QLatin1Char('\n')), 2);
    QVERIFY(r.out.contains(u8("外币支票\t美元支票\t")));
    // One picture per bill: nothing is left of the replaced bill's or of the refused import's.
    QCOMPARE(QDir(m_home->filePath(QStringLiteral("BackImage"))).entryList(QDir::Files).size(), 2);
}

void TestCommandLine::dryRunWritesTheConvertedTexts() {
    importCheque(m_home->path());
    addUnits(m_home->path());
    const QByteArray table = u8("年\t月\t日\t收款人\t金额\t用途\t编号\t币种\n"
                                "2026\t3\t8\ta01\t1234.5\t货款\tNo.0099\t\n"
                                "\n"
                                "2024\t2\t29\tB02x\t00100000001\t\t\t美元\n")
                                 .toUtf8();
    const Run r = tarvel({QStringLiteral("print"), QStringLiteral("--bill"), u8("支票/测试支票"),
                          QStringLiteral("--values"), QStringLiteral("-"), QStringLiteral("--dry-run")},
                         table);
    QCOMPARE(r.exitCode, 1); // B02x is nobody's code
    QVERIFY2(r.err.contains(u8("第 4 行，设置项“收款人”")), qPrintable(r.err));

    const QByteArray fixed = QByteArray(table).replace("B02x", "a01");
    const Run ok = tarvel({QStringLiteral("print"), QStringLiteral("--bill"), u8("支票/测试支票"),
                           QStringLiteral("--values"), QStringLiteral("-"), QStringLiteral("--dry-run")},
                          fixed);
    QVERIFY2(ok.exitCode == 0, qPrintable(ok.err));
    const QStringList lines = ok.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), u8("年\t月\t日\t收款人\t帐号\t金额\t大写\t用途\t编号"));
    QCOMPARE(lines.at(1),
             u8("2026\t03\t08\t甲公司\t6222001\t￥1,234.50\t壹仟贰佰叁拾肆元伍角整\t货款\tNo.0099"));
    // The second bill's number follows the first one's, as printing both would leave it.
    QCOMPARE(lines.at(2),
             u8("2024\t02\t29\t甲公司\t6222001\tUS$100,000,001.00\t美元壹亿零壹元整\t\tNo.0100"));
}

void TestCommandLine::badRowsAreRefusedAndNothingIsPrinted_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("item");
    QTest::newRow("three decimals") << "A01\t12.345\t2" << u8("金额");
    QTest::newRow("letters") << "A01\tabc\t2" << u8("金额");
    QTest::newRow("unknown code") << "ZZ\t1\t2" << u8("收款人");
    QTest::newRow("code of two units") << "B02\t1\t2" << u8("收款人");
    QTest::newRow("month 13") << "A01\t1\t13" << u8("月");
    QTest::newRow("unknown column") << "" << u8("备注");
}

void TestCommandLine::badRowsAreRefusedAndNothingIsPrinted() {
    QFETCH(QString, row);
    QFETCH(QString, item);
    importCheque(m_home->path());
    addUnits(m_home->path());
    const QString header = row.isEmpty() ? u8("收款人\t金额\t备注") : u8("收款人\t金额\t月");
    const QString file = m_files.filePath(QStringLiteral("bad.txt"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write((header + u8("\nA01\t5\t1\n") + row + u8("\nA01\t6\t1\n")).toUtf8());
    }
    const QString pdf = m_files.filePath(QStringLiteral("bad.pdf"));
    const Run r = tarvel({QStringLiteral("print"), QStringLiteral("--bill"), u8("支票/测试支票"),
                          QStringLiteral("--values"), file, QStringLiteral("--pdf"), pdf});
    QCOMPARE(r.exitCode, 1);
    const QString where =
        row.isEmpty() ? u8("第 1 行（表头），列“备注”") : u8("第 3 行，设置项“%1”").arg(item);
    QVERIFY2(r.err.contains(file + u8(" ") + where), qPrintable(r.err));
    QCOMPARE(r.err.count(file + u8(" 第 ")), 1); // the good rows are not reported
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(!QFile::exists(pdf + QStringLiteral(".part")));
}

void TestCommandLine::pdfPagesCarryTheTemplatesGeometry() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        SKIP_WITHOUT_PRINTING_TOOLS("pdftotext is not installed");
    importCheque(m_home->path());
    const QString pdf = m_files.filePath(u8("三张.pdf"));
    const Run r = tarvel({QStringLiteral("print"), QStringLiteral("--bill"), u8("支票/测试支票"),
                          QStringLiteral("--values"), QStringLiteral("-"), QStringLiteral("--pdf"), pdf},
                         u8("用途\t金额\nAAA\t1\nBBB\t2\nCCC\t3\n").toUtf8());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));

    QProcess info;
    info.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QVERIFY(info.waitForFinished());
    const QString bbox = QString::fromUtf8(info.readAllStandardOutput());
    QCOMPARE(bbox.count(QStringLiteral("<page ")), 3);
    // 240 x 80 mm pages (680.3 x 226.8 points; the writer keeps whole points).
    const QRegularExpression pageSize(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""));
    for (auto it = pageSize.globalMatch(bbox); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QVERIFY2(qAbs(m.captured(1).toDouble() - 2400 * 72 / 254.0) < 1.0, qPrintable(m.captured(0)));
        QVERIFY2(qAbs(m.captured(2).toDouble() - 800 * 72 / 254.0) < 1.0, qPrintable(m.captured(0)));
    }

    // The box of the purpose at 96 dpi on screen, one pixel out, scaled to 600 dpi and moved by
    // the margins; the text sits in its top-left corner.
    const int screenLeft = 96 * kPurposeX / 254 - 1;
    const int screenTop = 96 * kPurposeY / 254 - 1;
    const double left = (600 * screenLeft / 96 + 600 * kLeftMargin / 254) * 72.0 / 600;
    const double top = (600 * screenTop / 96 + 600 * kTopMargin / 254) * 72.0 / 600;
    const QList<PdfPages::Word> words = PdfPages::words(pdf);
    for (const char* text : {"AAA", "BBB", "CCC"}) {
        const QRectF box = PdfPages::find(words, QString::fromLatin1(text));
        QVERIFY2(!box.isEmpty(), text);
        QVERIFY2(qAbs(box.left() - left) < 1.0,
                 qPrintable(QStringLiteral("%1 at %2, not %3").arg(text).arg(box.left()).arg(left)));
        QVERIFY2(box.top() >= top - 1.0 && box.top() < top + 10.0,
                 qPrintable(QStringLiteral("%1 top %2").arg(text).arg(box.top())));
    }
}

void TestCommandLine::printerRunRecordsConsecutiveNumbers() {
    importCheque(m_home->path());
    QProcess lp;
    lp.start(QStringLiteral("lpstat"), {QStringLiteral("-p"), QStringLiteral("BillPDF")});
    if (!lp.waitForFinished() || lp.exitCode() != 0)
        SKIP_WITHOUT_PRINTING_TOOLS("the CUPS queue BillPDF is missing (scripts/start-cups.sh)");
    const QDir out(QDir::homePath() + QStringLiteral("/PDF"));
    const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);

    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const Run r = tarvel({QStringLiteral("print"), QStringLiteral("--bill"), u8("支票/测试支票"),
                          QStringLiteral("--values"), QStringLiteral("-"), QStringLiteral("--printer"),
                          QStringLiteral("BillPDF")},
                         u8("金额\t编号\n100\tNo.0007\n250.5\t\n").toUtf8());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.err.contains(u8("第 3 行已打印")), qPrintable(r.err));

    const Run h = tarvel({QStringLiteral("history"), QStringLiteral("--bill"), u8("支票/测试支票"),
                          QStringLiteral("--from"), today, QStringLiteral("--to"), today});
    QVERIFY2(h.exitCode == 0, qPrintable(h.err));
    const QStringList lines = h.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 3, qPrintable(h.out));
    const QStringList header = lines.at(0).split(QLatin1Char('\t'));
    const int number = int(header.indexOf(u8("编号")));
    const int amount = int(header.indexOf(u8("金额")));
    QVERIFY(number > 0 && amount > 0);
    QCOMPARE(lines.at(1).split(QLatin1Char('\t')).at(number), QStringLiteral("No.0007"));
    QCOMPARE(lines.at(2).split(QLatin1Char('\t')).at(number), QStringLiteral("No.0008"));
    QCOMPARE(lines.at(2).split(QLatin1Char('\t')).at(amount), u8("￥250.50"));
    QVERIFY2(lines.at(3).startsWith(u8("合计")) && lines.at(3).contains(QStringLiteral("350.50")),
             qPrintable(h.out));

    // The query's export is the same list.
    const QString xlsx = m_files.filePath(QStringLiteral("query.xlsx"));
    QCOMPARE(tarvel({QStringLiteral("history"), QStringLiteral("--bill"), u8("支票/测试支票"),
                     QStringLiteral("--from"), today, QStringLiteral("--to"), today, QStringLiteral("--xlsx"),
                     xlsx})
                 .exitCode,
             0);
    QVERIFY(QFileInfo(xlsx).size() > 0);

    // A spoiled cheque is voided: still listed, with its reason, and out of the totals.
    QCOMPARE(tarvel({QStringLiteral("void"), QStringLiteral("--bill"), u8("支票/测试支票"),
                     QStringLiteral("--number"), QStringLiteral("1"), QStringLiteral("--reason"), u8("卡纸")})
                 .exitCode,
             0);
    QCOMPARE(tarvel({QStringLiteral("void"), QStringLiteral("--bill"), u8("支票/测试支票"),
                     QStringLiteral("--number"), QStringLiteral("9"), QStringLiteral("--reason"), u8("卡纸")})
                 .exitCode,
             1);
    const Run v = tarvel({QStringLiteral("history"), QStringLiteral("--bill"), u8("支票/测试支票"),
                          QStringLiteral("--from"), today, QStringLiteral("--to"), today});
    const QStringList voided = v.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(voided.at(0).endsWith(u8("作废\t作废原因")), qPrintable(v.out));
    QVERIFY2(voided.at(1).endsWith(u8("作废\t卡纸")), qPrintable(v.out));
    QVERIFY2(voided.at(3).contains(QStringLiteral("250.50")) &&
                 !voided.at(3).contains(QStringLiteral("350.50")),
             qPrintable(v.out));

    // Both jobs reached the queue.
    QVERIFY(!PdfPages::awaitCupsPdf(out, before, u8("打印票据：测试支票"), 60000).isEmpty());
}

void TestCommandLine::backupRoundTripIntoAnEmptyFolder() {
    importCheque(m_home->path());
    addUnits(m_home->path());
    const QString backup = m_files.filePath(QStringLiteral("nightly.SBF"));
    Run r = tarvel({QStringLiteral("backup"), QStringLiteral("export"), backup});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));

    QTemporaryDir empty;
    r = tarvel({QStringLiteral("backup"), QStringLiteral("import"), backup}, {}, empty.path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(tarvel({QStringLiteral("bills")}, {}, empty.path()).out, tarvel({QStringLiteral("bills")}).out);
    // The units came along: a code finds its unit in the new folder.
    r = tarvel({QStringLiteral("print"), QStringLiteral("--bill"), u8("支票/测试支票"),
                QStringLiteral("--values"), QStringLiteral("-"), QStringLiteral("--dry-run")},
               u8("收款人\na01\n").toUtf8(), empty.path());
    QVERIFY2(r.exitCode == 0 && r.out.contains(u8("甲公司\t6222001")), qPrintable(r.out + r.err));

    // A damaged backup changes nothing.
    QFile damaged(m_files.filePath(QStringLiteral("damaged.SBF")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("B0.002 not a backup");
    damaged.close();
    r = tarvel({QStringLiteral("backup"), QStringLiteral("import"), damaged.fileName()}, {}, empty.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(damaged.fileName()), qPrintable(r.err));
    QCOMPARE(tarvel({QStringLiteral("bills")}, {}, empty.path()).out.count(QLatin1Char('\n')), 1);
}

void TestCommandLine::refusesWhileTheWindowsHoldTheFolder() {
    QProcess windows;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    windows.setProcessEnvironment(env);
    windows.start(m_bin, {QStringLiteral("--home"), m_home->path(), QStringLiteral("--no-splash")});
    QVERIFY(windows.waitForStarted());
    const QString lock = m_home->filePath(u8("Tarvel智能票据打印.lock"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 30000);

    const Run r = tarvel({QStringLiteral("bills")});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u8("正被程序的窗口")), qPrintable(r.err));

    windows.terminate();
    QVERIFY(windows.waitForFinished(30000));
    QCOMPARE(tarvel({QStringLiteral("bills")}).exitCode, 0);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_CommandLine.moc"
