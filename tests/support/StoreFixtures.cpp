#include "support/StoreFixtures.h"

#include "store/Database.h"
#include "store/Sql.h"

#include <QSqlQuery>

void fillWorkingTemplate(const QString& billName, const QList<FixtureItem>& items, int typeIndex,
                         const QString& picturePath) {
    QSqlDatabase def = Database::get(Db::Define);
    Sql::emptyTable(def, QStringLiteral("票据类型"));
    Sql::emptyTable(def, QStringLiteral("基本设置项"));
    Sql::insertRow(def, QStringLiteral("票据类型"),
                   {QStringLiteral("票据类型"), QStringLiteral("票据名称"), QStringLiteral("票据宽"),
                    QStringLiteral("票据长"), QStringLiteral("图象数据格式"), QStringLiteral("打印背景")},
                   {typeIndex, billName, 2400, 800, picturePath, 0});
    int x = 10;
    for (const FixtureItem& it : items) {
        Sql::insertRow(def, QStringLiteral("基本设置项"),
                       {QStringLiteral("设置项目名称"), QStringLiteral("横向位置"),
                        QStringLiteral("纵向位置"), QStringLiteral("宽度"), QStringLiteral("高度"),
                        QStringLiteral("字体"), QStringLiteral("设置项类型"), QStringLiteral("查询"),
                        QStringLiteral("统计"), QStringLiteral("是否打印"), QStringLiteral("是否显示输入")},
                       {it.name, x, 20, 300, 60, QStringLiteral("宋体-9"), it.type, it.query ? 1 : 0,
                        it.statistics ? 1 : 0, 1, 1});
        x += 310;
    }
}

MainItemFlag addFixtureBill(BillStore& store, int typeIndex, const QString& name,
                            const QList<FixtureItem>& items) {
    fillWorkingTemplate(name, items, typeIndex);
    MainItemFlag e = store.createBillFromWorkingTemplate(typeIndex, name);
    store.changeTypeCount(typeIndex, 1);
    return e;
}

OtherConnection::OtherConnection(const QString& path) : m_name(QStringLiteral("other@%1").arg(path)) {
    QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    connection.setDatabaseName(path);
    connection.open();
}

OtherConnection::~OtherConnection() {
    {
        QSqlDatabase connection = db();
        QSqlQuery(connection).exec(QStringLiteral("ROLLBACK"));
        connection.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase OtherConnection::db() const {
    return QSqlDatabase::database(m_name, false);
}

bool OtherConnection::holdRead(const QString& table) {
    QSqlQuery(db()).exec(QStringLiteral("BEGIN"));
    QSqlQuery q(db());
    return q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(Sql::q(table))) && q.next();
}

bool OtherConnection::holdWrite() {
    return QSqlQuery(db()).exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void OtherConnection::release() {
    QSqlQuery(db()).exec(QStringLiteral("ROLLBACK"));
}
