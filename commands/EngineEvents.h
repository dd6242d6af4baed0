// The main window's handlers of MainZip's events during an operation: the
// file being worked on, the progress bar, skipped files, the replace and
// new-disk questions; and the abort button.
#pragma once

#include "ZipEngine.h"

class TMainFormFm;

// Binds every handler below to the events of form.MainZip (OnListing stays
// the window's own).
void BindEngineEvents(TMainFormFm &form);

void MainZipAdding(TMainFormFm &form, const TZipFileStats &stats);
void MainZipDeleting(TMainFormFm &form, const QString &fileName);
void MainZipExtracting(TMainFormFm &form, const TZipFileStats &stats);
void MainZipFixing(TMainFormFm &form, const QString &fileName);
void MainZipTesting(TMainFormFm &form, const TZipFileStats &stats);
void MainZipUpdating(TMainFormFm &form, const TZipFileStats &stats);
void MainZipStatus(TMainFormFm &form, const TZipFileStats &stats);
void MainZipSkippingFile(TMainFormFm &form, const TZipSkipping &skipping);
void MainZipReplace(TZipEngine &engine, TZipReplace &replace);
void MainZipNewdisk(TZipEngine &engine, std::int32_t disknumber);

// Asks before it requests the abort; the running operation stops at its next
// callback and its command reports code 190 as usual.
void AbortSbClick(TMainFormFm &form);
