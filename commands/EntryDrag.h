// Dragging entries out of the contents list onto the file manager, the
// desktop or another program: the drag offers the entries as local files
// (text/uri-list), extracted through ExtractFiles as the drag starts, into
// a fresh folder of its own inside the view folder (ViewFolder.h). A target
// asks for the files only once it has been dropped on, and then waits for
// the answer: extracted beforehand, with the progress bar and Abort, the
// answer is at hand and no box can come up while the target waits. What
// was extracted for drags is removed when the window goes, as View's
// copies are; what no target took, at once.
#pragma once

#include "EntryRefs.h"

#include <QStringList>
#include <Qt>

#include <functional>

class QMimeData;
class TCommandHost;

// The entries one drag extracts: the selected ones and, for a selected
// folder entry (a name ending in "/"), every entry `below` it; each once.
TEntryRefs DragEntries(const TEntryRefs &selected,
                       const std::function<TEntryRefs(const QString &folder)> &below);

// What the drag offers, as paths below the folder its entries were
// extracted into with their stored folders. With ExtractPath on, the
// topmost part of each selected name, so that everything keeps its stored
// path below the drop point. Off, each selected entry itself, a folder
// with what lies below it, unless it lies in another selected folder. A
// name the engine would not extract (absolute, "..", a drive) offers
// nothing.
QStringList DragItems(const QStringList &selected, bool extractPath);

// Extracts the selected entries (with what lies below selected folders)
// into a fresh folder and returns the data to offer, or null: while the
// window is busy, without a selection, and when the extraction failed, was
// aborted or skipped an entry, whose folder is then removed at once (the
// result was reported as any extraction's). The extraction keeps stored
// folders and extracts all, whatever ExtractPath and ExtractMethod say.
QMimeData *NewEntryDragData(TCommandHost &form);

// The drag of the last data made ended with `done`; one that no target
// took (Qt::IgnoreAction) leaves nothing behind.
void EntryDragEnded(TCommandHost &form, Qt::DropAction done);

// The folders extracted for drags so far, removed with the window.
QStringList DragFolders(TCommandHost &form);

// Lets the contents list start drags of its selected rows.
void InstallEntryDrag(TCommandHost &form);
