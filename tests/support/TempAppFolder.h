#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh application folder for one test: the store and definition database are created in it,
// settings point at its own file, and the calling thread's connections are reopened there. With
// TARVEL_TEST_STORE=postgresql the bill store is instead a fresh schema on the PostgreSQL server of
// TARVEL_TEST_PG_URL (the test is skipped without one, or fails when TARVEL_REQUIRE_POSTGRES=1).
class TempAppFolder {
public:
    // AsTested follows TARVEL_TEST_STORE; Shared always takes a schema of the test server (the
    // caller checks testServerUrl() first).
    enum class Store { AsTested, Shared };
    explicit TempAppFolder(Store store = Store::AsTested);
    ~TempAppFolder();
    QString path() const;
    // Path of a file below the folder.
    QString file(const QString& relative) const;
    // The shared store's URL, empty for the folder's own SQLite store.
    QString storeUrl() const;
    bool shared() const;

private:
    QTemporaryDir m_dir;
    QString m_schema;
    QString m_storeUrl;
};

// Data file path below tests/data.
QString testData(const QString& relative);

// The PostgreSQL test server's URL (TARVEL_TEST_PG_URL), empty when there is none.
QString testServerUrl();
// Skips the test without a server, or fails it where one is required (TARVEL_REQUIRE_POSTGRES=1).
#define REQUIRE_TEST_SERVER()                                                                                \
    do {                                                                                                     \
        if (testServerUrl().isEmpty()) {                                                                     \
            if (qEnvironmentVariable("TARVEL_REQUIRE_POSTGRES") == QLatin1String("1"))                       \
                QFAIL("TARVEL_TEST_PG_URL is not set (scripts/start-postgres.sh prints it)");                \
            QSKIP("no PostgreSQL test server: set TARVEL_TEST_PG_URL");                                      \
        }                                                                                                    \
    } while (false)

// True when the tests run on a shared PostgreSQL store (TARVEL_TEST_STORE=postgresql).
bool testingSharedStore();
// For tests of the embedded store's own file (locks, journals, triggers, files beside it).
#define SKIP_ON_SHARED_STORE()                                                                               \
    do {                                                                                                     \
        if (testingSharedStore())                                                                            \
            QSKIP("concerns the embedded store's own file");                                                 \
    } while (false)
