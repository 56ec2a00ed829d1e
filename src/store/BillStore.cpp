#include "store/BillStore.h"

#include "platform/AppPaths.h"
#include "platform/RegularFile.h"
#include "store/ColumnNames.h"
#include "store/Database.h"
#include "store/Dialect.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "store/VoidedRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>
#include <optional>

using Sql::q;

namespace {

// Fetches a picture of the shared store into the picture folder; the folder keeps what it had
// when the store does not hold the picture or cannot be read.
void fetchSharedPicture(const QString& name, const QString& path) {
    try {
        const QSqlDatabase db = Database::get(Db::Bill);
        const QVariant bytes = Sql::scalar(
            db,
            QStringLiteral("SELECT \"图片\" FROM %1 WHERE \"文件名\"=?").arg(q(BillStore::pictureTable())),
            {name});
        if (!bytes.isValid())
            return;
        const QByteArray data = bytes.toByteArray();
        QSaveFile f(path);
        if (f.open(QIODevice::WriteOnly) && f.write(data) == data.size())
            f.commit();
    } catch (const StoreError&) {
    }
}

void forgetSharedPicture(const QSqlDatabase& db, const QString& stored) {
    const QString name = BillStore::pictureFileName(stored);
    if (Dialect::isPostgres(db) && !name.isEmpty())
        Sql::exec(db, QStringLiteral("DELETE FROM %1 WHERE \"文件名\"=?").arg(q(BillStore::pictureTable())),
                  {name});
}

QSqlDatabase bill() {
    return Database::get(Db::Bill);
}
QSqlDatabase define() {
    return Database::get(Db::Define);
}

MainItemFlag entryFromQuery(const QSqlQuery& query) {
    MainItemFlag e;
    e.typeIndex = query.value(0).toInt();
    e.billName = query.value(1).toString();
    e.typeTable = query.value(2).toString();
    e.itemTable = query.value(3).toString();
    e.historyTable = query.value(4).toString();
    e.preBillTable = query.value(5).toString();
    e.autoTable = query.value(6).toString();
    return e;
}

const QString kEntryColumns =
    QStringLiteral("\"票据类型\",\"票据名称\",\"类型设置名\",\"基本设置名\",\"历史文件名\","
                   "\"预开票名\",\"自动计数名\"");

void dropIfExists(const QSqlDatabase& db, const QString& table) {
    if (!table.isEmpty() && Sql::tableExists(db, table))
        Sql::dropTable(db, table);
}
} // namespace

QStringList BillStore::referenceTables() {
    return {QStringLiteral("本单位帐户"), QStringLiteral("联系人"), QStringLiteral("票据用途"),
            QStringLiteral("其他内容"), QStringLiteral("业务单位")};
}

void BillStore::reloadTypeNames() {
    m_typeNames.clear();
    QSqlQuery query = Sql::exec(bill(), QStringLiteral("SELECT \"类型名称\" FROM %1").arg(q(typeTable())) +
                                            Sql::naturalOrder());
    while (query.next())
        m_typeNames << query.value(0).toString();
}

int BillStore::typeIndexOf(const QString& name) const {
    return m_typeNames.indexOf(name);
}

void BillStore::ensureBillTypeTable() {
    QSqlDatabase db = bill();
    if (!Sql::tableExists(db, typeTable())) {
        Sql::Transaction tx(db);
        Sql::createTableLike(define(), typeTable(), db, typeTable());
        const QStringList defaults = Schema::defaultTypeNames();
        for (const QString& name : defaults)
            Sql::insertRow(db, typeTable(), {QStringLiteral("类型名称"), QStringLiteral("同类型计数")},
                           {name, 0});
        for (int i = 0; i < defaults.size(); ++i) {
            const int count =
                Sql::scalar(
                    db, QStringLiteral("SELECT count(*) FROM %1 WHERE \"票据类型\"=?").arg(q(masterTable())),
                    {i})
                    .toInt();
            if (count == 0)
                continue;
            const QVariant rowid =
                Sql::scalar(db,
                            QStringLiteral("SELECT rowid FROM %1 WHERE \"类型名称\"=?").arg(q(typeTable())) +
                                Sql::naturalOrder() + QStringLiteral(" LIMIT 1"),
                            {defaults.at(i)});
            Sql::exec(db, QStringLiteral("UPDATE %1 SET \"同类型计数\"=? WHERE rowid=?").arg(q(typeTable())),
                      {count, rowid});
        }
        tx.commit();
    }
    reloadTypeNames();
}

