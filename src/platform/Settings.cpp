#include "platform/Settings.h"

#include "platform/AppPaths.h"

#include <QFileInfo>
#include <QSettings>

namespace {
QString g_file;
const QString kGroup = QStringLiteral("Tarvel智能票据打印");
} // namespace

namespace Settings {

void setFile(const QString& path) {
    g_file = path;
}

QString file() {
    return g_file.isEmpty() ? AppPaths::settingsFile() : g_file;
}

bool exists() {
    return QFileInfo::exists(file());
}

void ensureExists() {
    if (exists())
        return;
    QSettings s(file(), QSettings::IniFormat);
    s.beginGroup(kGroup);
    s.setValue(QStringLiteral("Company"), QString());
    s.setValue(QStringLiteral("UserName"), QString());
    s.endGroup();
    s.sync();
}

QString value(const QString& key) {
    if (!exists())
        return {};
    QSettings s(file(), QSettings::IniFormat);
    return s.value(kGroup + QLatin1Char('/') + key).toString();
}

bool setValue(const QString& key, const QString& v) {
    if (!exists())
        return false;
    QSettings s(file(), QSettings::IniFormat);
    s.setValue(kGroup + QLatin1Char('/') + key, v);
    s.sync();
    return s.status() == QSettings::NoError;
}

} // namespace Settings
