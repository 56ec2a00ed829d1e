#include "exchange/BackupImport.h"

#include "exchange/StoreCopy.h"
#include "platform/AppPaths.h"
#include "platform/FileErrors.h"
#include "query/HistoryQuery.h"
#include "store/BillStore.h"
#include "store/ColumnNames.h"
#include "store/Database.h"
#include "store/DatabaseImage.h"
#include "store/Dialect.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "store/VoidedRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

using Sql::q;

namespace {

const QString kPicturePath = QStringLiteral("图象数据格式");
const QString kPictureBytes = QStringLiteral("图象数据");
// The schema name under which the backup image is attached to the live connection.
const QString kImageSchema = QStringLiteral("backup_image");

void removeTemporaryDatabase() {
    const QString path = AppPaths::backupStoreFile();
    // A stale journal beside a new image would be rolled into it when it is opened.
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// Column definitions of a table from a backup, with types reduced to plain type names: the
// declared type is written into a CREATE TABLE of the live store, so nothing else may pass.
QList<Sql::ColumnDef> plainColumns(QList<Sql::ColumnDef> cols) {
    static const QRegularExpression plain(
        QStringLiteral("^[A-Z][A-Z ]*(\\(\\s*[0-9]+\\s*(,\\s*[0-9]+\\s*)?\\))?$"));
    const auto keys = std::count_if(cols.cbegin(), cols.cend(), [](const auto& c) { return c.primaryKey; });
    for (Sql::ColumnDef& c : cols) {
        const QString type = c.type.trimmed();
        if (type.startsWith(QLatin1String("VARCHAR")) || type.startsWith(QLatin1String("CHAR")))
            c.type = QStringLiteral("VARCHAR(255)");
        else if (plain.match(type).hasMatch())
            c.type = type;
        else if (type.contains(QLatin1String("INT")))
            c.type = QStringLiteral("INTEGER");
        else if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("TEXT")) ||
                 type.contains(QLatin1String("CLOB")))
            c.type = QStringLiteral("TEXT");
        else
            c.type = QStringLiteral("BLOB");
        if (keys != 1 || c.type != QLatin1String("INTEGER"))
            c.primaryKey = false;
    }
    return cols;
}

void createTableFrom(const QSqlDatabase& src, const QString& srcTable, const QSqlDatabase& dst,
                     const QString& dstTable) {
    Sql::createTable(dst, dstTable, plainColumns(Sql::columns(src, srcTable)));
}

// Appends every row of a table of the attached backup image to a live table, inside SQLite,
// columns matched by position from position `from` on, as many as both tables have. With
// freshKeys the destination's integer key is left out, so that appended rows are numbered after
// the existing ones instead of colliding with them.
int appendRows(const QSqlDatabase& src, const QString& srcTable, const QSqlDatabase& live,
               const QString& dstTable, int from, bool freshKeys) {
    const QStringList srcCols = Sql::columnNames(src, srcTable);
    const QList<Sql::ColumnDef> dstCols = Sql::columns(live, dstTable);
    const int n = std::min<int>(srcCols.size(), dstCols.size());
    QStringList sources;
    QStringList names;
    QStringList sourceNames;
    QStringList targetNames;
    for (int i = from; i < n; ++i) {
        const Sql::ColumnDef& c = dstCols.at(i);
        if (freshKeys && c.primaryKey && c.type == QLatin1String("INTEGER"))
            continue;
        sources << q(srcCols.at(i));
        names << q(c.name);
        sourceNames << srcCols.at(i);
        targetNames << c.name;
    }
    if (Dialect::isPostgres(live)) {
        // A server cannot reach the image file: the rows travel through this connection.
        return Sql::appendRows(src, srcTable, sourceNames, live, dstTable, targetNames);
    }
    const QString source = QStringLiteral("%1.%2").arg(q(kImageSchema), q(srcTable));
    QSqlQuery insert(live);
    QString sql;
    if (names.isEmpty()) {
        // Nothing to carry over but the rows themselves.
        const int rows = Sql::scalar(live, QStringLiteral("SELECT count(*) FROM %1").arg(source)).toInt();
        for (int r = 0; r < rows; ++r)
            Sql::exec(live, QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(q(dstTable)));
        return rows;
    }
    sql = QStringLiteral("INSERT INTO main.%1 (%2) SELECT %3 FROM %4")
              .arg(q(dstTable), names.join(QLatin1Char(',')), sources.join(QLatin1Char(',')), source) +
          Sql::naturalOrder();
    if (!insert.exec(sql))
        throw StoreError(
            QStringLiteral("无法向数据表 %1 添加记录：%2").arg(dstTable, insert.lastError().text()));
    return insert.numRowsAffected();
}

