#include "exchange/BillImport.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "support/TempAppFolder.h"

#include <QFile>
#include <QTest>

#include <memory>

namespace {

QSqlDatabase def() {
    return Database::get(Db::Define);
}
QSqlDatabase bill() {
    return Database::get(Db::Bill);
}

// A working template as a definition file leaves it: one page row with its picture, the items.
QString prepareWorkingTemplate(const QString& billName, const QStringList& itemNames) {
    const QString picture = BillStore::newPictureFileName();
    QFile f(picture);
    if (f.open(QIODevice::WriteOnly))
        f.write(billName.toUtf8());
    f.close();
    Sql::insertRow(def(), BillStore::workingPageTable(),
                   {QStringLiteral("票据类型"), QStringLiteral("票据名称"), QStringLiteral("图象数据格式")},
                   {2, billName, picture});
    for (const QString& name : itemNames)
        Sql::insertRow(def(), BillStore::workingItemTable(),
                       {QStringLiteral("设置项目名称"), QStringLiteral("设置项类型"), QStringLiteral("查询")},
                       {name, 8, 1});
    return picture;
}

QStringList storedTypeNames() {
    BillStore store;
    store.reloadTypeNames();
    return store.typeNames();
}

QStringList masterRows() {
    QStringList rows;
    for (const QVariantList& r : Sql::allRows(bill(), BillStore::masterTable()))
        rows << QStringLiteral("%1|%2|%3").arg(r.at(1).toString(), r.at(2).toString(), r.at(3).toString());
    return rows;
}

} // namespace

class TestBillImport : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_store = std::make_unique<BillStore>();
        m_store->ensureBillTypeTable();
    }
    void cleanup() {
        m_store.reset();
        m_app.reset();
    }

    void createsNewBill() {
        const QString picture = prepareWorkingTemplate(QStringLiteral("转帐支票"), {QStringLiteral("金额")});
        QVERIFY(!BillImport::createBill(*m_store, 2, QStringLiteral("转帐支票")));
        QCOMPARE(masterRows(), QStringList{QStringLiteral("2|转帐支票|H1Type")});
        QCOMPARE(m_store->typeBillCount(2), 1);
        QCOMPARE(m_store->storedPicturePath(m_store->billEntriesOfType(2).constFirst()), picture);
        QCOMPARE(Sql::rowCount(def(), BillStore::workingPageTable()), 0);
        QCOMPARE(Sql::rowCount(def(), BillStore::workingItemTable()), 0);
    }

    void replacesBillOfSameName_data() {
        QTest::addColumn<bool>("oldPictureMissing");
        QTest::newRow("old picture present") << false;
        // The new picture then takes the old one's file name and must survive the replacement.
        QTest::newRow("old picture missing") << true;
    }

    void replacesBillOfSameName() {
        QFETCH(bool, oldPictureMissing);
        // A shared store still has the old picture, so the new one gets a name of its own.
        if (oldPictureMissing)
            SKIP_ON_SHARED_STORE();
        prepareWorkingTemplate(QStringLiteral("乙"), {QStringLiteral("金额")});
        BillImport::createBill(*m_store, 2, QStringLiteral("乙"));
        const QString oldPicture = prepareWorkingTemplate(QStringLiteral("甲"), {QStringLiteral("旧项")});
        BillImport::createBill(*m_store, 2, QStringLiteral("甲"));
        if (oldPictureMissing)
            QFile::remove(oldPicture);

        const QString newPicture = prepareWorkingTemplate(QStringLiteral("甲"), {QStringLiteral("新项")});
        QCOMPARE(newPicture == oldPicture, oldPictureMissing);
        QVERIFY(BillImport::createBill(*m_store, 2, QStringLiteral("甲")));

        QCOMPARE(masterRows(), QStringList({QStringLiteral("2|乙|H1Type"), QStringLiteral("2|甲|H2Type")}));
        QCOMPARE(m_store->typeBillCount(2), 2);
        QCOMPARE(Sql::columnNames(bill(), QStringLiteral("H2Bef")).mid(2),
                 QStringList{QStringLiteral("新项")});
        QVERIFY(QFile::exists(newPicture));
        if (!oldPictureMissing)
            QVERIFY(!QFile::exists(oldPicture));
        QCOMPARE(m_store->storedPicturePath(m_store->billEntriesOfType(2).constLast()), newPicture);
    }

    void failedReplacementChangesNothing() {
        const QString oldPicture = prepareWorkingTemplate(QStringLiteral("甲"), {QStringLiteral("旧项")});
        BillImport::createBill(*m_store, 2, QStringLiteral("甲"));
        const QStringList tablesBefore = Sql::tableNames(bill());

        // Two items of one name cannot become columns of the pre-bill table.
        prepareWorkingTemplate(QStringLiteral("甲"), {QStringLiteral("金额"), QStringLiteral("金额")});
        QVERIFY_THROWS_EXCEPTION(StoreError, BillImport::createBill(*m_store, 2, QStringLiteral("甲")));

        QCOMPARE(masterRows(), QStringList{QStringLiteral("2|甲|H1Type")});
        QCOMPARE(Sql::tableNames(bill()), tablesBefore);
        QCOMPARE(Sql::columnNames(bill(), QStringLiteral("H1Bef")).mid(2),
                 QStringList{QStringLiteral("旧项")});
        QCOMPARE(m_store->typeBillCount(2), 1);
        QVERIFY(QFile::exists(oldPicture));
    }

    // A bill of a type the store lacks brings its type along; when the bill cannot be made, the
    // type goes too, from the store and from the store's list of types.
    void aNewTypeComesOnlyWithItsBill() {
        const QStringList typesBefore = m_store->typeNames();
        prepareWorkingTemplate(QStringLiteral("甲"), {QStringLiteral("金额"), QStringLiteral("金额")});
        QVERIFY_THROWS_EXCEPTION(StoreError, BillImport::createBillOfType(
                                                 *m_store, QStringLiteral("外币支票"), QStringLiteral("甲")));
        QCOMPARE(m_store->typeNames(), typesBefore);
        QCOMPARE(storedTypeNames(), typesBefore);
        QCOMPARE(masterRows(), QStringList());

        Sql::emptyTable(def(), BillStore::workingPageTable());
        Sql::emptyTable(def(), BillStore::workingItemTable());
        prepareWorkingTemplate(QStringLiteral("甲"), {QStringLiteral("金额")});
        QVERIFY(!BillImport::createBillOfType(*m_store, QStringLiteral("外币支票"), QStringLiteral("甲")));
        const int type = int(typesBefore.size());
        QCOMPARE(storedTypeNames(), typesBefore + QStringList{QStringLiteral("外币支票")});
        QCOMPARE(m_store->typeIndexOf(QStringLiteral("外币支票")), type);
        QCOMPARE(m_store->typeBillCount(type), 1);
        QCOMPARE(masterRows(), QStringList{QStringLiteral("%1|甲|H1Type").arg(type)});
    }

private:
    std::unique_ptr<TempAppFolder> m_app;
    std::unique_ptr<BillStore> m_store;
};

QTEST_GUILESS_MAIN(TestBillImport)
#include "tst_billimport.moc"
