#include "exchange/BillDefineFile.h"
#include "exchange/SampleCheque.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "support/TempAppFolder.h"
#include "templates/TemplateStore.h"

#include <QDir>
#include <QImage>
#include <QTest>

namespace {
int rowsWithCode(const QString& table, const QString& code) {
    return Sql::scalar(Database::get(Db::Bill),
                       QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"识别码\"=?").arg(Sql::q(table)),
                       {code})
        .toInt();
}
} // namespace

// The practice cheque as shipped: the file the build wrote with the program's own writer.
class TestSampleCheque : public QObject {
    Q_OBJECT

private slots:
    void shippedFileImportsAsAChequeWithItsRecords() {
        const QString file = QStringLiteral(TARVEL_SAMPLE_BILL);
        QVERIFY2(BillDefineFile::check(file), qPrintable(file));
        TempAppFolder app;
        BillStore store;
        const int type = SampleCheque::import(store, file);
        QCOMPARE(store.typeNames().value(type), QStringLiteral("支票"));
        const QList<MainItemFlag> bills = store.billEntriesOfType(type);
        QCOMPARE(bills.size(), 1);
        QCOMPARE(bills.constFirst().billName, QStringLiteral("示例转帐支票"));

        // The kinds a newcomer meets on a real cheque.
        BillTemplate tpl;
        LoadTemplateItems(Database::get(Db::Bill), bills.constFirst().itemTable, tpl);
        QSet<ItemType> kinds;
        int checkBoxesInGroup = 0;
        for (int i = 0; i < tpl.count(); ++i) {
            kinds.insert(tpl.items[i].type);
            if (tpl.items[i].type == ItemType::CheckBox && tpl.items[i].interlockGroup == 1)
                ++checkBoxesInGroup;
        }
        for (ItemType t : {ItemType::AmountCapital, ItemType::AmountGrid, ItemType::AmountFigures,
                           ItemType::YearCapital, ItemType::MonthCapital, ItemType::DayCapital,
                           ItemType::BusinessUnit, ItemType::Purpose, ItemType::AutoNumber})
            QVERIFY2(kinds.contains(t), qPrintable(ItemTypes::name(ItemTypes::index(t))));
        QCOMPARE(checkBoxesInGroup, 2);

        // The form is the program's own drawing, 180 x 80 mm.
        const PageParameters page = readPageRow(Database::get(Db::Bill), bills.constFirst().typeTable);
        QCOMPARE(page.width, 1800);
        QCOMPARE(page.length, 800);
        const QImage form(store.storedPicturePath(bills.constFirst()));
        QCOMPARE(form.size(), QSize(1800, 800));

        QCOMPARE(rowsWithCode(QStringLiteral("业务单位"), QStringLiteral("SL")), 1);
        QCOMPARE(rowsWithCode(QStringLiteral("票据用途"), QStringLiteral("HK")), 1);
        QCOMPARE(
            Sql::scalar(Database::get(Db::Bill),
                        QStringLiteral("SELECT \"号码\" FROM %1").arg(Sql::q(bills.constFirst().autoTable)))
                .toString(),
            QStringLiteral("00000001"));

        // Importing again replaces the bill and adds no second record.
        SampleCheque::import(store, file);
        QCOMPARE(store.billEntriesOfType(type).size(), 1);
        QCOMPARE(rowsWithCode(QStringLiteral("业务单位"), QStringLiteral("SL")), 1);
        QCOMPARE(QDir(app.file(QStringLiteral("BackImage"))).entryList(QDir::Files).size(), 1);
    }

    void damagedFileChangesNothing() {
        TempAppFolder app;
        const QString file = app.file(QStringLiteral("tmp/坏的.BDF"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("File Define for Bill");
        f.close();
        BillStore store;
        QVERIFY_THROWS_EXCEPTION(StoreError, SampleCheque::import(store, file));
        store.ensureBillTypeTable();
        QCOMPARE(store.typesWithBills(), QStringList());
        QCOMPARE(rowsWithCode(QStringLiteral("业务单位"), QStringLiteral("SL")), 0);
        QCOMPARE(QDir(app.file(QStringLiteral("BackImage"))).entryList(QDir::Files).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSampleCheque)
#include "tst_samplecheque.moc"
