#include "support/TempAppFolder.h"

#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "store/Database.h"
#include "store/Schema.h"

TempAppFolder::TempAppFolder() {
    Database::closeThreadConnections();
    AppPaths::setHome(m_dir.path());
    AppPaths::ensureFolders();
    Settings::setFile(QString());
    Settings::ensureExists();
    Clock::setFixed(QDateTime());
    Schema::ensureDatabases();
}

TempAppFolder::~TempAppFolder() {
    Database::closeThreadConnections();
}

QString TempAppFolder::path() const {
    return AppPaths::home();
}

QString TempAppFolder::file(const QString& relative) const {
    return AppPaths::home() + relative;
}

QString testData(const QString& relative) {
    return QStringLiteral(TARVEL_TEST_DATA "/") + relative;
}
