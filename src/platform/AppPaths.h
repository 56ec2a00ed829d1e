#pragma once

#include <QString>

// Every file the program keeps lives below one application folder: the folder of the executable
// unless --home names another one. All folder names carry a trailing separator.
namespace AppPaths {

void setHome(const QString& dir);
QString home();
QString tmpDir();
QString pictureDir();
QString dataBaseDir();

QString billStoreFile();
QString defineStoreFile();
QString backupStoreFile();
QString settingsFile();
QString lockFile();
QString helpFile();

// Creates the tmp, picture and database folders when they are missing.
bool ensureFolders();

// Takes group and other access away from the application folder and the program's files in it
// (stores, pictures, tmp/, settings, lock) that belong to the user. Returns false when a change
// failed; the program goes on, as it did before.
bool restrictToOwner();

} // namespace AppPaths
