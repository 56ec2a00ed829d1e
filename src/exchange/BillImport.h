#pragma once

#include <QString>

class BillStore;

// Turns the working template, freshly read from a definition file, into a bill of the store.
class BillImport {
public:
    // The working page row's type index, bill name and picture path.
    struct WorkingPage {
        int typeIndex = 0;
        QString billName;
        QString picturePath;
    };
    static WorkingPage workingPage();
    static void setWorkingTypeIndex(int index);

    // Creates the bill (type index, name) from the working template and raises the type's count.
    // A bill of the same type and name is replaced in the same transaction: its master-control
    // row and five tables go, the count stays; its picture file is deleted once the new bill is
    // committed. Returns true when a bill was replaced. Throws StoreError; then nothing changed.
    static bool createBill(BillStore& store, int typeIndex, const QString& name);
    // The same for a type named by the caller: a type the store lacks is added in the same
    // transaction, so that an import that fails leaves no new type behind.
    static bool createBillOfType(BillStore& store, const QString& typeName, const QString& name);

private:
    // typeIndex < 0: the type typeName is added first.
    static bool create(BillStore& store, int typeIndex, const QString& typeName, const QString& name);
};
