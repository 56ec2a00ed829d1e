#pragma once

#include "exchange/BackupFile.h"
#include "store/MainItemFlag.h"
#include "store/Sql.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QStringList>

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

class BillStore;

// One import of a system backup on the calling thread. The backup's database is extracted into
// the temporary database and checked before the live store is touched, and every change to the
// live store happens in one transaction. The temporary database, and the picture files written
// for an import that did not complete, are removed again when the object goes.
class BackupImport {
public:
    using Progress = std::function<void(qint64 done, qint64 total)>;
    struct Counts {
        int added = 0;      // bills added with new tables
        int merged = 0;     // bills whose records were appended to a live bill
        int references = 0; // reference records appended
    };

    explicit BackupImport(const QString& backupPath);
    ~BackupImport();
    BackupImport(const BackupImport&) = delete;
    BackupImport& operator=(const BackupImport&) = delete;

    // Bills are merged into live bills of the same type and name or added as new bills; the
    // reference records are appended.
    Counts importAll(const Progress& progress = {});
    // The reference records only; pictures are not read.
    Counts importInformation();
    // Pictures keep the file names they had where the folder and store allow it (a copy of a
    // whole store), instead of taking the next free names.
    void keepPictureNames() { m_keepPictureNames = true; }

private:
    // Extracts and checks the backup's database. Pictures are copied meanwhile when the import
    // will most likely write all of them.
    void openDatabase(bool copyPicturesMeanwhile = false);
    // An import into an empty store writes every picture of a current backup: they are copied on
    // a thread of their own while the database is checked and read. Does nothing where that does
    // not hold or cannot be seen yet.
    void startCopyingPictures();
    // Waits for the early copies. When they are wanted, throws what stopped them; else they are
    // stopped and removed.
    void finishCopyingPictures(bool wanted);
    QList<MainItemFlag> readBills();
    int resolveType(BillStore& store, const MainItemFlag& bill) const;
    // An empty store can be made from the backup's own database as a whole when that holds
    // nothing this program would not have made itself; merging bill by bill creates every table
    // on its own, which costs more the more tables the store has.
    bool liveStoreHoldsNothing() const; // no bill, reference record or void
    bool canStartFromImage(const QList<MainItemFlag>& bills);
    Counts startFromImage(BillStore& store, const QList<MainItemFlag>& bills, const Progress& progress);
    void mergeBill(const MainItemFlag& bill, const MainItemFlag& live);
    // Where each backup history record went: backup history table → (live table, number map).
    struct HistoryMove {
        QString liveTable;
        QHash<qint64, qint64> numbers; // empty: the numbers stayed
    };
    QHash<QString, HistoryMove> m_historyMoves;
    void addBill(BillStore& store, const MainItemFlag& bill, int row, int typeIndex);
    // A free name in the picture folder, counted among the pictures this import created.
    QString newPicture();
    // A new name for every non-empty picture record of the backup, by record; empty for the rest.
    QStringList namePictures();
    QString writePicture(const MainItemFlag& bill, int row);
    // The picture written under a fresh name moved to the name the backup's bill gave it.
    QString underOriginalName(const MainItemFlag& bill, const QString& written);
    int appendReferences();
    // The voids of the backup's bills, moved onto their history records in the live store.
    void appendVoids();
    [[noreturn]] void damaged(const QString& detail) const;

    QString m_path;
    BackupFile m_file;
    QSqlDatabase m_backup;
    QSqlDatabase m_live;
    QStringList m_backupTypes;
    QSet<QString> m_backupTables;                             // tables of the image, read once
    QHash<QString, QList<Sql::ColumnDef>> m_billTableColumns; // the bills' tables in the image

    QStringList m_createdPictures;
    // The early copies: by bill, the picture file each goes to (empty for none); empty when no
    // early copying was started.
    QStringList m_earlyPictures;
    std::thread m_copying;
    std::exception_ptr m_copyingError;
    std::atomic_bool m_stopCopying = false;
    // Where the search for the next free picture name goes on.
    qint64 m_nextPicture = 1;
    bool m_keepPictures = false;
    bool m_keepPictureNames = false;
};