// The backup image attached to the live connection for the length of an import, so that rows go
// from table to table inside SQLite. Nothing stored in the image may run code meanwhile. A shared
// store on a server reads the image through its own connection instead.
class AttachedImage {
public:
    AttachedImage(const QSqlDatabase& live, const QString& path) : m_live(live) {
        if (Dialect::isPostgres(m_live))
            return;
        m_attached = true;
        m_trusted = Sql::scalar(m_live, QStringLiteral("PRAGMA trusted_schema")).toInt();
        Sql::exec(m_live, QStringLiteral("PRAGMA trusted_schema=OFF"));
        try {
            Sql::exec(m_live, QStringLiteral("ATTACH DATABASE ? AS %1").arg(q(kImageSchema)), {path});
        } catch (...) {
            restoreTrust();
            throw;
        }
    }
    ~AttachedImage() {
        if (!m_attached)
            return;
        QSqlQuery(m_live).exec(QStringLiteral("DETACH DATABASE %1").arg(q(kImageSchema)));
        restoreTrust();
    }
    AttachedImage(const AttachedImage&) = delete;
    AttachedImage& operator=(const AttachedImage&) = delete;

private:
    void restoreTrust() {
        QSqlQuery(m_live).exec(QStringLiteral("PRAGMA trusted_schema=%1").arg(m_trusted ? 1 : 0));
    }
    QSqlDatabase m_live;
    bool m_attached = false;
    int m_trusted = 1;
};

// What a database's schema holds, read in one pass: asking for one object at a time would go
// through SQLite's whole list of objects each time.
struct SchemaEntry {
    QString type;
    QString table;
    QString sql; // empty for what SQLite makes itself
};

QHash<QString, SchemaEntry> schemaOf(const QSqlDatabase& db) {
    QHash<QString, SchemaEntry> schema;
    QSqlQuery query =
        Sql::exec(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM main.sqlite_master"));
    while (query.next())
        schema.insert(query.value(1).toString(),
                      {query.value(0).toString(), query.value(2).toString(), query.value(3).toString()});
    return schema;
}

// Forces the pictures written so far onto the disk, so that no committed bill points at a picture
// the disk does not have yet.
void syncPictures(const QStringList& pictures) {
    if (pictures.isEmpty())
        return;
    const QByteArray folder = QFile::encodeName(AppPaths::pictureDir());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // One call for the whole file system costs less than one per picture.
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        BackupFile::fail(QStringLiteral("无法把图片写入磁盘 %1：%2")
                             .arg(AppPaths::pictureDir(), QString::fromLocal8Bit(strerror(error))));
}

bool isBillTableName(const QString& name, const QString& suffix) {
    static const QRegularExpression form(QStringLiteral("^H[0-9]+(Type|Item|His|Bef|Auto)$"));
    const QRegularExpressionMatch m = form.match(name);
    return m.hasMatch() && m.captured(1) == suffix;
}

} // namespace

BackupImport::BackupImport(const QString& backupPath) : m_path(backupPath), m_file(backupPath) {}

BackupImport::~BackupImport() {
    m_stopCopying = true;
    if (m_copying.joinable())
        m_copying.join();
    m_backup = QSqlDatabase();
    m_live = QSqlDatabase();
    Database::close(Db::Backup);
    removeTemporaryDatabase();
    if (!m_keepPictures)
        for (const QString& p : m_createdPictures)
            QFile::remove(p);
}

void BackupImport::damaged(const QString& detail) const {
    BackupFile::fail(QStringLiteral("备份文件 %1 已损坏：%2").arg(m_path, detail));
}