int BillStore::addType(const QString& name) {
    Sql::insertRow(bill(), typeTable(), {QStringLiteral("类型名称"), QStringLiteral("同类型计数")},
                   {name, 0});
    m_typeNames << name;
    return m_typeNames.size() - 1;
}

int BillStore::ensureType(const QString& name) {
    const int index = typeIndexOf(name);
    return index >= 0 ? index : addType(name);
}

void BillStore::changeTypeCount(int index, int delta) {
    QSqlDatabase db = bill();
    const qint64 rowid = Sql::rowIdAt(db, typeTable(), index);
    if (rowid < 0)
        throw StoreError(QStringLiteral("票据类型表中没有第 %1 行").arg(index + 1));
    Sql::exec(db,
              QStringLiteral("UPDATE %1 SET \"同类型计数\"=coalesce(\"同类型计数\",0)+? WHERE rowid=?")
                  .arg(q(typeTable())),
              {delta, rowid});
}

int BillStore::typeBillCount(int index) const {
    QSqlDatabase db = bill();
    const qint64 rowid = Sql::rowIdAt(db, typeTable(), index);
    if (rowid < 0)
        return 0;
    return Sql::scalar(db, QStringLiteral("SELECT \"同类型计数\" FROM %1 WHERE rowid=?").arg(q(typeTable())),
                       {rowid})
        .toInt();
}

QStringList BillStore::typesWithBills() const {
    QStringList names;
    QSqlQuery query =
        Sql::exec(bill(), QStringLiteral("SELECT \"类型名称\", \"同类型计数\" FROM %1").arg(q(typeTable())) +
                              Sql::naturalOrder());
    while (query.next())
        if (query.value(1).toInt() != 0)
            names << query.value(0).toString();
    return names;
}

QStringList BillStore::billNamesOfType(int index) const {
    QStringList names;
    for (const MainItemFlag& e : billEntriesOfType(index))
        names << e.billName;
    return names;
}

QString BillStore::billNamesText(int index) const {
    QString text = billNamesOfType(index).join(QStringLiteral("\r\n"));
    return text.trimmed();
}

QList<MainItemFlag> BillStore::billEntriesOfType(int index) const {
    QList<MainItemFlag> entries;
    QSqlQuery query = Sql::exec(
        bill(),
        QStringLiteral("SELECT %1 FROM %2 WHERE \"票据类型\"=?").arg(kEntryColumns, q(masterTable())) +
            Sql::naturalOrder(),
        {index});
    while (query.next())
        entries << entryFromQuery(query);
    return entries;
}

QList<MainItemFlag> BillStore::allBillEntries() const {
    QList<MainItemFlag> entries;
    QSqlQuery query =
        Sql::exec(bill(), QStringLiteral("SELECT %1 FROM %2").arg(kEntryColumns, q(masterTable())) +
                              Sql::naturalOrder());
    while (query.next())
        entries << entryFromQuery(query);
    return entries;
}

QString BillStore::nextTableStem() const {
    QSqlDatabase db = bill();
    const QVariant last =
        Sql::scalar(db, QStringLiteral("SELECT \"BillSetNum\" FROM %1").arg(q(masterTable())) +
                            QStringLiteral(" ORDER BY rowid DESC LIMIT 1"));
    qint64 n = last.isValid() ? last.toLongLong() + 1 : 1;
    // Tables left behind by an earlier failure must not be taken over by a new bill. Names are
    // looked up in the schema SQLite holds in memory rather than by scanning its list of tables,
    // so that the cost stays the same however many bills the store holds.
    auto taken = [&](qint64 k) {
        const QString stem = QStringLiteral("H%1").arg(k);
        for (const char* suffix : {"Type", "Item", "His", "Bef", "Auto"})
            if (Sql::tableExists(db, stem + QLatin1String(suffix)))
                return true;
        return false;
    };
    while (taken(n))
        ++n;
    return QStringLiteral("H%1").arg(n);
}

