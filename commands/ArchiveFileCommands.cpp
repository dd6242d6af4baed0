#include "ArchiveFileCommands.h"

#include "ArchiveFile.h"
#include "BusyScope.h"
#include "CommandHost.h"
#include "platform/Desktop.h"
#include "platform/IoError.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;
using platform::MsgResult;

namespace {

// The target of Copy and Rename, chosen in the New Archive dialog under the
// command's title; empty when the dialog was cancelled or the user would not
// replace the file there.
QString PickTarget(TCommandHost &form, const QString &title) {
    const QString target = form.ChooseNewArchive(title);
    if (target.isEmpty() || ConfirmReplaceFile(target) == MsgResult::No)
        return QString();
    return target;
}

void ReportFileError(int error) {
    platform::ShowUnexpectedError(platform::IoErrorFromErrno(error).message);
}

} // namespace

MsgResult ConfirmReplaceFile(const QString &path) {
    if (!QFileInfo::exists(path))
        return MsgResult::None;
    return MessageDlg(QStringLiteral("The file \"") + path +
                          QStringLiteral("\" already exists. Do you want to replace this file?"),
                      MsgKind::Confirm, MsgButton::Yes | MsgButton::No);
}

bool RecycleFile(const QString &path) {
    if (!QFileInfo::exists(path))
        return false;
    return platform::SendToTrash(QDir::current().absoluteFilePath(path));
}

void CopyArchive1Click(TCommandHost &form) {
    const TBusyScope busy(form);
    const QString target = PickTarget(form, QStringLiteral("Copy Archive To"));
    if (target.isEmpty())
        return;
    const QString source = form.Session().ArchivePath();
    // Copying a file onto itself would only ever destroy it.
    if (platform::IsSameFile(source, target)) {
        platform::ShowUnexpectedError(QStringLiteral("The archive cannot be copied onto itself"));
        return;
    }
    if (const int error = commands::CopyFileSafely(source, target))
        ReportFileError(error);
}

void RenameArchive1Click(TCommandHost &form) {
    const TBusyScope busy(form);
    const QString target = PickTarget(form, QStringLiteral("Rename Archive To"));
    if (target.isEmpty())
        return;
    const QString old = form.Session().ArchivePath();
    // Moved first: when the move fails the archive stays open where it is,
    // listed as before.
    if (const int error = commands::MoveFileSafely(old, target)) {
        ReportFileError(error);
        return;
    }
    form.FileCloseMnClick();
    form.OpenZipFile(target, TArchiveView::TOpenMode::Chosen);
}

void FileDeleteMnClick(TCommandHost &form) {
    form.MultidiskOff();
    const TBusyScope busy(form);
    const MsgResult answer = MessageDlg(QStringLiteral("Are you sure you want to delete file\r\"") +
                                            form.Session().ArchivePath() + QStringLiteral("\"?"),
                                        MsgKind::Confirm, MsgButton::Yes | MsgButton::No);
    if (answer != MsgResult::Yes)
        return;
    // Closed only once the file is gone: a move the user declined or the
    // system refused (a read-only medium, reported by the trash itself)
    // leaves the archive where it is, and open.
    if (RecycleFile(form.Session().ArchivePath()))
        form.FileCloseMnClick();
}
