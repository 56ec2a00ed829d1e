#pragma once

#include <QString>

// Every file the program keeps lives below one application folder. All folder names carry a
// trailing separator.
namespace AppPaths {

// The application folder: the folder given with --home; else the executable's folder when it is
// writable and already holds a DataBase folder (a build or an unpacked copy); else the user's
// data folder, as for an installed program.
QString chooseHome(const QString& homeOption, const QString& executableDir, const QString& userDataDir);

void setHome(const QString& dir);
// The folder set with setHome, or the one chooseHome picks without --home.
QString home();
QString tmpDir();
QString pictureDir();
QString dataBaseDir();

QString billStoreFile();
QString defineStoreFile();
QString backupStoreFile();
QString settingsFile();
QString lockFile();

// A help page of the application folder, which takes the place of the built-in one.
QString helpFile();
// The practice cheque: beside the executable (a build or an unpacked copy), or in the installed
// share folder. Empty when found in neither.
QString sampleBillFile();

// Creates the tmp, picture and database folders when they are missing.
bool ensureFolders();

// Takes group and other access away from the application folder and the program's files in it
// (stores, pictures, tmp/, settings, lock) that belong to the user. Returns false when a change
// failed; the program goes on, as it did before.
bool restrictToOwner();

} // namespace AppPaths
