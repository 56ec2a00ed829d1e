#include "templates/TemplateStore.h"

#include "store/BillStore.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QSqlQuery>
#include <QVariant>

using Sql::q;

namespace {
const QString kKey = QStringLiteral("BillItemNum");

QVariant field(const QSqlRecord& row, const QString& name) {
    const int i = row.indexOf(name);
    if (i < 0)
        throw StoreError(QStringLiteral("数据表缺少字段：%1").arg(name));
    return row.value(i);
}
QString text(const QSqlRecord& row, const QString& name) {
    return field(row, name).toString();
}
qint64 number(const QSqlRecord& row, const QString& name) {
    return field(row, name).toLongLong();
}
bool flag(const QSqlRecord& row, const QString& name) {
    return number(row, name) != 0;
}
int bit(bool b) {
    return b ? 1 : 0;
}
} // namespace

QStringList itemParameterColumns() {
    return QString::fromUtf8(
               "设置项目名称|横向位置|纵向位置|宽度|高度|字体|字间距|打印对齐|是否打印|设置项类型|"
               "是否显示输入|计算方法|设置项关系|互锁组|显示标题|打印后缀|查询|统计")
        .split(QLatin1Char('|'));
}

TemplateItem ReadItemRow(const QSqlRecord& row) {
    if (row.isEmpty())
        throw StoreError(QStringLiteral("数据表缺少字段：%1").arg(kKey));
    TemplateItem item;
    item.used = true;
    item.key = row.value(0).toInt();
    item.name = text(row, QStringLiteral("设置项目名称"));
    item.left = static_cast<qint32>(number(row, QStringLiteral("横向位置")));
    item.top = static_cast<qint32>(number(row, QStringLiteral("纵向位置")));
    item.width = static_cast<qint32>(number(row, QStringLiteral("宽度")));
    item.height = static_cast<qint32>(number(row, QStringLiteral("高度")));
    item.font = text(row, QStringLiteral("字体"));
    item.spacing = static_cast<quint16>(number(row, QStringLiteral("字间距")));
    item.alignment = static_cast<quint8>(number(row, QStringLiteral("打印对齐")));
    item.printed = flag(row, QStringLiteral("是否打印"));
    item.type = static_cast<ItemType>(static_cast<quint8>(number(row, QStringLiteral("设置项类型"))));
    item.showInput = flag(row, QStringLiteral("是否显示输入"));
    item.calcMethod = text(row, QStringLiteral("计算方法"));
    item.relation = text(row, QStringLiteral("设置项关系"));
    item.interlockGroup = static_cast<quint8>(number(row, QStringLiteral("互锁组")));
    item.showTitle = flag(row, QStringLiteral("显示标题"));
    item.printSuffix = flag(row, QStringLiteral("打印后缀"));
    item.query = flag(row, QStringLiteral("查询"));
    item.statistics = flag(row, QStringLiteral("统计"));
    return item;
}

int WriteItemRow(const QSqlDatabase& db, const QString& table, const TemplateItem& item, bool positionsOnly) {
    const QStringList names = itemParameterColumns();
    QVariantList values{item.name, item.left,    item.top,       item.width,       item.height,
                        item.font, item.spacing, item.alignment, bit(item.printed)};
    if (!positionsOnly)
        values << ItemTypes::index(item.type) << bit(item.showInput) << item.calcMethod << item.relation
               << item.interlockGroup << bit(item.showTitle) << bit(item.printSuffix) << bit(item.query)
               << bit(item.statistics);
    const QStringList cols = names.mid(0, values.size());

    if (item.key == -1)
        return int(Sql::insertRowReturning(db, table, cols, values, kKey));

    QStringList sets;
    for (const QString& c : cols)
        sets << q(c) + QStringLiteral("=?");
    values << item.key;
    QSqlQuery query = Sql::exec(
        db, QStringLiteral("UPDATE %1 SET %2 WHERE %3=?").arg(q(table), sets.join(QLatin1Char(',')), q(kKey)),
        values);
    return query.numRowsAffected() > 0 ? item.key : -1;
}