void BackupImport::openDatabase(bool copyPicturesMeanwhile) {
    Database::close(Db::Backup);
    removeTemporaryDatabase();
    m_file.extractDatabase(AppPaths::backupStoreFile());
    try {
        m_backup = Database::get(Db::Backup);
        // The image only is read from, and nothing stored in it may run code.
        Sql::exec(m_backup, QStringLiteral("PRAGMA trusted_schema=OFF"));
        Sql::exec(m_backup, QStringLiteral("PRAGMA query_only=ON"));
        if (copyPicturesMeanwhile)
            startCopyingPictures();
        const QString check = Sql::scalar(m_backup, QStringLiteral("PRAGMA quick_check")).toString();
        if (check != QLatin1String("ok"))
            damaged(QStringLiteral("其中的数据库不完整（%1）").arg(check));
    } catch (const StoreError& e) {
        damaged(QStringLiteral("其中的数据库无法读取（%1）").arg(e.message()));
    }
    try {
        // Tables only: a view of the same name would run the image's own statements.
        const QStringList names = Sql::tableNames(m_backup);
        m_backupTables = QSet<QString>(names.cbegin(), names.cend());
    } catch (const StoreError& e) {
        damaged(e.message());
    }
    QStringList needed{BillStore::masterTable()};
    needed << BillStore::referenceTables();
    for (const QString& t : needed)
        if (!m_backupTables.contains(t))
            damaged(QStringLiteral("其中没有数据表“%1”").arg(t));
}

void BackupImport::startCopyingPictures() {
    if (m_file.format() != BackupFile::Format::Current)
        return;
    try {
        m_live = Database::get(Db::Bill);
        if (Dialect::isPostgres(m_live) || !liveStoreHoldsNothing())
            return;
        // The count is read before the image is checked: a damaged image fails here or in the
        // check, and the copies are removed again.
        const qint64 bills =
            Sql::scalar(m_backup, QStringLiteral("SELECT count(*) FROM %1").arg(q(BillStore::masterTable())))
                .toLongLong();
        if (bills <= 0 || bills > std::numeric_limits<int>::max())
            return;
        m_file.indexPictures(int(bills));
    } catch (const std::runtime_error&) {
        return; // what is wrong is reported by the steps that follow
    }
    const QStringList targets = namePictures();
    m_earlyPictures = targets;
    m_copying = std::thread([this, targets] {
        try {
            m_file.extractPictures(targets, &m_stopCopying);
        } catch (...) {
            m_copyingError = std::current_exception();
        }
    });
}

void BackupImport::finishCopyingPictures(bool wanted) {
    if (!wanted)
        m_stopCopying = true;
    if (m_copying.joinable())
        m_copying.join();
    if (wanted) {
        if (m_copyingError)
            std::rethrow_exception(m_copyingError);
        return;
    }
    for (const QString& p : std::as_const(m_earlyPictures))
        if (!p.isEmpty()) {
            QFile::remove(p);
            m_createdPictures.removeAll(p);
        }
    m_earlyPictures.clear();
}

