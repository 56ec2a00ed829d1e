#include "support/TempAppFolder.h"

#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>
#include <cstdlib>

namespace {
// The shared test server, or an empty URL when the tests run on the embedded store.
QString serverUrl() {
    if (qEnvironmentVariable("TARVEL_TEST_STORE") != QLatin1String("postgresql"))
        return {};
    const QString url = qEnvironmentVariable("TARVEL_TEST_PG_URL");
    if (url.isEmpty()) {
        if (qEnvironmentVariable("TARVEL_REQUIRE_POSTGRES") == QLatin1String("1")) {
            std::fprintf(stderr, "TARVEL_TEST_PG_URL is not set (scripts/start-postgres.sh prints it)\n");
            std::exit(1);
        }
        std::fprintf(stderr, "no PostgreSQL test server (TARVEL_TEST_PG_URL): skipped\n");
        std::exit(77);
    }
    return url;
}

// Runs a statement on the test server outside any store connection.
void onServer(const QString& url, const QString& sql) {
    const QString name = QStringLiteral("test-server-admin");
    {
        const QString failure = Database::openServer(Database::parseStoreUrl(url), name);
        if (!failure.isEmpty())
            qFatal("cannot reach the PostgreSQL test server: %s", qPrintable(failure));
        QSqlQuery query(QSqlDatabase::database(name, false));
        if (!query.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    }
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

int& schemaCounter() {
    static int n = 0;
    return n;
}
} // namespace

TempAppFolder::TempAppFolder(Store store) {
    Database::closeThreadConnections();
    AppPaths::setHome(m_dir.path());
    AppPaths::ensureFolders();
    Settings::setFile(QString());
    Settings::ensureExists();
    Clock::setFixed(QDateTime());
    const QString server = store == Store::Shared ? testServerUrl() : serverUrl();
    if (!server.isEmpty()) {
        // Each folder gets its own empty schema on the test server as its shared store.
        m_schema = QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(++schemaCounter());
        onServer(server, QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
        onServer(server, QStringLiteral("CREATE SCHEMA %1").arg(m_schema));
        QUrl url(server);
        QUrlQuery query(url);
        query.addQueryItem(QStringLiteral("options"), QStringLiteral("-csearch_path=") + m_schema);
        url.setQuery(query);
        m_storeUrl = url.toString();
    }
    Database::setStoreUrl(m_storeUrl);
    Schema::ensureDatabases();
}

TempAppFolder::~TempAppFolder() {
    Database::closeThreadConnections();
    if (!m_schema.isEmpty())
        onServer(testServerUrl(), QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
    Database::setStoreUrl(QString());
}

QString TempAppFolder::path() const {
    return AppPaths::home();
}

QString TempAppFolder::file(const QString& relative) const {
    return AppPaths::home() + relative;
}

QString TempAppFolder::storeUrl() const {
    return m_storeUrl;
}

bool TempAppFolder::shared() const {
    return !m_storeUrl.isEmpty();
}

QString testServerUrl() {
    return qEnvironmentVariable("TARVEL_TEST_PG_URL");
}

bool testingSharedStore() {
    return qEnvironmentVariable("TARVEL_TEST_STORE") == QLatin1String("postgresql");
}

QString testData(const QString& relative) {
    return QStringLiteral(TARVEL_TEST_DATA "/") + relative;
}
