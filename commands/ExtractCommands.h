// Extract and Remove: the commands over the selected entries of the
// contents list, and ExtractFiles, which View and Create Group share.
#pragma once

#include "EntryRefs.h"

#include <QString>
#include <QStringList>

#include <optional>

class TMainFormFm;

// The stored names of the selected rows, in list order, become the engine's
// FilesToProcess, each standing for its row's entry alone (FilePositions);
// with nothing selected the engine's list is left alone.
void SelectedToFilesToProcess(TMainFormFm &form);
// The same for entries taken elsewhere (a drag names the entries it took
// when it started).
void EntriesToFilesToProcess(TMainFormFm &form, TEntryRefs entries);

// Asks for a target folder ("Select Directory") after the ConfirmExtract
// question and extracts the selection there. A DefaultExtractPath that
// cannot become the current folder ends it at once with the general error
// report (thrown as platform::IoError).
void EditExtractMnClick(TMainFormFm &form);

// Extracts the selected entries into `folder` by ExtractMethod (0 all,
// 1 freshen, 2 update; any other value runs nothing), with UsePaths from
// ExtractPath, inside its own busy state; the result is reported through
// ShowZipResult("extracting"). Returns the result class (0 when nothing ran).
// `entries`, when given, are extracted instead of the selection.
int ExtractFiles(TMainFormFm &form, const QString &folder,
                 const std::optional<TEntryRefs> &entries = std::nullopt);

// Removes the selected entries after the ConfirmRemove question and lists
// the archive again whatever the result; with nothing selected it does
// nothing at all.
void EditDeleteMnClick(TMainFormFm &form);
