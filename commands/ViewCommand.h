// View: opens the first selected entry with the desktop's application for
// its type, from a copy extracted into the temporary folder.
#pragma once

class TCommandHost;

// Extracts the selected entries, without their stored folders and replacing
// older copies without a question, into the view folder (ViewFolder.h),
// whatever ExtractPath and the Overwrite setting say. Unless the extraction reported anything, the
// first selected entry's copy joins TempFiles, is watched for edits to put back (ViewEditWatch.h)
// and is opened by the shell, or by the text editor
// ("notepad.exe") when the shell cannot. With nothing selected it
// does nothing.
void SpdBtnViewClick(TCommandHost &form);

// Once the window has its settings: removes the view folders that instances
// no longer running left in the view folder's base (ViewFolder.h).
void RemoveStaleViewFoldersAtStart(TCommandHost &form);
