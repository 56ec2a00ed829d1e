#pragma once

#include "store/BillStore.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// A minimal item for the working template: name, type, query and statistics flags.
struct FixtureItem {
    QString name;
    int type = 0;
    bool query = true;
    bool statistics = false;
};

// Fills the working template with one page row and the given items.
void fillWorkingTemplate(const QString& billName, const QList<FixtureItem>& items, int typeIndex = 0,
                         const QString& picturePath = QString());

// Creates a bill of a type from a small working template and raises the type's count, as the
// import does.
MainItemFlag addFixtureBill(BillStore& store, int typeIndex, const QString& name,
                            const QList<FixtureItem>& items = {{QStringLiteral("金额"), 8, true, true}});

// A second SQLite connection to a database file, as another program would hold it: to hold a
// lock on the store, or to look at it from outside while this program's connection is in a
// transaction. Leaves what it began when destroyed.
class OtherConnection {
public:
    explicit OtherConnection(const QString& path);
    ~OtherConnection();
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;

    QSqlDatabase db() const;
    // Starts a read transaction that has read the table and keeps it open; false when it could not.
    bool holdRead(const QString& table);
    // Takes the write lock and keeps it; false when another connection has it.
    bool holdWrite();
    // Ends what holdRead or holdWrite began.
    void release();

private:
    QString m_name;
};
