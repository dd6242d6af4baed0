#include "ViewCommand.h"

#include "CommandHost.h"
#include "ExtractFiles.h"
#include "RowText.h"
#include "StaleListing.h"
#include "ViewEditWatch.h"
#include "ViewFolder.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <stdexcept>

namespace {

QString TempFolderOf(TCommandHost &form) {
    return form.CurrentSettings().TempFolder.isEmpty() ? platform::TempPath()
                                                       : form.CurrentSettings().TempFolder;
}

} // namespace

void RemoveStaleViewFoldersAtStart(TCommandHost &form) {
    QTimer::singleShot(0, &form.Window(), [&form] {
        const TViewFolder base = ViewBaseFor(TempFolderOf(form), platform::TempPath());
        if (base.Error.isEmpty())
            RemoveStaleViewFolders(base.Folder);
    });
}

void SpdBtnViewClick(TCommandHost &form) {
    if (form.SelectedCount() == 0 || ListedArchiveChanged(form.Session(), form))
        return;
    const QStringList selected = form.SelectedEntries().Names;
    const QString fileName = StoredNameFilePart(selected.first());

    const TViewFolder view = ViewFolderFor(TempFolderOf(form), platform::TempPath());
    if (!view.Error.isEmpty())
        throw std::runtime_error(view.Error.toStdString());
    const QString target = view.Folder + QLatin1Char('/') + fileName;
    // Every selected entry lands in the folder, not only the one opened.
    QStringList names;
    for (const QString &stored : selected) {
        const QString name = StoredNameFilePart(stored);
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    const TViewCopies copies(view.Folder, names);

    // The entry lands straight in the folder, over any older copy.
    TExtractRequest request = ExtractRequestFor(form.CurrentSettings(), view.Folder);
    request.UsePaths = false;
    request.Overwrite = zowAlways;
    const TSessionOutcome outcome = ExtractFiles(form.Session(), form, request);
    // What the extraction wrote goes when the window closes, whatever it
    // reported; what it did not write is never deleted.
    const QStringList written = copies.Written();
    for (const QString &path : written)
        form.AddTempFile(path);
    // Seen as the extraction left it, before any program can change it; a
    // copy written again is not an edit to put back, and holds another
    // entry now when another selected entry had its file name. Where two
    // selected entries share the file name, the copy may hold either one:
    // it is not put back under a name that may not be its own.
    const auto sameName = [&fileName](const QString &stored) {
        return StoredNameFilePart(stored) == fileName;
    };
    if (TViewEditWatch *watch = TViewEditWatch::Of(form)) {
        for (const QString &path : written) {
            if (path == target && std::count_if(selected.begin(), selected.end(), sameName) == 1)
                watch->Watch(target, selected.first(), form.Session().ArchivePath(),
                             form.Session().Password());
            else
                watch->Forget(path);
        }
    }
    // Warnings included: whatever was reported, nothing is opened.
    if (outcome.Reported)
        return;
    if (!platform::ShellOpened(platform::ShellOpen(target)))
        platform::ShellOpen(QStringLiteral("notepad.exe"), target);
}
