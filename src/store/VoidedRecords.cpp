#include "store/VoidedRecords.h"

#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QSqlQuery>

namespace VoidedRecords {

namespace {
const QString kBill = QStringLiteral("历史文件名");
const QString kNumber = QStringLiteral("HistoryNumber");
const QString kReason = QStringLiteral("作废原因");
const QString kTime = QStringLiteral("作废时间");
} // namespace

QString table() {
    return QStringLiteral("作废记录");
}

QHash<qint64, Mark> of(const QString& historyTable) {
    QHash<qint64, Mark> marks;
    QSqlQuery q =
        Sql::exec(Database::get(Db::Bill),
                  QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 = ?")
                      .arg(Sql::q(kNumber), Sql::q(kReason), Sql::q(kTime), Sql::q(table()), Sql::q(kBill)),
                  {historyTable});
    while (q.next())
        marks.insert(q.value(0).toLongLong(), {q.value(1).toString(), q.value(2).toString()});
    return marks;
}

void mark(const QString& historyTable, const QList<qint64>& numbers, const QString& reason,
          const QDateTime& moment) {
    if (reason.trimmed().isEmpty())
        throw StoreError(QStringLiteral("作废原因不能为空。"));
    const QSqlDatabase db = Database::get(Db::Bill);
    const QHash<qint64, Mark> before = of(historyTable);
    Sql::Transaction tx(db);
    for (qint64 n : numbers)
        if (!before.contains(n))
            Sql::insertRow(
                db, table(), {kBill, kNumber, kReason, kTime},
                {historyTable, n, reason.trimmed(), moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    tx.commit();
}

void unmark(const QString& historyTable, const QList<qint64>& numbers) {
    const QSqlDatabase db = Database::get(Db::Bill);
    Sql::Transaction tx(db);
    for (qint64 n : numbers)
        Sql::exec(db,
                  QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 = ?")
                      .arg(Sql::q(table()), Sql::q(kBill), Sql::q(kNumber)),
                  {historyTable, n});
    tx.commit();
}

void forgetBill(const QString& historyTable) {
    Sql::exec(Database::get(Db::Bill),
              QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(Sql::q(table()), Sql::q(kBill)),
              {historyTable});
}

} // namespace VoidedRecords
