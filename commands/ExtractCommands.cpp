#include "ExtractCommands.h"

#include "BusyScope.h"
#include "MainForm.h"
#include "StaleListing.h"
#include "platform/Desktop.h"
#include "platform/IoError.h"
#include "platform/MessageDlg.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <unistd.h>

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;
using platform::MsgResult;

void SelectedToFilesToProcess(TMainFormFm &form) {
    EntriesToFilesToProcess(form, form.SelectedEntries());
}

void EntriesToFilesToProcess(TMainFormFm &form, TEntryRefs entries) {
    if (entries.isEmpty())
        return;
    form.MainZip.FilesToProcess = std::move(entries.Names);
    // Each row stands for its own entry, whatever its name holds and
    // whichever other entries show the same name.
    form.MainZip.FilePositions = std::move(entries.Positions);
    form.MainZip.LiteralNames = true;
}

void EditExtractMnClick(TMainFormFm &form) {
    const QString defaultPath = form.Settings.DefaultExtractPath;
    if (!defaultPath.isEmpty() && ::chdir(QFile::encodeName(defaultPath).constData()) != 0)
        throw platform::IoError::fromErrno(errno);
    const QString proposed = QDir::currentPath();
    if (form.SelectedCount() > 0 && ListedArchiveChanged(form))
        return;

    if (form.SelectedCount() > 0 && form.Settings.ConfirmExtract) {
        const QString question = QStringLiteral("You are about to Extract the selected file(s) "
                                                "from the ") +
                                 form.MainZip.ZipFileName +
                                 QStringLiteral(" Archive file.  The file(s) will be created on "
                                                "your disk drive.  Are you sure you want to do "
                                                "this?");
        if (MessageDlg(question, MsgKind::Confirm, MsgButton::Yes | MsgButton::No) == MsgResult::No)
            return;
    }

    const std::optional<QString> folder = platform::SelectDirectory(proposed);
    if (!folder)
        return;
    ExtractFiles(form, *folder);
}

int ExtractFiles(TMainFormFm &form, const QString &folder,
                 const std::optional<TEntryRefs> &entries) {
    const TBusyScope busy(form);
    if (entries)
        EntriesToFilesToProcess(form, *entries);
    else
        SelectedToFilesToProcess(form);
    TZipEngine &zip = form.MainZip;
    zip.ExtractDirectory = folder;
    zip.UsePaths = form.Settings.ExtractPath;
    form.SetStatusText(QStringLiteral("Extracting selected files."));
    const int method = form.Settings.ExtractMethod;
    if (method < 0 || method > 2) {
        // Every operation empties the list when it ends; one that never
        // runs must too, or the next command would work on these names.
        zip.FilesToProcess = QStringList();
        zip.FilePositions = QList<std::int32_t>();
        zip.LiteralNames = false;
        return ENGINE_OK;
    }
    const int code = zip.ExtractFromArchive(static_cast<std::uint8_t>(method));
    return form.ShowZipResult(code, QStringLiteral("extracting"));
}

void EditDeleteMnClick(TMainFormFm &form) {
    if (form.SelectedCount() == 0 || ListedArchiveChanged(form))
        return;
    if (form.Settings.ConfirmRemove) {
        const QString question =
            QStringLiteral("You have chosen to Remove the selected file(s) from the ") +
            form.MainZip.ZipFileName +
            QStringLiteral(" Archive file.  Are you sure you want to do this?");
        if (MessageDlg(question, MsgKind::Confirm, MsgButton::Yes | MsgButton::No) == MsgResult::No)
            return;
    }
    const TBusyScope busy(form);
    SelectedToFilesToProcess(form);
    form.SetStatusText(QStringLiteral("Deleting selected files."));
    const int code = form.MainZip.DeleteFromArchive();
    form.ShowZipResult(code, QStringLiteral("deleting"));
    // Whatever the result: the list shows what is really left.
    form.ListArchiveContents();
}
