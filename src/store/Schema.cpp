#include "store/Schema.h"

#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Dialect.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

#include <algorithm>

namespace Schema {

namespace {
Sql::ColumnDef key(const QString& name) {
    return {name, QStringLiteral("INTEGER"), true, true};
}
Sql::ColumnDef text(const QString& name) {
    return {name, QStringLiteral("VARCHAR(255)"), false, false};
}
Sql::ColumnDef memo(const QString& name) {
    return {name, QStringLiteral("TEXT"), false, false};
}
Sql::ColumnDef integer(const QString& name) {
    return {name, QStringLiteral("INTEGER"), false, false};
}

QList<Sql::ColumnDef> keyed(const QString& keyName, const QStringList& cols, bool longText = false) {
    QList<Sql::ColumnDef> defs{key(keyName)};
    for (const QString& c : cols)
        defs << (longText ? memo(c) : text(c));
    return defs;
}

QStringList split(const char* list) {
    return QString::fromUtf8(list).split(QLatin1Char('|'));
}
} // namespace

QStringList ownAccountColumns() {
    return split("开户名称|银行帐号|开户总行|开户银行|银行地址(省)|银行地址(市)|银行详细地址");
}
QStringList businessUnitColumns() {
    return split("单位名称|银行帐号|开户银行|银行地址(省)|银行地址(市)|识别码");
}
QStringList purposeColumns() {
    return split("用途|识别码");
}
QStringList contactColumns() {
    return split(
        "姓名|性别|年龄|民族|身份证|公司|部门|职务|国家/地区|邮政编码|省/自治区|市/县|业务地址|住宅地址|"
        "电话|移动电话|传真号|电子邮箱|识别码");
}
QStringList otherContentColumns() {
    return split("票据种类|退票理由|经办人|电话号码");
}

QStringList defaultTypeNames() {
    return split("支票|进帐单|电汇|汇票|商业承兑汇票|贷记凭证|本票|业务委托书|特种发票");
}

QList<Sql::ColumnDef> pageTableColumns() {
    return {key(QStringLiteral("ID")),
            integer(QStringLiteral("票据类型")),
            text(QStringLiteral("票据名称")),
            text(QStringLiteral("图形文件")),
            integer(QStringLiteral("票据宽")),
            integer(QStringLiteral("票据长")),
            integer(QStringLiteral("票据左空")),
            integer(QStringLiteral("票据顶空")),
            integer(QStringLiteral("打印方向")),
            integer(QStringLiteral("币种选择")),
            text(QStringLiteral("图象数据格式")),
            {QStringLiteral("图象数据"), QStringLiteral("BLOB"), false, false},
            integer(QStringLiteral("打印背景")),
            text(QStringLiteral("票据类型名称"))};
}

QList<Sql::ColumnDef> itemTableColumns() {
    QList<Sql::ColumnDef> cols{key(QStringLiteral("BillItemNum"))};
    const QStringList names =
        split("设置项目名称|横向位置|纵向位置|宽度|高度|字体|字间距|打印对齐|是否打印|设置项类型|"
              "是否显示输入|计算方法|设置项关系|互锁组|显示标题|打印后缀|查询|统计");
    const QStringList texts = split("设置项目名称|字体|计算方法|设置项关系");
    for (const QString& n : names)
        cols << (texts.contains(n) ? text(n) : integer(n));
    return cols;
}

namespace {
struct TableDef {
    QString name;
    QList<Sql::ColumnDef> columns;
};

QList<TableDef> billStoreTables() {
    return {{QStringLiteral("主控"),
             {key(QStringLiteral("BillSetNum")), integer(QStringLiteral("票据类型")),
              text(QStringLiteral("票据名称")), text(QStringLiteral("类型设置名")),
              text(QStringLiteral("基本设置名")), text(QStringLiteral("历史文件名")),
              text(QStringLiteral("预开票名")), text(QStringLiteral("自动计数名"))}},
            {QStringLiteral("其他内容"), keyed(QStringLiteral("ID"), otherContentColumns(), true)},
            {QStringLiteral("本单位帐户"), keyed(QStringLiteral("ID"), ownAccountColumns())},
            {QStringLiteral("业务单位"), keyed(QStringLiteral("ID"), businessUnitColumns())},
            {QStringLiteral("票据用途"), keyed(QStringLiteral("ID"), purposeColumns(), true)},
            {QStringLiteral("联系人"), keyed(QStringLiteral("ID"), contactColumns())},
            {QStringLiteral("作废记录"),
             {key(QStringLiteral("ID")), text(QStringLiteral("历史文件名")),
              integer(QStringLiteral("HistoryNumber")), text(QStringLiteral("作废原因")),
              text(QStringLiteral("作废时间"))}}};
}

// The pictures a shared store keeps for every desk.
TableDef pictureTable() {
    return {BillStore::pictureTable(),
            {{QStringLiteral("文件名"), QStringLiteral("VARCHAR(255)"), true, false},
             {QStringLiteral("图片"), QStringLiteral("BLOB"), false, false}}};
}

QList<TableDef> defineTables() {
    return {{QStringLiteral("票据类型表"),
             {text(QStringLiteral("类型名称")), integer(QStringLiteral("同类型计数"))}},
            {QStringLiteral("票据类型"), pageTableColumns()},
            {QStringLiteral("基本设置项"), itemTableColumns()},
            {QStringLiteral("业务单位"), keyed(QStringLiteral("ID"), businessUnitColumns())},
            {QStringLiteral("本单位帐户"), keyed(QStringLiteral("ID"), ownAccountColumns())},
            {QStringLiteral("联系人"), keyed(QStringLiteral("ID"), contactColumns())}};
}

// Creates the tables of the list that the database lacks (existing names those it has), all in
// one transaction.
void createMissing(const QSqlDatabase& db, QList<TableDef> tables, const QStringList& existing) {
    if (Dialect::isPostgres(db) && tables.constFirst().name == BillStore::masterTable())
        tables << pictureTable();
    const auto missing = [&](const TableDef& t) { return !existing.contains(t.name); };
    if (std::none_of(tables.cbegin(), tables.cend(), missing))
        return;
    Sql::Transaction tx(db);
    for (const TableDef& t : tables)
        if (missing(t))
            Sql::createTable(db, t.name, t.columns);
    tx.commit();
}

void createMissing(const QSqlDatabase& db, const QList<TableDef>& tables) {
    createMissing(db, tables, Sql::tableNames(db));
}

QString notAStoreMessage(const QString& path) {
    return QStringLiteral(
               "文件 %1 不是本程序的数据库，程序不会改写它。\n请把它移到别处，或用备份文件恢复后再启动。")
        .arg(QDir::toNativeSeparators(path));
}

// A new database file is made complete under a scratch name and only then renamed into place, so
// an interrupted first start never leaves a file that looks like a store but is not one.
void createFresh(const QString& path, const QList<TableDef>& tables) {
    const QString scratch = path + QStringLiteral(".new");
    const auto removeScratch = [&scratch] {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(scratch + QLatin1String(suffix));
    };
    removeScratch();
    const QString connection = QStringLiteral("SchemaCreate@%1").arg(path);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(scratch);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            try {
                createMissing(db, tables);
            } catch (const StoreError& e) {
                failure = e.message();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (failure.isEmpty() && !QFile::rename(scratch, path))
        failure = QStringLiteral("无法把临时文件改名为数据库文件");
    if (!failure.isEmpty()) {
        removeScratch();
        throw StoreError(
            QStringLiteral("无法建立数据库文件 %1：%2").arg(QDir::toNativeSeparators(path), failure));
    }
}

// An existing file must be one of ours. An empty database (a start killed before the tables
// were made) and one that lost some of our tables get the missing tables; anything else is
// reported and left untouched.
void completeExisting(Db which, const QString& path, const QList<TableDef>& tables) {
    QSqlDatabase db;
    QStringList existing;
    try {
        db = Database::get(which);
        existing = Sql::tableNames(db);
    } catch (const StoreError&) {
        Database::close(which);
        throw StoreError(notAStoreMessage(path));
    }
    bool ours = existing.isEmpty();
    for (const TableDef& t : tables)
        ours = ours || existing.contains(t.name);
    if (!ours) {
        Database::close(which);
        throw StoreError(notAStoreMessage(path));
    }
    createMissing(db, tables, existing);
}
} // namespace

void createBillStoreTables(const QSqlDatabase& db) {
    createMissing(db, billStoreTables());
}

void createDefineTables(const QSqlDatabase& db) {
    createMissing(db, defineTables());
}

void ensureDatabases() {
    for (const Db which : {Db::Bill, Db::Define}) {
        const QString path = Database::filePath(which);
        const QList<TableDef> tables = which == Db::Bill ? billStoreTables() : defineTables();
        if (which == Db::Bill && Database::isShared())
            completeExisting(which, Database::location(which), tables);
        else if (QFileInfo::exists(path))
            completeExisting(which, path, tables);
        else
            createFresh(path, tables);
    }
}

} // namespace Schema