MainItemFlag BillStore::createBillFromWorkingTemplate(int typeIndex, const QString& name) {
    QSqlDatabase db = bill();
    QSqlDatabase def = define();
    MainItemFlag e;
    e.typeIndex = typeIndex < 0 ? 0 : typeIndex;
    e.billName = name;
    {
        Sql::Transaction tx(db);
        const QString stem = nextTableStem();
        e.typeTable = stem + QStringLiteral("Type");
        e.itemTable = stem + QStringLiteral("Item");
        e.historyTable = stem + QStringLiteral("His");
        e.preBillTable = stem + QStringLiteral("Bef");
        e.autoTable = stem + QStringLiteral("Auto");

        Sql::createTableLike(def, workingItemTable(), db, e.itemTable);
        Sql::copyAllRows(def, workingItemTable(), db, e.itemTable);
        Sql::createTableLike(def, workingPageTable(), db, e.typeTable);
        Sql::copyAllRows(def, workingPageTable(), db, e.typeTable);
        sharePicture(db,
                     Sql::scalar(db, QStringLiteral("SELECT \"图象数据格式\" FROM %1").arg(q(e.typeTable)) +
                                         Sql::naturalOrder() + QStringLiteral(" LIMIT 1"))
                         .toString());

        QList<Sql::ColumnDef> his{{QStringLiteral("HistoryNumber"), QStringLiteral("INTEGER"), true, true},
                                  {QStringLiteral("打印日期"), QStringLiteral("VARCHAR(255)"), false, false},
                                  {QStringLiteral("货币种类"), QStringLiteral("SMALLINT"), false, false}};
        QList<Sql::ColumnDef> bef{{QStringLiteral("BeforeNumber"), QStringLiteral("INTEGER"), false, false},
                                  {QStringLiteral("货币种类"), QStringLiteral("SMALLINT"), false, false}};
        QList<Sql::ColumnDef> aut{{QStringLiteral("AutoNumber"), QStringLiteral("INTEGER"), true, true}};
        QSqlQuery items =
            Sql::exec(def, QStringLiteral("SELECT \"设置项目名称\",\"设置项类型\",\"查询\",\"统计\" FROM %1")
                                   .arg(q(workingItemTable())) +
                               Sql::naturalOrder());
        QStringList names;
        while (items.next()) {
            const QString conflict = ColumnNames::itemNameConflict(names, items.value(0).toString());
            if (!conflict.isEmpty())
                throw StoreError(conflict);
            // PostgreSQL cuts longer names short, so that two items could meet in one column.
            if (Dialect::isPostgres(db) && items.value(0).toString().toUtf8().size() > Dialect::kMaxNameBytes)
                throw StoreError(
                    QStringLiteral("子项名称“%1”太长：共享数据库中子项名称最多 %2 个字节（%3 个汉字）。")
                        .arg(items.value(0).toString())
                        .arg(Dialect::kMaxNameBytes)
                        .arg(Dialect::kMaxNameBytes / 3));
            names << items.value(0).toString();
            const Sql::ColumnDef col{items.value(0).toString(), QStringLiteral("VARCHAR(255)"), false, false};
            const int type = items.value(1).toInt();
            if (items.value(2).toInt() != 0 || items.value(3).toInt() != 0)
                his << col;
            bef << col;
            if (type == 15 || type == 16 || type == 20)
                aut << col;
        }
        Sql::createTable(db, e.historyTable, his);
        Sql::createTable(db, e.preBillTable, bef);
        Sql::createTable(db, e.autoTable, aut);

        Sql::insertRow(
            db, masterTable(),
            {QStringLiteral("票据类型"), QStringLiteral("票据名称"), QStringLiteral("类型设置名"),
             QStringLiteral("基本设置名"), QStringLiteral("历史文件名"), QStringLiteral("预开票名"),
             QStringLiteral("自动计数名")},
            {e.typeIndex, e.billName, e.typeTable, e.itemTable, e.historyTable, e.preBillTable, e.autoTable});
        tx.commit();
    }
    Sql::Transaction wtx(def);
    Sql::emptyTable(def, workingItemTable());
    Sql::emptyTable(def, workingPageTable());
    wtx.commit();
    return e;
}

void BillStore::deleteBillTables(const MainItemFlag& entry) {
    // A table that was lost earlier must not keep the bill from going.
    QSqlDatabase db = bill();
    for (const QString& t :
         {entry.typeTable, entry.itemTable, entry.historyTable, entry.preBillTable, entry.autoTable})
        dropIfExists(db, t);
    // The voids went with the history they marked.
    VoidedRecords::forgetBill(entry.historyTable);
}

QString BillStore::storedPicturePath(const MainItemFlag& entry) const {
    QSqlDatabase db = bill();
    if (entry.typeTable.isEmpty() || !Sql::tableExists(db, entry.typeTable))
        return {};
    return Sql::scalar(db, QStringLiteral("SELECT \"图象数据格式\" FROM %1").arg(q(entry.typeTable)) +
                               Sql::naturalOrder() + QStringLiteral(" LIMIT 1"))
        .toString();
}

