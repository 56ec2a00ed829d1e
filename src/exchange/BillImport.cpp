#include "exchange/BillImport.h"

#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <optional>

using Sql::q;

BillImport::WorkingPage BillImport::workingPage() {
    WorkingPage page;
    QSqlQuery query = Sql::exec(Database::get(Db::Define),
                                QStringLiteral("SELECT \"票据类型\", \"票据名称\", \"图象数据格式\" FROM %1")
                                        .arg(q(BillStore::workingPageTable())) +
                                    Sql::naturalOrder() + QStringLiteral(" LIMIT 1"));
    if (query.next()) {
        page.typeIndex = query.value(0).toInt();
        page.billName = query.value(1).toString();
        page.picturePath = query.value(2).toString();
    }
    return page;
}

void BillImport::setWorkingTypeIndex(int index) {
    QSqlDatabase def = Database::get(Db::Define);
    const qint64 rowid = Sql::rowIdAt(def, BillStore::workingPageTable(), 0);
    if (rowid < 0)
        return;
    Sql::exec(
        def,
        QStringLiteral("UPDATE %1 SET \"票据类型\"=? WHERE rowid=?").arg(q(BillStore::workingPageTable())),
        {index, rowid});
}

bool BillImport::createBill(BillStore& store, int typeIndex, const QString& name) {
    return create(store, typeIndex < 0 ? 0 : typeIndex, QString(), name);
}

bool BillImport::createBillOfType(BillStore& store, const QString& typeName, const QString& name) {
    try {
        return create(store, store.typeIndexOf(typeName), typeName, name);
    } catch (...) {
        // The type list may hold the type that was rolled back.
        store.reloadTypeNames();
        throw;
    }
}

bool BillImport::create(BillStore& store, int typeIndex, const QString& typeName, const QString& name) {
    std::optional<MainItemFlag> existing;
    if (typeIndex >= 0) {
        for (const MainItemFlag& e : store.billEntriesOfType(typeIndex)) {
            if (e.billName == name) {
                existing = e;
                break;
            }
        }
    }
    const QString newPicture = workingPage().picturePath;

    QSqlDatabase db = Database::get(Db::Bill);
    QString oldPicture;
    {
        Sql::Transaction tx(db);
        if (typeIndex < 0)
            typeIndex = store.addType(typeName);
        if (existing) {
            Sql::exec(
                db,
                QStringLiteral("DELETE FROM %1 WHERE rowid=(SELECT rowid FROM %1 WHERE \"票据类型\"=? AND "
                               "\"票据名称\"=?")
                        .arg(q(BillStore::masterTable())) +
                    Sql::naturalOrder() + QStringLiteral(" LIMIT 1)"),
                {typeIndex, name});
            oldPicture = store.storedPicturePath(*existing);
            store.deleteBillTables(*existing);
        }
        if (!existing)
            store.changeTypeCount(typeIndex, 1);
        // Last, because it empties the working template, which is outside this transaction.
        store.createBillFromWorkingTemplate(typeIndex, name);
        tx.commit();
    }
    // The old picture may have been missing, so that its name was given to the new one.
    const QString file = BillStore::resolvePicturePath(oldPicture);
    if (!file.isEmpty() && QFileInfo::exists(file) &&
        QFileInfo(file).absoluteFilePath() != QFileInfo(newPicture).absoluteFilePath())
        QFile::remove(file);
    return existing.has_value();
}
