#include "exchange/SaveBackUpThread.h"

#include "exchange/BackupFile.h"
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
#include <QMutex>
#include <QSaveFile>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>

using Sql::q;

namespace {
constexpr qint64 kMaxLength = std::numeric_limits<quint32>::max();
constexpr qint64 kChunk = 1 << 20;

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

// One stretch of the backup file at its offset: bytes held here, or the first length bytes of a
// file (the database copy, or the picture of bill).
struct Part {
    qint64 offset = 0;
    QByteArray bytes;
    QString file;
    qint64 length = 0;
    QString bill;

    qint64 size() const { return file.isEmpty() ? bytes.size() : length; }
};
// The first two parts of a backup: the tag with the database's length, then the database.
constexpr qsizetype kDatabaseParts = 2;

QList<Part> layOut(const QString& imageFile, qint64 imageSize,
                   const QList<SaveBackUpThread::Picture>& pictures) {
    QList<Part> parts;
    qint64 at = 0;
    const auto add = [&](const QByteArray& bytes, const QString& file = {}, qint64 length = 0,
                         const QString& bill = {}) {
        Part part;
        part.offset = at;
        part.bytes = bytes;
        part.file = file;
        part.length = length;
        part.bill = bill;
        at += part.size();
        parts << part;
    };
    add(BackupFile::versionTag() + BackupFile::encodeLength(quint32(imageSize)));
    add({}, imageFile, imageSize);
    for (const SaveBackUpThread::Picture& p : pictures) {
        add(BackupFile::encodeLength(quint32(p.size)));
        if (p.size > 0)
            add({}, p.file, p.size, p.bill);
    }
    return parts;
}

void writePart(const Part& part, QFileDevice& out) {
    if (part.file.isEmpty()) {
        BackupFile::writeAt(out, part.offset, part.bytes.constData(), part.bytes.size());
        return;
    }
    QFile from(part.file);
    if (!from.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw StoreError(part.bill.isEmpty()
                             ? QStringLiteral("无法打开数据库映像 %1：%2").arg(part.file, from.errorString())
                             : QStringLiteral("无法打开票据“%1”的图片文件 %2：%3")
                                   .arg(part.bill, part.file, from.errorString()));
    // A picture that changed size since it was listed would break the record's length.
    if (from.size() != part.length)
        throw StoreError(QStringLiteral("票据“%1”的图片文件 %2 在备份时被改动").arg(part.bill, part.file));
    BackupFile::copyRange(from, 0, out, part.offset, part.length);
    // The disk starts on these bytes now rather than all at once when the file is committed.
    ::sync_file_range(out.handle(), part.offset, part.length, SYNC_FILE_RANGE_WRITE);
}

// Copies parts into a file on a helper thread, in order and each at its own offset, while the
// caller's thread does other work; finish() joins in and waits. The first failure stops both, and
// so does the copier's end.
class PartCopier {
public:
    PartCopier(QFileDevice& out, std::function<void()> partCopied)
        : m_out(out), m_partCopied(std::move(partCopied)) {}
    ~PartCopier() {
        m_next = m_parts.size();
        if (m_helper.joinable())
            m_helper.join();
    }
    PartCopier(const PartCopier&) = delete;
    PartCopier& operator=(const PartCopier&) = delete;

    void start(const QList<Part>& parts, qsizetype first) {
        m_parts = parts;
        m_next = first;
        m_helper = std::thread([this] { work(); });
    }
    void finish() {
        work();
        m_helper.join();
        if (!m_failure.isEmpty())
            throw StoreError(m_failure);
    }

private:
    void work() {
        for (qsizetype i = m_next++; i < m_parts.size(); i = m_next++) {
            try {
                writePart(m_parts.at(i), m_out);
            } catch (const std::runtime_error& e) {
                stopWith(e);
                return;
            }
            if (!m_parts.at(i).file.isEmpty())
                m_partCopied();
        }
    }
    void stopWith(const std::runtime_error& e) {
        const QMutexLocker lock(&m_failureLock);
        if (m_failure.isEmpty())
            m_failure = QString::fromUtf8(e.what());
        m_next = m_parts.size();
    }

    QFileDevice& m_out;
    std::function<void()> m_partCopied;
    QList<Part> m_parts;
    std::atomic<qsizetype> m_next = 0;
    std::thread m_helper;
    QMutex m_failureLock;
    QString m_failure;
};

// Reads the file back once and compares it with what went into it: the store may be cleared next,
// so the backup must hold exactly the store's bytes.
void verifyBackup(const QString& path, const QList<Part>& parts) {
    const QString differs = QStringLiteral("备份文件 %1 写入后校验不一致").arg(path);
    QFile backup(path);
    const qint64 size = parts.isEmpty() ? 0 : parts.last().offset + parts.last().size();
    if (!backup.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || backup.size() != size)
        throw StoreError(differs);
    QByteArray written(kChunk, Qt::Uninitialized);
    QByteArray source(kChunk, Qt::Uninitialized);
    for (const Part& part : parts) {
        if (part.file.isEmpty()) {
            if (backup.read(written.data(), part.bytes.size()) != part.bytes.size() ||
                std::memcmp(written.constData(), part.bytes.constData(), size_t(part.bytes.size())) != 0)
                throw StoreError(differs);
            continue;
        }
        QFile from(part.file);
        if (!from.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw StoreError(differs);
        for (qint64 left = part.length; left > 0;) {
            const qint64 n = std::min(left, kChunk);
            if (from.read(source.data(), n) != n || backup.read(written.data(), n) != n ||
                std::memcmp(written.constData(), source.constData(), size_t(n)) != 0)
                throw StoreError(differs);
            left -= n;
        }
    }
}
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
    // The database goes into the backup through a copy of its own, made and checked while the
    // pictures are already being copied.
    QTemporaryFile image(AppPaths::tmpDir() + QStringLiteral("BackupImage-XXXXXX.mdb"));
    if (!image.open())
        throw StoreError(
            QStringLiteral("无法建立临时文件 %1：%2").arg(image.fileTemplate(), image.errorString()));
    image.close();

    // The file replaces the old one only once it is complete and on the disk.
    QSaveFile out(m_path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw StoreError(QStringLiteral("无法建立备份文件 %1：%2").arg(m_path, out.errorString()));
    // One file holds the whole store: owner-only, also where it replaces a file readable by others.
    if (!out.setPermissions(FileModes::ownerOnlyFile))
        throw StoreError(QStringLiteral("无法设置备份文件 %1 的权限：%2").arg(m_path, out.errorString()));

    // Progress counts the database and each bill's picture.
    qint64 total = 1;
    // Reported from both copying threads, one at a time: a receiver may be called on either.
    qint64 done = 0;
    QMutex progressLock;
    const auto partDone = [&] {
        const QMutexLocker lock(&progressLock);
        reportProgress(++done, total);
    };
    QList<Part> parts;
    PartCopier copier(out, partDone);
    QSqlDatabase live = Database::get(Db::Bill);
    {
        // One read transaction: the database copy and the picture list show the same state of the
        // store, whatever other connections write meanwhile.
        const ReadSnapshot snapshot(live);
        const QList<Picture> pictures = readPictures(live);
        total +=
            std::count_if(pictures.cbegin(), pictures.cend(), [](const Picture& p) { return p.size > 0; });
        reportProgress(0, total);
        // Where the database's size is known beforehand, every picture's place in the file is too,
        // and the pictures are copied while the database is.
        const qint64 expected = DatabaseImage::expectedSize(live, kMaxLength);
        if (expected >= 0) {
            parts = layOut(image.fileName(), expected, pictures);
            copier.start(parts, kDatabaseParts);
        }
        const qint64 size = DatabaseImage::writeFile(live, image.fileName(), kMaxLength);
        if (expected < 0) {
            parts = layOut(image.fileName(), size, pictures);
            copier.start(parts, kDatabaseParts);
        } else if (size != expected) {
            throw StoreError(QStringLiteral("数据库映像的大小与预计的不同：%1 字节，预计 %2 字节")
                                 .arg(size)
                                 .arg(expected));
        }
        // A server checks its own pages. A file is checked in the state the copy was taken of, on
        // the connection that has read its schema already, while the pictures are copied.
        if (!Dialect::isPostgres(live)) {
            const QString check = Sql::scalar(live, QStringLiteral("PRAGMA quick_check")).toString();
            if (check != QLatin1String("ok"))
                throw StoreError(QStringLiteral("数据库检查未通过：%1").arg(check));
        }
    }
    // A failure here stops the copier when it goes.
    for (qsizetype i = 0; i < kDatabaseParts; ++i)
        writePart(parts.at(i), out);
    partDone();
    copier.finish();
    errno = 0;
    if (!out.commit())
        throw StoreError(DeviceWriteFailure(out, errno));
    // Before the store is cleared the file is also read back and compared with the database copy
    // and the pictures.
    if (m_clear)
        verifyBackup(m_path, parts);
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