int BillStore::deleteBill(const MainItemFlag& entry) {
    QSqlDatabase db = bill();
    QString picture;
    int previous = 0;
    {
        Sql::Transaction tx(db);
        const QVariant rowid =
            Sql::scalar(db,
                        QStringLiteral("SELECT rowid FROM %1 WHERE \"票据类型\"=? AND \"票据名称\"=?")
                                .arg(q(masterTable())) +
                            Sql::naturalOrder() + QStringLiteral(" LIMIT 1"),
                        {entry.typeIndex, entry.billName});
        if (rowid.isValid())
            Sql::exec(db, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(q(masterTable())), {rowid});
        picture = storedPicturePath(entry);
        forgetSharedPicture(db, picture);
        deleteBillTables(entry);
        previous = typeBillCount(entry.typeIndex);
        changeTypeCount(entry.typeIndex, -1);
        tx.commit();
    }
    const QString file = picturePathInFolder(picture);
    if (!file.isEmpty() && QFileInfo::exists(file))
        QFile::remove(file);
    return previous;
}

void BillStore::loadWorkingTemplate(const MainItemFlag& entry) {
    QSqlDatabase db = bill();
    QSqlDatabase def = define();
    // Pictures of old stores were kept inside the page row; they move to a picture file once.
    {
        QSqlQuery query =
            Sql::exec(db, QStringLiteral("SELECT rowid, \"图象数据\" FROM %1").arg(q(entry.typeTable)) +
                              Sql::naturalOrder() + QStringLiteral(" LIMIT 1"));
        if (query.next()) {
            const qint64 rowid = query.value(0).toLongLong();
            const QByteArray bytes = query.value(1).toByteArray();
            query.finish();
            if (!bytes.isEmpty()) {
                const QString path = newPictureFileName();
                QFile f(path);
                if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush()) {
                    f.remove();
                    throw StoreError(QStringLiteral("无法写入图片文件：%1").arg(path));
                }
                f.close();
                try {
                    Sql::exec(
                        db,
                        QStringLiteral("UPDATE %1 SET \"图象数据格式\"=?, \"图象数据\"=NULL WHERE rowid=?")
                            .arg(q(entry.typeTable)),
                        {path, rowid});
                } catch (...) {
                    QFile::remove(path);
                    throw;
                }
            }
        }
    }
    Sql::Transaction tx(def);
    Sql::emptyTable(def, workingPageTable());
    Sql::copyAllRows(db, entry.typeTable, def, workingPageTable());
    Sql::emptyTable(def, workingItemTable());
    Sql::copyAllRows(db, entry.itemTable, def, workingItemTable());
    tx.commit();
}

void BillStore::storeWorkingTemplate(const MainItemFlag& entry) {
    QSqlDatabase db = bill();
    QSqlDatabase def = define();
    Sql::Transaction tx(db);
    Sql::emptyTable(db, entry.typeTable);
    Sql::copyAllRows(def, workingPageTable(), db, entry.typeTable);
    sharePicture(db, storedPicturePath(entry));
    Sql::emptyTable(db, entry.itemTable);
    Sql::copyAllRows(def, workingItemTable(), db, entry.itemTable);
    tx.commit();
}

void BillStore::clearStore() {
    QSqlDatabase db = bill();
    QStringList pictures;
    {
        Sql::Transaction tx(db);
        const QList<MainItemFlag> entries = allBillEntries();
        Sql::emptyTable(db, masterTable());
        for (const MainItemFlag& e : entries) {
            pictures << storedPicturePath(e);
            for (const QString& t : {e.typeTable, e.itemTable, e.historyTable, e.preBillTable, e.autoTable})
                dropIfExists(db, t);
        }
        for (const QString& t : referenceTables())
            Sql::emptyTable(db, t);
        if (Sql::tableExists(db, VoidedRecords::table()))
            Sql::emptyTable(db, VoidedRecords::table());
        dropIfExists(db, typeTable());
        if (Dialect::isPostgres(db))
            Sql::emptyTable(db, pictureTable());
        tx.commit();
    }
    m_typeNames.clear();
    for (const QString& p : pictures) {
        const QString file = picturePathInFolder(p);
        if (!file.isEmpty() && QFileInfo::exists(file))
            QFile::remove(file);
    }
}

