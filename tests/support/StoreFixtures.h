#pragma once

#include "store/BillStore.h"

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