QList<MainItemFlag> BackupImport::readBills() {
    QList<MainItemFlag> bills;
    try {
        QSqlQuery query = Sql::exec(
            m_backup,
            QStringLiteral("SELECT \"票据类型\",\"票据名称\",\"类型设置名\",\"基本设置名\",\"历史文件名\","
                           "\"预开票名\",\"自动计数名\" FROM %1")
                    .arg(q(BillStore::masterTable())) +
                Sql::naturalOrder());
        while (query.next()) {
            MainItemFlag b;
            bool ok = false;
            // Read wide: an index beyond int must not wrap around onto a valid type.
            const qlonglong type = query.value(0).toLongLong(&ok);
            if (!ok || type < 0 || type > std::numeric_limits<int>::max())
                damaged(QStringLiteral("第 %1 个票据的类型无效").arg(bills.size() + 1));
            b.typeIndex = int(type);
            b.billName = query.value(1).toString();
            b.typeTable = query.value(2).toString();
            b.itemTable = query.value(3).toString();
            b.historyTable = query.value(4).toString();
            b.preBillTable = query.value(5).toString();
            b.autoTable = query.value(6).toString();
            bills << b;
        }
        if (m_backupTables.contains(BillStore::typeTable())) {
            QSqlQuery types = Sql::exec(
                m_backup, QStringLiteral("SELECT \"类型名称\" FROM %1").arg(q(BillStore::typeTable())) +
                              Sql::naturalOrder());
            while (types.next())
                m_backupTypes << types.value(0).toString();
        }
    } catch (const StoreError& e) {
        damaged(e.message());
    }

    for (const MainItemFlag& b : bills) {
        const QList<std::pair<QString, const char*>> tables{{b.typeTable, "Type"},
                                                            {b.itemTable, "Item"},
                                                            {b.historyTable, "His"},
                                                            {b.preBillTable, "Bef"},
                                                            {b.autoTable, "Auto"}};
        for (const auto& [name, suffix] : tables) {
            if (!isBillTableName(name, QLatin1String(suffix)))
                damaged(QStringLiteral("票据“%1”的数据表名“%2”不合法").arg(b.billName, name));
            if (!m_backupTables.contains(name))
                damaged(QStringLiteral("票据“%1”的数据表“%2”不存在").arg(b.billName, name));
            // A column named like the row id would hide it in the live store.
            const QList<Sql::ColumnDef> columns = Sql::columns(m_backup, name);
            for (const Sql::ColumnDef& column : columns)
                if (ColumnNames::isRowIdName(column.name))
                    damaged(QStringLiteral("票据“%1”的数据表“%2”有不允许的列名“%3”")
                                .arg(b.billName, name, column.name));
            m_billTableColumns.insert(name, columns);
        }
        if (b.typeIndex < 0 || (b.typeIndex > 8 && b.typeIndex >= m_backupTypes.size()))
            damaged(QStringLiteral("票据“%1”的类型 %2 在票据类型表中没有").arg(b.billName).arg(b.typeIndex));
    }
    return bills;
}

int BackupImport::resolveType(BillStore& store, const MainItemFlag& bill) const {
    // The nine default types have the same index everywhere; the types users added are known
    // by their names only.
    if (bill.typeIndex <= 8)
        return bill.typeIndex;
    const QString name = m_backupTypes.at(bill.typeIndex);
    return store.ensureType(name);
}

void BackupImport::mergeBill(const MainItemFlag& bill, const MainItemFlag& live) {
    // Appended history records are numbered after the live ones, in the backup's order.
    HistoryMove move{live.historyTable, {}};
    qint64 next =
        Sql::scalar(
            m_live,
            QStringLiteral("SELECT coalesce(max(\"HistoryNumber\"), 0) FROM %1").arg(q(live.historyTable)))
            .toLongLong();
    QSqlQuery old =
        Sql::exec(m_backup, QStringLiteral("SELECT \"HistoryNumber\" FROM %1").arg(q(bill.historyTable)) +
                                Sql::naturalOrder());
    while (old.next())
        move.numbers.insert(old.value(0).toLongLong(), ++next);
    m_historyMoves.insert(bill.historyTable, move);
    appendRows(m_backup, bill.historyTable, m_live, live.historyTable, 0, true);
    appendRows(m_backup, bill.preBillTable, m_live, live.preBillTable, 0, true);
    appendRows(m_backup, bill.autoTable, m_live, live.autoTable, 0, true);
}

QString BackupImport::underOriginalName(const MainItemFlag& bill, const QString& written) {
    const QString original =
        Sql::scalar(m_backup, QStringLiteral("SELECT %1 FROM %2").arg(q(kPicturePath), q(bill.typeTable)) +
                                  Sql::naturalOrder() + QStringLiteral(" LIMIT 1"))
            .toString();
    const QString name = BillStore::pictureFileName(original);
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return written;
    const QString wanted = AppPaths::pictureDir() + name;
    if (wanted == written || BillStore::pictureNameShared(name))
        return written;
    if (!QFileInfo::exists(wanted)) {
        if (!QFile::rename(written, wanted))
            return written;
        m_createdPictures.removeAll(written);
        m_createdPictures << wanted;
        return wanted;
    }
    // The folder has the picture already (a copy from the same folder).
    QFile a(written);
    QFile b(wanted);
    if (a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.size() == b.size() &&
        a.readAll() == b.readAll()) {
        a.close();
        QFile::remove(written);
        m_createdPictures.removeAll(written);
        return wanted;
    }
    return written;
}

