// Putting files from disk into the open archive: Add, Update, and the
// routine that Add and dropped files share.
#pragma once

#include <QStringList>

class TMainFormFm;

void EditAddMnClick(TMainFormFm &form);
// Adds the files (full paths, in this order) and re-lists the archive unless
// the add failed. The caller holds the busy state.
void AddFilesToZip(TMainFormFm &form, const QStringList &files);
void EditUpdateMnClick(TMainFormFm &form);
