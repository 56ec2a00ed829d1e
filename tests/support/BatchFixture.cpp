#include "support/BatchFixture.h"

#include "reference/ReferenceTable.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"

MainItemFlag addBatchFixtureBill() {
    BillStore store;
    store.ensureBillTypeTable();
    store.addType(QStringLiteral("进帐单"));
    const MainItemFlag entry = addFixtureBill(store, 0, QStringLiteral("工行进帐单"),
                                              {{QStringLiteral("金额"), 8, true, true},
                                               {QStringLiteral("收款人"), 12, true, false},
                                               {QStringLiteral("编号"), 16, true, false}});
    Sql::exec(Database::get(Db::Bill),
              QStringLiteral("INSERT INTO %1 (\"编号\") VALUES ('0100')").arg(Sql::q(entry.autoTable)));
    ReferenceTable units(QStringLiteral("业务单位"));
    units.append({QStringLiteral("单位名称"), QStringLiteral("银行帐号"), QStringLiteral("识别码")},
                 {QStringLiteral("甲公司"), QStringLiteral("6222"), QStringLiteral("a01")});
    store.loadWorkingTemplate(entry);
    return entry;
}

QStringList historyNumbers(const MainItemFlag& entry) {
    QStringList numbers;
    QSqlQuery q =
        Sql::exec(Database::get(Db::Bill),
                  QStringLiteral("SELECT \"编号\" FROM %1 ORDER BY rowid").arg(Sql::q(entry.historyTable)));
    while (q.next())
        numbers << q.value(0).toString();
    return numbers;
}
