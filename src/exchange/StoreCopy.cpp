#include "exchange/StoreCopy.h"

#include "exchange/BackupImport.h"
#include "exchange/SaveBackUpThread.h"
#include "platform/AppPaths.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "store/VoidedRecords.h"

#include <QCoreApplication>
#include <QFile>

namespace StoreCopy {

namespace {
QString describe(const QString& url) {
    return url.isEmpty() ? QStringLiteral("本地数据库") : url;
}

void openStore(const QString& url) {
    Database::closeThreadConnections();
    Database::setStoreUrl(url);
    Schema::ensureDatabases();
}

// The scratch backup between the two stores, removed whatever happens.
class ScratchFile {
public:
    ScratchFile()
        : m_path(AppPaths::tmpDir() +
                 QStringLiteral("StoreCopy-%1.SBF").arg(QCoreApplication::applicationPid())) {
        QFile::remove(m_path);
    }
    ~ScratchFile() { QFile::remove(m_path); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const QString& path() const { return m_path; }

private:
    QString m_path;
};
} // namespace

bool currentStoreIsEmpty() {
    const QSqlDatabase db = Database::get(Db::Bill);
    QStringList tables{BillStore::masterTable()};
    tables << BillStore::referenceTables();
    for (const QString& t : tables)
        if (Sql::tableExists(db, t) && Sql::rowCount(db, t) > 0)
            return false;
    return true;
}

Result copy(const QString& fromUrl, const QString& toUrl, const Progress& progress) {
    if (fromUrl == toUrl)
        throw StoreError(QStringLiteral("源数据库和目标数据库相同"));
    const ScratchFile scratch;

    // The target is looked at first, so that a full store is refused before any work.
    openStore(toUrl);
    if (!currentStoreIsEmpty())
        throw StoreError(QStringLiteral("目标数据库 %1 不是空的，不能复制到其中。").arg(describe(toUrl)));

    openStore(fromUrl);
    {
        SaveBackUpThread save(scratch.path(), false);
        save.run();
        if (!save.billsWithoutPicture().isEmpty())
            throw StoreError(QStringLiteral("以下票据的图片文件不存在，没有复制：\n%1")
                                 .arg(save.billsWithoutPicture().join(QLatin1Char('\n'))));
    }

    openStore(toUrl);
    if (!currentStoreIsEmpty())
        throw StoreError(QStringLiteral("目标数据库 %1 不是空的，不能复制到其中。").arg(describe(toUrl)));
    BillStore().ensureBillTypeTable();
    BackupImport import(scratch.path());
    import.keepPictureNames();
    const BackupImport::Counts counts = import.importAll(progress);
    return {counts.added + counts.merged, counts.references};
}

} // namespace StoreCopy
