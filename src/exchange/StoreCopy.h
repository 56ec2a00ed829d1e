#pragma once

#include <QString>

#include <functional>

// Moving a whole store between the folder's own SQLite store and a shared PostgreSQL store, by a
// backup of the source imported into the target. The target must be empty: no bill and no
// reference record. Pictures keep their file names.
namespace StoreCopy {

using Progress = std::function<void(qint64 done, qint64 total)>;

struct Result {
    int bills = 0;
    int references = 0;
};

// Copies the store at `fromUrl` into the store at `toUrl` (an empty URL is the application
// folder's own store). Throws StoreError with the reason; the target is then unchanged.
// Afterwards the program works on the target.
Result copy(const QString& fromUrl, const QString& toUrl, const Progress& progress = {});

// True when the current store holds no bill and no reference record.
bool currentStoreIsEmpty();

} // namespace StoreCopy
