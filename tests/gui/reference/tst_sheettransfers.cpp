#include "app/ui/TWaitingForm.h"
#include "platform/SpreadsheetReader.h"
#include "platform/SpreadsheetWriter.h"
#include "reference/ui/SheetTransfers.h"
#include "reference/ui/TBussAccountForm.h"
#include "reference/ui/TLinkManForm.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"
#include "support/ui/GridInput.h"
#include "support/ui/ScriptedPrompter.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {
const QString kUnits = QStringLiteral("业务单位");

int unitCount() {
    return Sql::rowCount(Database::get(Db::Bill), kUnits);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

// The transfers as the windows' buttons run them: file dialog, busy window, messages.
class TestSheetTransfers : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        Sql::insertRow(Database::get(Db::Bill), kUnits, Schema::businessUnitColumns(),
                       {"甲公司", "6222021234567890123", "工行", "浙江", "杭州", "A01"});
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        m_folder.reset();
    }

    void importThroughTheBusyWindow() {
        const QString path = m_folder->file("in.xlsx");
        SpreadsheetWriter w(path);
        w.addRow({"单位名称"});
        w.addRow({"乙公司"});
        w.save();
        m_prompter->files << path;
        QVERIFY(SheetTransfers::importBusinessUnits(nullptr));
        QCOMPARE(m_prompter->texts("open"), QStringList{"导入业务单位Excel文件"});
        QCOMPARE(m_prompter->asked.size(), 1);
        QCOMPARE(unitCount(), 2);
    }

    void importThatDoesNotStart_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("cancelled") << "";
        QTest::newRow("no such file") << "missing.xlsx";
    }

    void importThatDoesNotStart() {
        QFETCH(QString, file);
        m_prompter->files << (file.isEmpty() ? file : m_folder->file(file));
        QVERIFY(!SheetTransfers::importContacts(nullptr));
        QCOMPARE(m_prompter->asked.size(), 1); // the dialog only
    }

    void damagedFileReported() {
        const QString path = m_folder->file("bad.xlsx");
        writeFile(path, "PK\x03\x04 not really a workbook");
        m_prompter->files << path;
        QVERIFY(!SheetTransfers::importBusinessUnits(nullptr));
        const QStringList errors = m_prompter->texts("error");
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.constFirst().startsWith(QStringLiteral("导入业务单位失败")),
                 qPrintable(errors.constFirst()));
        QCOMPARE(unitCount(), 1);
    }

    // A million rows from a tiny file: the busy window counts them and its cancel button stops the
    // import with nothing added.
    void importCancelledFromTheBusyWindow() {
        m_prompter->files << testData(QStringLiteral("sheets/last-row.xlsx"));
        QString progress;
        whenShown<TWaitingForm>([&progress](TWaitingForm* busy) {
            QVERIFY(busy->cancelButton->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(busy->ProgressLabel->text().endsWith(QStringLiteral(" / 1048575")),
                                     20000);
            progress = busy->ProgressLabel->text();
            busy->cancelButton->click();
        });
        QVERIFY(!SheetTransfers::importBusinessUnits(nullptr));
        QVERIFY2(!progress.isEmpty(), "the busy window showed no progress");
        QCOMPARE(m_prompter->texts("notice"), QStringList{"已取消导入业务单位，没有导入任何记录。"});
        QCOMPARE(unitCount(), 1);
    }

    void exportOverAnExistingFile() {
        const QString path = m_folder->file("units.xlsx");
        writeFile(path, "old");
        m_prompter->files << path << path;
        m_prompter->answers << false << true;
        SheetTransfers::exportBusinessUnits(nullptr);
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();
        SheetTransfers::exportBusinessUnits(nullptr);
        QCOMPARE(m_prompter->texts("question"),
                 (QStringList{"已经有同名的Excel文件，覆盖吗 ？", "已经有同名的Excel文件，覆盖吗 ？"}));
        QCOMPARE(SpreadsheetReader::readActiveSheet(path).cell(1, 1), QStringLiteral("6222021234567890123"));
    }

    void legacyNameWrittenAsXlsx() {
        m_prompter->files << m_folder->file("联系人.xls");
        SheetTransfers::exportContacts(nullptr);
        QCOMPARE(m_prompter->texts("save"), QStringList{"导出联系人到Excel文件"});
        QCOMPARE(m_prompter->texts("notice"),
                 QStringList{"Excel文件已保存为 " + m_folder->file("联系人.xlsx")});
        QCOMPARE(SpreadsheetReader::readActiveSheet(m_folder->file("联系人.xlsx")).rows.at(0),
                 Schema::contactColumns());
    }

    void buttonsOfTheWindows() {
        const QString path = m_folder->file("units.xlsx");
        TBussAccountForm units;
        units.show();
        m_prompter->files << path << path;
        units.exportButton->click(); // "导出记录"
        units.importButton->click(); // "导入记录": the grid lists the second copy
        QCOMPARE(units.exportButton->text(), QStringLiteral("导出记录"));
        QCOMPARE(units.importButton->text(), QStringLiteral("导入记录"));
        QCOMPARE(unitCount(), 2);
        QCOMPARE(units.recordList->rowCount(), 2);
        QCOMPARE(units.recordList->item(1, 1)->text(), QStringLiteral("6222021234567890123"));

        TLinkManForm contacts;
        contacts.show();
        m_prompter->files << "";
        contacts.importButton->click();
        QCOMPARE(m_prompter->texts("open").constLast(), QStringLiteral("导入联系人Excel文件"));
    }

private:
    std::unique_ptr<TempAppFolder> m_folder;
    ScriptedPrompter* m_prompter = nullptr;
};

QTEST_MAIN(TestSheetTransfers)
#include "tst_sheettransfers.moc"
