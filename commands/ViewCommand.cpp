#include "ViewCommand.h"

#include "ExtractCommands.h"
#include "MainForm.h"
#include "RowText.h"
#include "StaleListing.h"
#include "ViewEditWatch.h"
#include "ViewFolder.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"

#include <QScopeGuard>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

namespace {

QString TempFolderOf(const TMainFormFm &form) {
    return form.Settings.TempFolder.isEmpty() ? platform::TempPath() : form.Settings.TempFolder;
}

} // namespace

void RemoveStaleViewFoldersAtStart(TMainFormFm &form) {
    QTimer::singleShot(0, &form, [&form] {
        const TViewFolder base = ViewBaseFor(TempFolderOf(form), platform::TempPath());
        if (base.Error.isEmpty())
            RemoveStaleViewFolders(base.Folder);
    });
}

void SpdBtnViewClick(TMainFormFm &form) {
    if (form.SelectedCount() == 0 || ListedArchiveChanged(form))
        return;
    const QStringList selected = form.SelectedNames();
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

    {
        const bool extractPath = form.Settings.ExtractPath;
        const auto restore = qScopeGuard([&form, extractPath] {
            form.Settings.ExtractPath = extractPath;
            ApplyOverwriteSetting(form.Settings.Overwrite, form.MainZip);
        });
        // The entry lands straight in the folder, over any older copy.
        form.Settings.ExtractPath = false;
        form.MainZip.Overwrite = zowAlways;
        form.ZipResultSeen = false;
        ExtractFiles(form, view.Folder);
    }
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
                watch->Watch(target, selected.first(), form.MainZip.ZipFileName,
                             form.MainZip.Password);
            else
                watch->Forget(path);
        }
    }
    // Warnings included: whatever was reported, nothing is opened.
    if (form.ZipResultSeen)
        return;
    if (!platform::ShellOpened(platform::ShellOpen(target)))
        platform::ShellOpen(QStringLiteral("notepad.exe"), target);
}