void LoadTemplateItems(const QSqlDatabase& db, const QString& table, BillTemplate& tpl) {
    tpl.clearItems();
    QSqlQuery query = Sql::exec(db, Sql::selectAll(db, table) + Sql::naturalOrder());
    int n = 0;
    while (n < BillTemplate::MaxItems && query.next())
        tpl.items[n++] = ReadItemRow(query.record());
}

void SaveTemplateItems(const QSqlDatabase& db, const QString& table, BillTemplate& tpl) {
    Sql::Transaction tx(db);
    for (int i = 0; i < BillTemplate::MaxItems && tpl.items[i].used; ++i)
        WriteItemRow(db, table, tpl.items[i], false);
    for (int key : std::as_const(tpl.deletedKeys))
        Sql::exec(db, QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(q(table), q(kKey)), {key});
    tx.commit();
    tpl.deletedKeys.clear();
    LoadTemplateItems(db, table, tpl);
}

PageParameters readPageRow(const QSqlDatabase& db, const QString& table) {
    PageParameters page;
    QSqlQuery query =
        Sql::exec(db, Sql::selectAll(db, table) + Sql::naturalOrder() + QStringLiteral(" LIMIT 1"));
    if (!query.next())
        return page;
    const QSqlRecord row = query.record();
    page.typeIndex = static_cast<int>(number(row, QStringLiteral("票据类型")));
    page.billName = text(row, QStringLiteral("票据名称"));
    page.pictureFile = text(row, QStringLiteral("图形文件"));
    page.width = static_cast<int>(number(row, QStringLiteral("票据宽")));
    page.length = static_cast<int>(number(row, QStringLiteral("票据长")));
    page.leftMargin = static_cast<int>(number(row, QStringLiteral("票据左空")));
    page.topMargin = static_cast<int>(number(row, QStringLiteral("票据顶空")));
    page.direction = static_cast<int>(number(row, QStringLiteral("打印方向")));
    page.currencyChoice = flag(row, QStringLiteral("币种选择"));
    page.pictureFormat = text(row, QStringLiteral("图象数据格式"));
    // Older definition databases have no print-background column.
    page.printBackground =
        row.indexOf(QStringLiteral("打印背景")) >= 0 && flag(row, QStringLiteral("打印背景"));
    page.typeName = text(row, QStringLiteral("票据类型名称"));
    return page;
}

void writePageRow(const QSqlDatabase& db, const QString& table, const PageParameters& page) {
    QStringList cols =
        QString::fromUtf8("票据类型|票据名称|图形文件|票据宽|票据长|票据左空|票据顶空|打印方向|币种选择|"
                          "图象数据格式|票据类型名称")
            .split(QLatin1Char('|'));
    QVariantList values{page.typeIndex,     page.billName,  page.pictureFile,
                        page.width,         page.length,    page.leftMargin,
                        page.topMargin,     page.direction, bit(page.currencyChoice),
                        page.pictureFormat, page.typeName};
    if (Sql::columnNames(db, table).contains(QStringLiteral("打印背景"))) {
        cols << QStringLiteral("打印背景");
        values << bit(page.printBackground);
    }

    Sql::Transaction tx(db);
    const qint64 rowid = Sql::rowIdAt(db, table, 0);
    if (rowid < 0) {
        Sql::insertRow(db, table, cols, values);
    } else {
        QStringList sets;
        for (const QString& c : std::as_const(cols))
            sets << q(c) + QStringLiteral("=?");
        values << rowid;
        Sql::exec(db,
                  QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(q(table), sets.join(QLatin1Char(','))),
                  values);
    }
    BillStore::sharePicture(db, page.pictureFormat);
    tx.commit();
}

int resolveTypeIndex(BillStore& store, const PageParameters& page) {
    int index = page.typeIndex;
    if (!page.typeName.isEmpty())
        index = store.ensureType(page.typeName);
    if (index < 0 || index >= store.typeNames().size())
        index = 0;
    return index;
}
