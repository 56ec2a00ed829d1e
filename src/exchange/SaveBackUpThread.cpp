#include "exchange/SaveBackUpThread.h"

#include "exchange/BackupFile.h"
#include "exchange/ContentChecksum.h"
#include "platform/AppPaths.h"
#include "platform/FileErrors.h"
#include "platform/FileModes.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/DatabaseImage.h"
#include "store/Dialect.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QSqlQuery>

#include <cerrno>
#include <limits>

using Sql::q;

namespace {
constexpr qint64 kMaxLength = std::numeric_limits<quint32>::max();

// A read transaction: everything read inside it shows one state of the store, and writers on
// other connections are not held up.
class ReadSnapshot {
public:
    explicit ReadSnapshot(const QSqlDatabase& db) : m_db(db) {
        Sql::exec(m_db, Dialect::beginSnapshot(m_db));
    }
    ~ReadSnapshot() { QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK")); }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    QSqlDatabase m_db;
};
} // namespace

SaveBackUpThread::SaveBackUpThread(const QString& backupPath, bool clearAfterBackup)
    : m_path(backupPath), m_clear(clearAfterBackup) {}

QList<SaveBackUpThread::Picture> SaveBackUpThread::readPictures(const QSqlDatabase& db) {
    QList<Picture> pictures;
    const QStringList names = Sql::tableNames(db);
    const QSet<QString> tables(names.cbegin(), names.cend());
    QSqlQuery rows = Sql::exec(
        db, QStringLiteral("SELECT \"票据名称\", \"类型设置名\" FROM %1").arg(q(BillStore::masterTable())) +
                Sql::naturalOrder());
    while (rows.next()) {
        Picture p;
        p.bill = rows.value(0).toString();
        const QString pageTable = rows.value(1).toString();
        QString stored;
        if (!pageTable.isEmpty() && tables.contains(pageTable))
            stored = Sql::scalar(db, QStringLiteral("SELECT \"图象数据格式\" FROM %1").arg(q(pageTable)) +
                                         Sql::naturalOrder() + QStringLiteral(" LIMIT 1"))
                         .toString();
        // Pictures are looked up by file name in the picture folder, so that a store moved
        // to another folder keeps them.
        const QString file = BillStore::resolvePicturePath(stored);
        const QFileInfo info(file);
        if (!file.isEmpty() && info.isFile()) {
            p.file = file;
            p.size = info.size();
            if (p.size > kMaxLength)
                throw StoreError(QStringLiteral("票据“%1”的图片文件太大：%2").arg(p.bill, file));
        } else if (!stored.trimmed().isEmpty()) {
            m_missing << p.bill;
        }
        pictures << p;
    }
    return pictures;
}

void SaveBackUpThread::writeBackup(const QByteArray& image, const QList<Picture>& pictures,
                                   ContentChecksum* sum) {
    // Progress counts the database and each bill's picture record.
    const qint64 total = pictures.size() + 1;
    qint64 done = 0;
    reportProgress(done, total);

    QSaveFile out(m_path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw StoreError(QStringLiteral("无法建立备份文件 %1：%2").arg(m_path, out.errorString()));
    // One file holds the whole store: owner-only, also where it replaces a file readable by others.
    if (!out.setPermissions(FileModes::ownerOnlyFile))
        throw StoreError(QStringLiteral("无法设置备份文件 %1 的权限：%2").arg(m_path, out.errorString()));
    auto put = [&](const QByteArray& bytes) {
        errno = 0;
        if (out.write(bytes) != bytes.size())
            throw StoreError(DeviceWriteFailure(out, errno));
        if (sum)
            sum->add(bytes);
    };
    put(BackupFile::versionTag());
    put(BackupFile::encodeLength(quint32(image.size())));
    put(image);
    reportProgress(++done, total);

    for (const Picture& p : pictures) {
        put(BackupFile::encodeLength(quint32(p.size)));
        if (p.size == 0) {
            reportProgress(++done, total);
            continue;
        }
        QFile picture(p.file);
        if (!picture.open(QIODevice::ReadOnly))
            throw StoreError(QStringLiteral("无法打开票据“%1”的图片文件 %2：%3")
                                 .arg(p.bill, p.file, picture.errorString()));
        // A picture that changed size since it was listed would break the record's length.
        if (picture.size() != p.size)
            throw StoreError(QStringLiteral("票据“%1”的图片文件 %2 在备份时被改动").arg(p.bill, p.file));
        BackupFile::copyBytes(picture, out, p.size, sum);
        reportProgress(++done, total);
    }
    errno = 0;
    if (!out.commit())
        throw StoreError(DeviceWriteFailure(out, errno));
}

void SaveBackUpThread::verifyBackup(qint64 expectedSize, quint64 expectedSum) {
    // Read the file back once: the store may be cleared next, so the backup must hold exactly the
    // bytes that were written.
    const QString differs = QStringLiteral("备份文件 %1 写入后校验不一致").arg(m_path);
    QFile backup(m_path);
    if (!backup.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || backup.size() != expectedSize)
        throw StoreError(differs);
    ContentChecksum sum;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 read = 0;
    for (;;) {
        const qint64 n = backup.read(buffer.data(), buffer.size());
        if (n < 0)
            throw StoreError(differs);
        if (n == 0)
            break;
        sum.add(buffer.constData(), n);
        read += n;
    }
    if (read != expectedSize || sum.value() != expectedSum)
        throw StoreError(differs);
}

void SaveBackUpThread::run() {
    m_written = false;
    m_missing.clear();
    // The backup replaces its target; a database of the program must never be that target.
    if (QFileInfo::exists(m_path)) {
        const QString target = QFileInfo(m_path).canonicalFilePath();
        for (Db d : {Db::Bill, Db::Define, Db::Backup})
            if (QFileInfo(Database::filePath(d)).canonicalFilePath() == target)
                throw StoreError(QStringLiteral("不能把备份写到系统数据库文件 %1 上").arg(m_path));
    }
    QSqlDatabase live = Database::get(Db::Bill);
    QByteArray image;
    QList<Picture> pictures;
    {
        // One read transaction: the image, its check and the picture list show the same state of
        // the store, whatever other connections write meanwhile.
        const ReadSnapshot snapshot(live);
        image = DatabaseImage::serialize(live, kMaxLength);
        // A server checks its own pages; a file is checked before its image goes into a backup.
        if (!Dialect::isPostgres(live)) {
            const QString check = Sql::scalar(live, QStringLiteral("PRAGMA quick_check")).toString();
            if (check != QLatin1String("ok"))
                throw StoreError(QStringLiteral("数据库检查未通过：%1").arg(check));
        }
        pictures = readPictures(live);
    }
    qint64 size = BackupFile::versionTag().size() + 4 + image.size();
    for (const Picture& p : pictures)
        size += 4 + p.size;
    // The file replaces the old one only once it is complete and on the disk. Before the store is
    // cleared it is also read back and compared with what was written; without clearing, the
    // store still holds everything and the bytes are copied file to file inside the kernel.
    if (m_clear) {
        ContentChecksum sum;
        writeBackup(image, pictures, &sum);
        image.clear();
        verifyBackup(size, sum.value());
    } else {
        writeBackup(image, pictures, nullptr);
    }
    m_written = true;

    if (!m_missing.isEmpty())
        setSummary(QStringLiteral("以下票据的图片文件不存在，备份中没有它们的图片：\n%1")
                       .arg(m_missing.join(QLatin1Char('\n'))));
    if (m_clear) {
        BillStore store;
        store.clearStore();
        store.ensureBillTypeTable();
    }
}
