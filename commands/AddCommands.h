// Putting files from disk into the open archive: Add, Update, and the
// routine that Add and dropped files share.
#pragma once

#include <QStringList>

class TArchiveSession;
class TArchiveView;
struct TSettings;

void EditAddMnClick(TArchiveSession &session, TArchiveView &view, const TSettings &settings);
// Adds the files (full paths, in this order) and re-lists the archive unless
// the add failed. The caller holds the busy state.
void AddFilesToZip(TArchiveSession &session, TArchiveView &view, const TSettings &settings,
                   const QStringList &files);
void EditUpdateMnClick(TArchiveSession &session, TArchiveView &view, const TSettings &settings);
