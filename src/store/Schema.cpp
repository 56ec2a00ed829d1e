#include "store/Schema.h"

#include "store/Database.h"
#include "store/StoreError.h"

#include <QFileInfo>

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

void createBillStoreTables(const QSqlDatabase& db) {
    Sql::Transaction tx(db);
    Sql::createTable(db, QStringLiteral("主控"),
                     {key(QStringLiteral("BillSetNum")), integer(QStringLiteral("票据类型")),
                      text(QStringLiteral("票据名称")), text(QStringLiteral("类型设置名")),
                      text(QStringLiteral("基本设置名")), text(QStringLiteral("历史文件名")),
                      text(QStringLiteral("预开票名")), text(QStringLiteral("自动计数名"))});
    Sql::createTable(db, QStringLiteral("其他内容"),
                     keyed(QStringLiteral("ID"), otherContentColumns(), true));
    Sql::createTable(db, QStringLiteral("本单位帐户"), keyed(QStringLiteral("ID"), ownAccountColumns()));
    Sql::createTable(db, QStringLiteral("业务单位"), keyed(QStringLiteral("ID"), businessUnitColumns()));
    Sql::createTable(db, QStringLiteral("票据用途"), keyed(QStringLiteral("ID"), purposeColumns(), true));
    Sql::createTable(db, QStringLiteral("联系人"), keyed(QStringLiteral("ID"), contactColumns()));
    tx.commit();
}

void createDefineTables(const QSqlDatabase& db) {
    Sql::Transaction tx(db);
    Sql::createTable(db, QStringLiteral("票据类型表"),
                     {text(QStringLiteral("类型名称")), integer(QStringLiteral("同类型计数"))});
    Sql::createTable(db, QStringLiteral("票据类型"), pageTableColumns());
    Sql::createTable(db, QStringLiteral("基本设置项"), itemTableColumns());
    Sql::createTable(db, QStringLiteral("业务单位"), keyed(QStringLiteral("ID"), businessUnitColumns()));
    Sql::createTable(db, QStringLiteral("本单位帐户"), keyed(QStringLiteral("ID"), ownAccountColumns()));
    Sql::createTable(db, QStringLiteral("联系人"), keyed(QStringLiteral("ID"), contactColumns()));
    tx.commit();
}

void ensureDatabases() {
    struct Entry {
        Db db;
        void (*create)(const QSqlDatabase&);
    };
    for (const Entry& e : {Entry{Db::Bill, &createBillStoreTables}, Entry{Db::Define, &createDefineTables}}) {
        const QString path = Database::filePath(e.db);
        if (QFileInfo::exists(path))
            continue;
        try {
            e.create(Database::get(e.db));
        } catch (...) {
            // A half-made file would be taken for a shipped one at the next start.
            Database::close(e.db);
            QFile::remove(path);
            throw;
        }
    }
}

} // namespace Schema
