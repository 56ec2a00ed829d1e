#pragma once

#include <QString>

// The application's own settings (the chosen printer, the owner's company and user name), kept in
// an INI file in the application folder so that the whole installation can be moved.
namespace Settings {

// Points the settings at another file (tests); empty restores the file of the application folder.
void setFile(const QString& path);
QString file();

// Creates the settings file with empty "Company" and "UserName" when it does not exist yet.
void ensureExists();
bool exists();

QString value(const QString& key);
// Writes only when the settings file exists, as the program never creates its key on its own.
bool setValue(const QString& key, const QString& value);

inline QString printer() {
    return value(QStringLiteral("Printer"));
}

} // namespace Settings
