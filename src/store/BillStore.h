#pragma once

#include "store/MainItemFlag.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The bill store: bill types, the bills of the master control table with their five tables, the
// working template, and the background picture files. It also keeps the type-name list, in which
// a type's position is its type index everywhere.
//
// Every operation reports store failures by throwing StoreError. Operations made of several steps
// (creating, deleting a bill, clearing the store) run in one transaction.
class BillStore {
public:
    static QString masterTable() { return QStringLiteral("主控"); }
    static QString typeTable() { return QStringLiteral("票据类型表"); }
    static QString workingPageTable() { return QStringLiteral("票据类型"); }
    static QString workingItemTable() { return QStringLiteral("基本设置项"); }
    static QStringList referenceTables(); // "本单位帐户", "联系人", "票据用途", "其他内容", "业务单位"
    // A shared store keeps the bills' pictures itself (file name → bytes), so that every desk
    // sees them; each desk's picture folder is then a cache of it.
    static QString pictureTable() { return QStringLiteral("票据图片"); }

    // Type-name list.
    const QStringList& typeNames() const { return m_typeNames; }
    void reloadTypeNames();
    int typeIndexOf(const QString& name) const;

    // Creates the bill type table with the nine default types when it is missing, counting the
    // bills that the master control table already holds for them. Reloads the type-name list.
    void ensureBillTypeTable();
    // Appends a type; returns its index.
    int addType(const QString& name);
    // The index of a type name, appending the type when it is not known yet.
    int ensureType(const QString& name);
    void changeTypeCount(int index, int delta);
    int typeBillCount(int index) const;
    // Names of the types whose bill count is not 0, in table order.
    QStringList typesWithBills() const;

    QStringList billNamesOfType(int index) const;
    // The names joined with CR LF, trimmed of surrounding blanks and line breaks.
    QString billNamesText(int index) const;
    QList<MainItemFlag> billEntriesOfType(int index) const;
    QList<MainItemFlag> allBillEntries() const;

    // "H<n>": n = 1 for an empty master table, else the last row's "BillSetNum" + 1.
    QString nextTableStem() const;

    // Creates the five tables of a new bill from the working template, appends its master-control
    // row and empties the working tables. Does not change the type's count (the caller does).
    MainItemFlag createBillFromWorkingTemplate(int typeIndex, const QString& name);
    // Drops the bill's five tables (those that exist) and forgets the voids of its history.
    void deleteBillTables(const MainItemFlag& entry);
    // The bill's master-control row, five tables and type count in one transaction, then its
    // picture file. Returns the type's previous bill count.
    int deleteBill(const MainItemFlag& entry);
    // Path of the bill's picture as stored in its page-parameter table ("图象数据格式").
    QString storedPicturePath(const MainItemFlag& entry) const;

    void loadWorkingTemplate(const MainItemFlag& entry);
    void storeWorkingTemplate(const MainItemFlag& entry);

    // Empties the master table and the reference tables, deletes every bill's tables and picture
    // and the bill type table. ensureBillTypeTable() recreates the defaults afterwards.
    void clearStore();

    // At start, with the folder's lock held: removes the scratch databases of interrupted backup
    // work and half-made store files, and the pictures (.bkg) that no bill and no working template
    // refers to.
    void removeLeftovers();

    // The first picture-folder path <k><extension>, k = 1, 2, ..., naming no existing file.
    static QString newPictureFileName(const QString& extension = QStringLiteral(".bkg"));
    // The same from k = *next on, leaving *next after the k taken: a caller that takes many names
    // in a row does not test the taken ones again.
    static QString newPictureFileName(qint64* next);
    // 0 JPEG, 1 bitmap, -1 anything else or shorter than three bytes.
    static int pictureKind(const QString& path);
    static int pictureKindOfBytes(const QByteArray& head);
    // A stored picture path resolved by its file name in the picture folder, so that a moved store
    // keeps its pictures. Empty for an empty path. With a shared store, a picture this desk does
    // not have yet is fetched from the store into the folder.
    static QString resolvePicturePath(const QString& stored);
    // The same without fetching: where the picture is or would be in this desk's folder.
    static QString picturePathInFolder(const QString& stored);
    // The file name of a stored picture path (either kind of separator).
    static QString pictureFileName(const QString& stored);
    // True when a shared store already keeps a picture under the file name.
    static bool pictureNameShared(const QString& name);
    // With a shared store: keeps the bytes of the picture file a page row names in the store
    // (in the caller's transaction). Nothing to do for the embedded store or an empty path.
    static void sharePicture(const QSqlDatabase& db, const QString& stored);

private:
    QStringList m_typeNames;
};
