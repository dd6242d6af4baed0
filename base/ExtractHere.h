// Where "Extract Here" puts an archive's entries. Entries that all sit
// under one top-level name (a single folder, or a single file) go straight
// into the folder beside the archive; anything else goes into a new folder
// named for the archive, so that no archive scatters its files among the
// user's own. The window's file-manager actions and `tarnwick-cli extract
// --here` both ask this.
#pragma once

#include <QString>
#include <QStringList>

class TZipEngine;

// The folder name an archive's entries get: its file name without the
// archive suffix ("photos.zip" and "photos.tar.gz" give "photos"). A name
// with nothing to take off gets ".d", so it never names the archive itself.
QString ArchiveFolderName(const QString &archivePath);

// True when every entry name starts with the same component ("./" and
// leading "/" ignored); false for no entries at all.
bool HasSingleTopLevel(const QStringList &entryNames);

struct TExtractHerePlan {
    int Code = 0;           // the listing's result code; the plan holds only when 0
    QString Directory;      // where the entries go
    bool NewFolder = false; // Directory is the folder named for the archive
};

// Lists the archive with `engine` (its ZipFileName, Password and
// MultidiskMode as set; FilesToProcess is emptied) and decides. `base` is
// the folder "here" means; empty: the archive's own folder.
TExtractHerePlan PlanExtractHere(TZipEngine &engine, const QString &base = QString());
