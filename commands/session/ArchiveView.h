// TArchiveView: what a command needs of the window that runs it. The
// window implements it; the command tests answer it with a fake, so that a
// command's rules run without a window or an engine.
#pragma once

#include "ArchiveSession.h"
#include "EngineResultText.h"
#include "EntryRefs.h"

#include <QString>
#include <QStringList>

class TArchiveView {
public:
    virtual ~TArchiveView() = default;

    // The busy state around a command, nesting; commands hold it through
    // TBusyScope, which leaves it on every way out.
    virtual void SetBusy(bool leaving) = 0;
    virtual bool IsBusy() const = 0;
    // Shows an operation's result as the designed box, if it has one, and
    // marks the outcome reported when the user has been told something.
    virtual TResultClass ShowOutcome(TSessionOutcome &outcome, const QString &verb) = 0;
    // The same for a bare result code, whose outcome nobody keeps.
    TResultClass ShowZipResult(int code, const QString &verb) {
        TSessionOutcome outcome;
        outcome.Code = code;
        return ShowOutcome(outcome, verb);
    }
    // True, after saying so, when the open archive is of a format the
    // engine only reads: every command that would change it asks first.
    virtual bool RefuseReadOnly() = 0;
    // Panel 0 of the status bar and the progress bar's position.
    virtual void SetStatusText(const QString &text) = 0;
    virtual void SetProgressPosition(int position) = 0;
    // Switches the engine's multidisk mode off and unchecks its menu item.
    virtual void MultidiskOff() = 0;

    // --- the contents list
    // The selected rows, in list order.
    virtual TEntryRefs SelectedEntries() const = 0;
    virtual int SelectedCount() const = 0;
    // Every row below `folder` (a stored name ending in "/"), in list order.
    virtual TEntryRefs EntriesBelow(const QString &folder) const = 0;

    // --- the open archive
    // How a path becomes the open archive. Quiet (the command line, a recent
    // item, the archive browser): the recent list stays as it is and a
    // listing failure without a message of its own goes unreported. Chosen
    // (Open, Rename Archive): the user picked the path, so it heads the
    // recent list and every listing failure is reported.
    enum class TOpenMode { Quiet, Chosen };
    // The one way an archive is opened: `path` becomes the open archive,
    // named in the caption, and is listed, inside a busy state of its own.
    // The path is not checked; a missing archive lists as empty.
    virtual void OpenZipFile(const QString &path, TOpenMode mode = TOpenMode::Quiet) = 0;
    virtual void ListArchiveContents() = 0;
    // Whether the open archive is still the file it was when it was last
    // listed: another program may have added or removed entries since, and
    // the rows would then stand for entries that are not there.
    virtual bool ListingCurrent() const = 0;
    // After a change of ours that leaves the entries as listed (the archive
    // date, the comment): the list stays current if it was before.
    virtual void KeepListingCurrent(bool wasCurrent) = 0;

    // --- the window's file dialogs, shown under the caller's title with an
    // empty name field; the dialogs themselves keep their own titles.
    // The chosen path for a new archive, empty when cancelled.
    virtual QString ChooseNewArchive(const QString &title) = 0;
    // An existing archive, starting in LastDirectory when there is one.
    virtual QString ChooseArchive(const QString &title) = 0;
    // The files to add, none when cancelled.
    virtual QStringList ChooseFilesToAdd() = 0;
};
