#pragma once

#include <QFileDevice>
#include <QString>

// The store holds bank accounts, payees and the whole print history, so what the program keeps is
// readable by its owner only: folders 0700, files 0600. Files the operator exports to a place of
// his choosing (spreadsheets, PDF, definition files) keep the user's umask instead.
namespace FileModes {

// Every file and folder the process creates from now on is owner-only (umask 077). The user's
// own umask is remembered for exports. Called first thing at start.
void createOwnerOnly();

// The permissions a newly exported file gets: 0666 less the user's umask.
QFileDevice::Permissions exportPermissions();

// Owner-only permissions for a file (0600).
constexpr QFileDevice::Permissions ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Takes group and other access away from a file or folder that belongs to the user. Symbolic
// links and what other users own are left alone. Returns false when a change failed.
bool makeOwnerOnly(const QString& path);

// makeOwnerOnly on a folder and everything below it (links are not followed).
bool makeTreeOwnerOnly(const QString& folder);

} // namespace FileModes
