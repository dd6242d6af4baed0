// Extract and Remove: the commands over the selected entries of the
// contents list, and ExtractFiles, which View and Create Group share.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class TMainFormFm;

// The stored names of the selected rows, in list order, become the engine's
// FilesToProcess; with nothing selected the engine's list is left alone.
void SelectedToFilesToProcess(TMainFormFm &form);
// The same for stored names taken elsewhere (a drag names the entries it
// took when it started).
void NamesToFilesToProcess(TMainFormFm &form, QStringList names);

// Asks for a target folder ("Select Directory") after the ConfirmExtract
// question and extracts the selection there. A DefaultExtractPath that
// cannot become the current folder ends it at once with the general error
// report (thrown as platform::IoError).
void EditExtractMnClick(TMainFormFm &form);

// Extracts the selected entries into `folder` by ExtractMethod (0 all,
// 1 freshen, 2 update; any other value runs nothing), with UsePaths from
// ExtractPath, inside its own busy state; the result is reported through
// ShowZipResult("extracting"). Returns the result class (0 when nothing ran).
// `names`, when given, are the stored names to extract instead of the
// selection's.
int ExtractFiles(TMainFormFm &form, const QString &folder,
                 const std::optional<QStringList> &names = std::nullopt);

// Removes the selected entries after the ConfirmRemove question and lists
// the archive again whatever the result; with nothing selected it does
// nothing at all.
void EditDeleteMnClick(TMainFormFm &form);