QString BackupImport::newPicture() {
    const QString path = BillStore::newPictureFileName(&m_nextPicture);
    m_createdPictures << path;
    return path;
}

QStringList BackupImport::namePictures() {
    QStringList names(m_file.pictureCount());
    for (qsizetype i = 0; i < names.size(); ++i)
        if (m_file.pictureLength(int(i)) > 0)
            names[i] = newPicture();
    return names;
}

QString BackupImport::writePicture(const MainItemFlag& bill, int row) {
    if (m_file.format() == BackupFile::Format::Current) {
        if (m_file.pictureLength(row) == 0)
            return {};
        const QString path = newPicture();
        m_file.extractPicture(row, path);
        return m_keepPictureNames ? underOriginalName(bill, path) : path;
    }
    if (!Sql::columnNames(m_backup, bill.typeTable).contains(kPictureBytes))
        return {};
    const QByteArray bytes =
        Sql::scalar(m_backup, QStringLiteral("SELECT %1 FROM %2").arg(q(kPictureBytes), q(bill.typeTable)) +
                                  Sql::naturalOrder() + QStringLiteral(" LIMIT 1"))
            .toByteArray();
    if (bytes.isEmpty())
        return {};
    const QString path = newPicture();
    QFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush())
        BackupFile::fail(DeviceWriteFailure(f, errno));
    return path;
}

void BackupImport::addBill(BillStore& store, const MainItemFlag& bill, int row, int typeIndex) {
    const QString stem = store.nextTableStem();
    MainItemFlag e;
    e.typeIndex = typeIndex;
    e.billName = bill.billName;
    e.typeTable = stem + QStringLiteral("Type");
    e.itemTable = stem + QStringLiteral("Item");
    e.historyTable = stem + QStringLiteral("His");
    e.preBillTable = stem + QStringLiteral("Bef");
    e.autoTable = stem + QStringLiteral("Auto");

    createTableFrom(m_backup, bill.itemTable, m_live, e.itemTable);
    appendRows(m_backup, bill.itemTable, m_live, e.itemTable, 0, false);

    const bool legacy = m_file.format() == BackupFile::Format::Legacy;
    if (!legacy) {
        createTableFrom(m_backup, bill.typeTable, m_live, e.typeTable);
        appendRows(m_backup, bill.typeTable, m_live, e.typeTable, 0, false);
    } else {
        // An old page row: its columns up to the picture bytes by position; the picture moves
        // to a file below, and the two columns the old row lacks start empty.
        Sql::createTableLike(Database::get(Db::Define), BillStore::workingPageTable(), m_live, e.typeTable);
        const QStringList dstCols = Sql::columnNames(m_live, e.typeTable);
        const QList<QVariantList> rows = Sql::allRows(m_backup, bill.typeTable);
        QStringList cols;
        QVariantList values;
        if (!rows.isEmpty()) {
            const QVariantList& old = rows.constFirst();
            const int n = std::min<qsizetype>(old.size() - 2, dstCols.size());
            for (int i = 0; i < n; ++i) {
                cols << dstCols.at(i);
                values << (dstCols.at(i) == kPictureBytes ? QVariant() : old.at(i));
            }
        }
        if (cols.isEmpty())
            Sql::exec(m_live, QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(q(e.typeTable)));
        else
            Sql::insertRow(m_live, e.typeTable, cols, values);
        Sql::exec(m_live,
                  QStringLiteral("UPDATE %1 SET \"打印背景\"=0, \"票据类型名称\"=''").arg(q(e.typeTable)));
    }

    if (!Sql::columnNames(m_live, e.typeTable).contains(kPicturePath))
        damaged(QStringLiteral("票据“%1”的页面参数表没有“%2”列").arg(bill.billName, kPicturePath));
    const QString picture = writePicture(bill, row);
    Sql::exec(m_live,
              QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=(SELECT min(rowid) FROM %1)")
                  .arg(q(e.typeTable), q(kPicturePath)),
              {picture});
    BillStore::sharePicture(m_live, picture);

    m_historyMoves.insert(bill.historyTable, {e.historyTable, {}});
    for (const auto& [from, to] :
         {std::pair{bill.historyTable, e.historyTable}, std::pair{bill.preBillTable, e.preBillTable},
          std::pair{bill.autoTable, e.autoTable}}) {
        createTableFrom(m_backup, from, m_live, to);
        appendRows(m_backup, from, m_live, to, 0, false);
    }

    Sql::insertRow(
        m_live, BillStore::masterTable(),
        {QStringLiteral("票据类型"), QStringLiteral("票据名称"), QStringLiteral("类型设置名"),
         QStringLiteral("基本设置名"), QStringLiteral("历史文件名"), QStringLiteral("预开票名"),
         QStringLiteral("自动计数名")},
        {e.typeIndex, e.billName, e.typeTable, e.itemTable, e.historyTable, e.preBillTable, e.autoTable});
    store.changeTypeCount(typeIndex, 1);
}

