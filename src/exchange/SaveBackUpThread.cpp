#include "exchange/SaveBackUpThread.h"

#include "exchange/BackupFile.h"
#include "platform/AppPaths.h"
#include "platform/FileErrors.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <limits>

using Sql::q;

namespace {
constexpr qint64 kMaxLength = std::numeric_limits<quint32>::max();

// A connection of its own to the store image, removed with the object.
class ImageConnection {
public:
    explicit ImageConnection(const QString& path)
        : m_name(QStringLiteral("BackupImage@%1").arg(reinterpret_cast<quintptr>(QThread::currentThread()))) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            throw StoreError(QStringLiteral("无法打开数据库映像 %1").arg(path));
    }
    ~ImageConnection() { QSqlDatabase::removeDatabase(m_name); }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};
} // namespace

SaveBackUpThread::SaveBackUpThread(const QString& backupPath, bool clearAfterBackup)
    : m_path(backupPath), m_clear(clearAfterBackup) {}

QList<SaveBackUpThread::Picture> SaveBackUpThread::readPictures(const QString& imagePath) {
    QList<Picture> pictures;
    ImageConnection image(imagePath);
    {
        QSqlDatabase db = image.db();
        if (Sql::scalar(db, QStringLiteral("PRAGMA quick_check")).toString() != QLatin1String("ok"))
            throw StoreError(QStringLiteral("数据库映像检查未通过"));
        QSqlQuery rows = Sql::exec(
            db,
            QStringLiteral("SELECT \"票据名称\", \"类型设置名\" FROM %1").arg(q(BillStore::masterTable())) +
                Sql::naturalOrder());
        while (rows.next()) {
            Picture p;
            p.bill = rows.value(0).toString();
            const QString pageTable = rows.value(1).toString();
            QString stored;
            if (!pageTable.isEmpty() && Sql::tableExists(db, pageTable))
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
    }
    return pictures;
}

void SaveBackUpThread::writeBackup(const QString& imagePath, const QList<Picture>& pictures) {
    QFile imageFile(imagePath);
    if (!imageFile.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("无法读取数据库映像：%1").arg(imageFile.errorString()));
    const qint64 dbLength = imageFile.size();
    if (dbLength > kMaxLength)
        throw StoreError(QStringLiteral("数据库超过 4GB，无法写入备份文件"));

    // Progress counts the database and each bill's picture record.
    const qint64 total = pictures.size() + 1;
    qint64 done = 0;
    reportProgress(done, total);

    QSaveFile out(m_path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw StoreError(QStringLiteral("无法建立备份文件 %1：%2").arg(m_path, out.errorString()));
    auto put = [&](const QByteArray& bytes) {
        errno = 0;
        if (out.write(bytes) != bytes.size())
            throw StoreError(DeviceWriteFailure(out, errno));
    };
    put(BackupFile::versionTag());
    put(BackupFile::encodeLength(quint32(dbLength)));
    BackupFile::copyBytes(imageFile, out, dbLength);
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
        BackupFile::copyBytes(picture, out, p.size);
        reportProgress(++done, total);
    }
    errno = 0;
    if (!out.commit())
        throw StoreError(DeviceWriteFailure(out, errno));

    verifyBackup(imagePath, pictures);
}

void SaveBackUpThread::verifyBackup(const QString& imagePath, const QList<Picture>& pictures) {
    // Read the file back against its sources: the store may be cleared next, so the backup must
    // hold exactly what it was made from.
    const QString differs = QStringLiteral("备份文件 %1 写入后校验不一致").arg(m_path);
    QFile backup(m_path);
    if (!backup.open(QIODevice::ReadOnly))
        throw StoreError(differs);
    auto same = [&](QIODevice& source, qint64 length) {
        while (length > 0) {
            const qint64 n = std::min<qint64>(length, 1 << 20);
            const QByteArray expected = source.read(n);
            if (expected.size() != n || backup.read(n) != expected)
                return false;
            length -= n;
        }
        return true;
    };
    QFile image(imagePath);
    if (!image.open(QIODevice::ReadOnly) || backup.read(6) != BackupFile::versionTag() ||
        backup.read(4) != BackupFile::encodeLength(quint32(image.size())) || !same(image, image.size()))
        throw StoreError(differs);
    for (const Picture& p : pictures) {
        if (backup.read(4) != BackupFile::encodeLength(quint32(p.size)))
            throw StoreError(differs);
        if (p.size == 0)
            continue;
        QFile picture(p.file);
        if (!picture.open(QIODevice::ReadOnly) || !same(picture, p.size))
            throw StoreError(differs);
    }
    if (!backup.atEnd())
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
    {
        // SQLite writes a consistent copy of the store itself; the store file may be mid-write.
        QTemporaryFile image(AppPaths::tmpDir() + QStringLiteral("BackupImage-XXXXXX.mdb"));
        if (!image.open())
            throw StoreError(QStringLiteral("无法在临时文件夹中建立文件：%1").arg(image.errorString()));
        image.close();
        Sql::exec(live, QStringLiteral("VACUUM INTO ?"), {image.fileName()});
        const QList<Picture> pictures = readPictures(image.fileName());
        writeBackup(image.fileName(), pictures);
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
