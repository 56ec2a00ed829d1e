#include "issuing/OtherContent.h"

#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"

using Sql::q;

namespace {
const QString kTable = QStringLiteral("其他内容");
const QString kLineBreak = QStringLiteral("\r\n");

QString defaultBillKinds() {
    return QStringList{QStringLiteral("转帐支票"), QStringLiteral("业务委托书"), QStringLiteral("汇票"),
                       QStringLiteral("本票"), QStringLiteral("现金")}
        .join(kLineBreak);
}

QString defaultReturnReasons() {
    return QStringList{
        QStringLiteral("金额涂改"),         QStringLiteral("无委托收款"), QStringLiteral("无签证章"),
        QStringLiteral("无清算章"),         QStringLiteral("存款不足"),   QStringLiteral("背书不规范"),
        QStringLiteral("大小写金额不符合"), QStringLiteral("抬背不符"),   QStringLiteral("日期不规范"),
        QStringLiteral("大写不规范"),       QStringLiteral("帐户名不符"), QStringLiteral("票据过期")}
        .join(kLineBreak);
}

// The rowid of the table's first row, adding the row of defaults when there is none.
qint64 ensureRow(const QSqlDatabase& db) {
    qint64 row = Sql::rowIdAt(db, kTable, 0);
    if (row >= 0)
        return row;
    Sql::insertRow(db, kTable, {QStringLiteral("票据种类"), QStringLiteral("退票理由")},
                   {defaultBillKinds(), defaultReturnReasons()});
    row = Sql::rowIdAt(db, kTable, 0);
    if (row < 0)
        throw StoreError(QStringLiteral("无法写入数据表：%1").arg(kTable));
    return row;
}

QChar latinLower(QChar c) {
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z') ? QChar(c.unicode() + ('a' - 'A')) : c;
}
} // namespace

namespace OtherContent {

QString column(ItemType type) {
    switch (type) {
    case ItemType::BillKind:
        return QStringLiteral("票据种类");
    case ItemType::ReturnReason:
        return QStringLiteral("退票理由");
    case ItemType::Handler:
        return QStringLiteral("经办人");
    case ItemType::Telephone:
        return QStringLiteral("电话号码");
    default:
        return {};
    }
}

QStringList entries(const QString& list) {
    if (list.isEmpty())
        return {};
    return list.split(kLineBreak);
}

bool sameEntry(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (latinLower(a.at(i)) != latinLower(b.at(i)))
            return false;
    return true;
}

bool contains(const QString& list, const QString& entry) {
    for (const QString& e : entries(list))
        if (sameEntry(e, entry))
            return true;
    return false;
}

} // namespace OtherContent

QString GetOtherContentList(ItemType type) {
    const QString col = OtherContent::column(type);
    if (col.isEmpty())
        return {};
    const QSqlDatabase db = Database::get(Db::Bill);
    Sql::Transaction tx(db);
    const qint64 row = ensureRow(db);
    const QString list =
        Sql::scalar(db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(q(col), q(kTable)), {row})
            .toString();
    tx.commit();
    return list;
}

void AddOtherContentEntry(ItemType type, const QString& entry) {
    const QString col = OtherContent::column(type);
    if (col.isEmpty())
        return;
    const QSqlDatabase db = Database::get(Db::Bill);
    Sql::Transaction tx(db);
    const qint64 row = ensureRow(db);
    const QString list =
        Sql::scalar(db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(q(col), q(kTable)), {row})
            .toString();
    const QString updated = list.isEmpty() ? entry : list + kLineBreak + entry;
    Sql::exec(db, QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(q(kTable), q(col)),
              {updated, row});
    tx.commit();
}