int BackupImport::appendReferences() {
    int rows = 0;
    // The first column is each table's own key; the live table numbers the new rows itself.
    for (const QString& t : BillStore::referenceTables())
        rows += appendRows(m_backup, t, m_live, t, 1, false);
    return rows;
}

void BackupImport::appendVoids() {
    // Backups made before voids existed carry none.
    if (!Sql::tableExists(m_backup, VoidedRecords::table()))
        return;
    QSqlQuery voids;
    try {
        voids = Sql::exec(m_backup, QStringLiteral("SELECT \"历史文件名\", \"HistoryNumber\", \"作废原因\", "
                                                   "\"作废时间\" FROM %1")
                                            .arg(q(VoidedRecords::table())) +
                                        Sql::naturalOrder());
    } catch (const StoreError& e) {
        damaged(e.message());
    }
    while (voids.next()) {
        const auto move = m_historyMoves.constFind(voids.value(0).toString());
        if (move == m_historyMoves.cend())
            continue; // a void of a bill the backup does not hold
        const qint64 old = voids.value(1).toLongLong();
        const qint64 number = move->numbers.isEmpty() ? old : move->numbers.value(old, -1);
        if (number < 0)
            continue;
        const bool known = Sql::scalar(m_live,
                                       QStringLiteral("SELECT count(*) FROM %1 WHERE \"历史文件名\"=? AND "
                                                      "\"HistoryNumber\"=?")
                                           .arg(q(VoidedRecords::table())),
                                       {move->liveTable, number})
                               .toInt() > 0;
        if (!known)
            Sql::insertRow(m_live, VoidedRecords::table(),
                           {QStringLiteral("历史文件名"), QStringLiteral("HistoryNumber"),
                            QStringLiteral("作废原因"), QStringLiteral("作废时间")},
                           {move->liveTable, number, voids.value(2), voids.value(3)});
    }
}

BackupImport::Counts BackupImport::importAll(const Progress& progress) {
    openDatabase(true);
    const QList<MainItemFlag> bills = readBills();
    if (m_earlyPictures.isEmpty())
        m_file.indexPictures(int(bills.size()));
    else if (m_earlyPictures.size() != bills.size())
        damaged(QStringLiteral("票据主控表无法读取"));

    m_live = Database::get(Db::Bill);
    BillStore store;
    store.ensureBillTypeTable();
    if (canStartFromImage(bills))
        return startFromImage(store, bills, progress);
    finishCopyingPictures(false);

    Counts counts;
    const qint64 total = bills.size() + 1;
    {
        const AttachedImage attached(m_live, AppPaths::backupStoreFile());
        Sql::Transaction tx(m_live);
        store.ensureBillTypeTable();
        const QList<MainItemFlag> live = store.allBillEntries();
        for (int i = 0; i < bills.size(); ++i) {
            const MainItemFlag& b = bills.at(i);
            const int type = resolveType(store, b);
            const auto same = std::find_if(live.cbegin(), live.cend(), [&](const MainItemFlag& l) {
                return l.typeIndex == type && l.billName == b.billName;
            });
            if (same != live.cend()) {
                mergeBill(b, *same);
                ++counts.merged;
            } else {
                addBill(store, b, i, type);
                ++counts.added;
            }
            if (progress)
                progress(i + 1, total);
        }
        counts.references = appendReferences();
        appendVoids();
        syncPictures(m_createdPictures);
        tx.commit();
    }
    m_keepPictures = true;
    if (progress)
        progress(total, total);
    return counts;
}