void BillStore::removeLeftovers() {
    // Scratch databases of a backup import or export that was interrupted. Only one program works
    // on a folder at a time, so whatever is left here belongs to nobody.
    const QDir tmp(AppPaths::tmpDir());
    for (const QString& name :
         tmp.entryList({QStringLiteral("Temporary.mdb*"), QStringLiteral("BackupImage-*.mdb*")}, QDir::Files))
        QFile::remove(tmp.filePath(name));
    const QDir data(AppPaths::dataBaseDir());
    for (const QString& name : data.entryList({QStringLiteral("*.mdb.new*")}, QDir::Files))
        QFile::remove(data.filePath(name));

    // Pictures that no bill and no working template refers to: written by an import that was
    // cut off before its bill was committed. When any bill's page table cannot be read, nothing
    // is removed: its picture might be the one that looks unused.
    QSet<QString> used;
    const auto use = [&used](const QString& stored) {
        const QString name = pictureFileName(stored);
        if (!name.isEmpty())
            used.insert(name);
    };
    QSqlDatabase db = bill();
    for (const MainItemFlag& e : allBillEntries()) {
        if (!Sql::tableExists(db, e.typeTable))
            return;
        use(storedPicturePath(e));
    }
    QSqlDatabase def = define();
    QSqlQuery working =
        Sql::exec(def, QStringLiteral("SELECT \"图象数据格式\" FROM %1").arg(q(workingPageTable())));
    while (working.next())
        use(working.value(0).toString());
    const QDir pictures(AppPaths::pictureDir());
    for (const QString& name : pictures.entryList({QStringLiteral("*.bkg")}, QDir::Files))
        if (!used.contains(name))
            QFile::remove(pictures.filePath(name));
}

namespace {
// The first free picture name from k on: no file of the folder has it, nor, with a shared store,
// a picture another desk put in the store.
QString freePictureName(qint64& k, const QString& extension) {
    const QString dir = AppPaths::pictureDir();
    for (k = std::max<qint64>(1, k);; ++k) {
        const QString name = QString::number(k) + extension;
        if (!QFileInfo::exists(dir + name) && !BillStore::pictureNameShared(name))
            return dir + name;
    }
}
} // namespace

QString BillStore::newPictureFileName(const QString& extension) {
    qint64 k = 1;
    return freePictureName(k, extension);
}

QString BillStore::newPictureFileName(qint64* next) {
    qint64 k = *next;
    const QString path = freePictureName(k, QStringLiteral(".bkg"));
    *next = k + 1;
    return path;
}

int BillStore::pictureKindOfBytes(const QByteArray& head) {
    if (head.size() < 3)
        return -1;
    if (uchar(head[0]) == 0xFF && uchar(head[1]) == 0xD8 && uchar(head[2]) == 0xFF)
        return 0;
    if (head[0] == 'B' && head[1] == 'M')
        return 1;
    return -1;
}

int BillStore::pictureKind(const QString& path) {
    QFile f;
    if (!RegularFile::open(f, path, nullptr))
        return -1;
    return pictureKindOfBytes(f.read(3));
}

QString BillStore::pictureFileName(const QString& stored) {
    QString name = stored;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return name.section(QLatin1Char('/'), -1);
}

QString BillStore::picturePathInFolder(const QString& stored) {
    if (stored.trimmed().isEmpty())
        return {};
    const QString name = pictureFileName(stored);
    return name.isEmpty() ? QString() : AppPaths::pictureDir() + name;
}

QString BillStore::resolvePicturePath(const QString& stored) {
    const QString path = picturePathInFolder(stored);
    if (!path.isEmpty() && Database::isShared() && !QFileInfo::exists(path))
        fetchSharedPicture(pictureFileName(stored), path);
    return path;
}

bool BillStore::pictureNameShared(const QString& name) {
    if (!Database::isShared())
        return false;
    return Sql::scalar(Database::get(Db::Bill),
                       QStringLiteral("SELECT count(*) FROM %1 WHERE \"文件名\"=?").arg(q(pictureTable())),
                       {name})
               .toInt() > 0;
}

void BillStore::sharePicture(const QSqlDatabase& db, const QString& stored) {
    if (!Dialect::isPostgres(db) || stored.trimmed().isEmpty())
        return;
    const QString name = pictureFileName(stored);
    QFile f;
    if (name.isEmpty() || !RegularFile::open(f, AppPaths::pictureDir() + name, nullptr))
        return;
    const QByteArray bytes = f.readAll();
    Sql::Transaction tx(db);
    Sql::exec(db, QStringLiteral("DELETE FROM %1 WHERE \"文件名\"=?").arg(q(pictureTable())), {name});
    Sql::insertRow(db, pictureTable(), {QStringLiteral("文件名"), QStringLiteral("图片")}, {name, bytes});
    tx.commit();
}
