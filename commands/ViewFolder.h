// The folder the View command extracts into.
#pragma once

#include <QString>

struct TViewFolder {
    QString Folder; // without a trailing "/"; empty when Error is set
    QString Error;  // why the folder cannot be used, for the general error report
};

// `tempFolder` is the TempFolder setting, or the system's temporary folder
// when that is empty; one trailing "/" is dropped. The system's temporary
// folder is shared by every local user, so what is viewed from there goes
// into the user's private subfolder "tarnwick-UID" (made 0700; refused when
// something else of that name is there). A folder the user chose is used as
// it stands.
TViewFolder ViewFolderFor(const QString &tempFolder, const QString &systemTempFolder);

// Creates the private folder or checks the one that is there: a real folder
// (not a link) owned by this user, its mode narrowed to 0700.
TViewFolder PrivateFolder(const QString &path);