bool BackupImport::liveStoreHoldsNothing() const {
    return StoreCopy::currentStoreIsEmpty() && Sql::rowCount(m_live, VoidedRecords::table()) == 0;
}

bool BackupImport::canStartFromImage(const QList<MainItemFlag>& bills) {
    if (Dialect::isPostgres(m_live) || m_file.format() != BackupFile::Format::Current)
        return false;
    if (!liveStoreHoldsNothing())
        return false;
    // With a write-ahead log the store cannot change its page size.
    const auto pageSize = [](const QSqlDatabase& db) {
        return Sql::scalar(db, QStringLiteral("PRAGMA page_size")).toLongLong();
    };
    if (pageSize(m_live) != pageSize(m_backup))
        return false;

    const QHash<QString, SchemaEntry> liveSchema = schemaOf(m_live);
    for (const SchemaEntry& e : liveSchema)
        if (e.type != QLatin1String("table"))
            return false;
    QSet<QString> billTables;
    QSet<QString> historyTables;
    for (const MainItemFlag& b : bills) {
        billTables << b.typeTable << b.itemTable << b.historyTable << b.preBillTable << b.autoTable;
        historyTables << b.historyTable;
    }
    // Every object of the image must be one this program would have made itself, word for word: a
    // table of the store with the store's own definition, a table of one of its bills as an import
    // would create it, or the date index of a history table.
    const QHash<QString, SchemaEntry> image = schemaOf(m_backup);
    for (auto it = image.cbegin(); it != image.cend(); ++it) {
        const QString& name = it.key();
        const SchemaEntry& e = it.value();
        if (e.type == QLatin1String("table")) {
            const bool same = billTables.contains(name)
                                  ? e.sql == Sql::createTableStatement(
                                                 m_backup, name, plainColumns(m_billTableColumns.value(name)))
                                  : liveSchema.contains(name) && liveSchema.value(name).sql == e.sql;
            if (!same)
                return false;
        } else if (e.type == QLatin1String("index")) {
            if (!historyTables.contains(e.table) || e.sql != historyDateIndexDefinition(m_backup, e.table))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

BackupImport::Counts BackupImport::startFromImage(BillStore& store, const QList<MainItemFlag>& bills,
                                                  const Progress& progress) {
    const qint64 total = bills.size() + 1;
    Counts counts;
    counts.added = int(bills.size());
    // The image is this import's own scratch copy: it is made into the store, then copied over the
    // store in one transaction.
    Sql::exec(m_backup, QStringLiteral("PRAGMA query_only=OFF"));
    Sql::exec(m_backup, QStringLiteral("PRAGMA synchronous=OFF"));
    {
        Sql::Transaction tx(m_backup);
        const QHash<QString, SchemaEntry> image = schemaOf(m_backup);
        const QHash<QString, SchemaEntry> liveSchema = schemaOf(m_live);
        for (auto it = liveSchema.cbegin(); it != liveSchema.cend(); ++it)
            if (!image.contains(it.key()))
                Sql::exec(m_backup, it.value().sql);

        // The store's types, then the types of the backup's bills that it lacks, counted as an
        // import table by table counts them.
        const QString types = q(BillStore::typeTable());
        QStringList names;
        QList<qint64> typeCounts;
        QSqlQuery live =
            Sql::exec(m_live, QStringLiteral("SELECT \"类型名称\", \"同类型计数\" FROM %1").arg(types) +
                                  Sql::naturalOrder());
        while (live.next()) {
            names << live.value(0).toString();
            typeCounts << live.value(1).toLongLong();
        }
        live = QSqlQuery();
        const QString master = q(BillStore::masterTable());
        QList<qint64> rowids;
        QSqlQuery rows =
            Sql::exec(m_backup, QStringLiteral("SELECT rowid FROM %1").arg(master) + Sql::naturalOrder());
        while (rows.next())
            rowids << rows.value(0).toLongLong();
        rows = QSqlQuery();
        if (rowids.size() != bills.size())
            damaged(QStringLiteral("票据主控表无法读取"));
        for (int i = 0; i < bills.size(); ++i) {
            const MainItemFlag& b = bills.at(i);
            int type = b.typeIndex;
            if (type > 8) {
                type = int(names.indexOf(m_backupTypes.at(type)));
                if (type < 0) {
                    names << m_backupTypes.at(b.typeIndex);
                    typeCounts << 0;
                    type = int(names.size() - 1);
                }
                Sql::exec(m_backup, QStringLiteral("UPDATE %1 SET \"票据类型\"=? WHERE rowid=?").arg(master),
                          {type, rowids.at(i)});
            }
            if (type >= typeCounts.size())
                damaged(QStringLiteral("票据“%1”的类型 %2 在票据类型表中没有").arg(b.billName).arg(type));
            ++typeCounts[type];
        }
        Sql::emptyTable(m_backup, BillStore::typeTable());
        for (int i = 0; i < names.size(); ++i)
            Sql::insertRow(m_backup, BillStore::typeTable(),
                           {QStringLiteral("类型名称"), QStringLiteral("同类型计数")},
                           {names.at(i), typeCounts.at(i)});

        for (const MainItemFlag& b : bills) {
            const QList<Sql::ColumnDef> page = m_billTableColumns.value(b.typeTable);
            if (std::none_of(page.cbegin(), page.cend(),
                             [](const Sql::ColumnDef& c) { return c.name == kPicturePath; }))
                damaged(QStringLiteral("票据“%1”的页面参数表没有“%2”列").arg(b.billName, kPicturePath));
        }
        // The pictures were copied meanwhile, or are now: their names in order first, then their
        // bytes all at once.
        QStringList pictures = m_earlyPictures;
        if (pictures.isEmpty()) {
            pictures = namePictures();
            m_file.extractPictures(pictures);
        } else {
            finishCopyingPictures(true);
        }
        for (int i = 0; i < bills.size(); ++i) {
            const MainItemFlag& b = bills.at(i);
            if (m_keepPictureNames && !pictures.at(i).isEmpty())
                pictures[i] = underOriginalName(b, pictures.at(i));
            Sql::exec(m_backup,
                      QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=(SELECT min(rowid) FROM %1)")
                          .arg(q(b.typeTable), q(kPicturePath)),
                      {pictures.at(i)});
            if (progress)
                progress(i + 1, total);
        }

        // Voids of bills the backup does not hold are dropped, and a record voided twice keeps
        // its first void, as when they are appended one by one.
        const QString voids = q(VoidedRecords::table());
        Sql::exec(m_backup, QStringLiteral("DELETE FROM %1 WHERE coalesce(\"历史文件名\", '') NOT IN "
                                           "(SELECT \"历史文件名\" FROM %2) OR rowid NOT IN (SELECT "
                                           "min(rowid) FROM %1 GROUP BY \"历史文件名\", \"HistoryNumber\")")
                                .arg(voids, master));
        for (const QString& t : BillStore::referenceTables())
            counts.references += Sql::rowCount(m_backup, t);
        tx.commit();
    }
    syncPictures(m_createdPictures);
    // Nothing may have come into the store meanwhile: it is replaced as a whole.
    if (!liveStoreHoldsNothing())
        throw StoreError(QStringLiteral("导入期间数据库中有了新的记录，没有导入。请重新导入备份文件。"));
    DatabaseImage::replaceContents(m_live, m_backup);
    // The store points at the pictures now: nothing after this may take them away again.
    m_keepPictures = true;
    store.reloadTypeNames();
    if (progress)
        progress(total, total);
    return counts;
}

BackupImport::Counts BackupImport::importInformation() {
    openDatabase();
    m_live = Database::get(Db::Bill);
    Counts counts;
    const AttachedImage attached(m_live, AppPaths::backupStoreFile());
    Sql::Transaction tx(m_live);
    counts.references = appendReferences();
    tx.commit();
    return counts;
}
