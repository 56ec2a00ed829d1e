#include "platform/Settings.h"

#include "platform/AppPaths.h"

#include <QFileInfo>
#include <QUrl>

#include <QSettings>
#include <cstdlib>

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

namespace {
// Printer names may hold "/", "=" or a backslash, which the settings file gives a meaning of its own.
QString offsetKey(const QString& printer) {
    return QStringLiteral("PrinterOffset/") + QString::fromLatin1(QUrl::toPercentEncoding(printer));
}
} // namespace

PrinterOffset printerOffset(const QString& printer) {
    const QStringList parts = value(offsetKey(printer)).split(QLatin1Char(','));
    PrinterOffset offset;
    bool okX = false, okY = false;
    if (parts.size() == 2) {
        offset.x = parts.at(0).trimmed().toInt(&okX);
        offset.y = parts.at(1).trimmed().toInt(&okY);
    }
    // A value that is not two whole numbers of a sensible size is no calibration.
    constexpr int kLimit = 1000;
    if (!okX || !okY || std::abs(offset.x) > kLimit || std::abs(offset.y) > kLimit)
        return {};
    return offset;
}

bool setPrinterOffset(const QString& printer, PrinterOffset offset) {
    if (!exists())
        return false;
    QSettings s(file(), QSettings::IniFormat);
    const QString key = kGroup + QLatin1Char('/') + offsetKey(printer);
    if (offset == PrinterOffset{})
        s.remove(key);
    else
        s.setValue(key, QStringLiteral("%1,%2").arg(offset.x).arg(offset.y));
    s.sync();
    return s.status() == QSettings::NoError;
}

} // namespace Settings
