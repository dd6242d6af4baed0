#include "ExtractCommands.h"

#include "ArchiveView.h"
#include "BusyScope.h"
#include "ExtractFiles.h"
#include "Settings.h"
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

void EditExtractMnClick(TArchiveSession &session, TArchiveView &view, const TSettings &settings) {
    const QString defaultPath = settings.DefaultExtractPath;
    if (!defaultPath.isEmpty() && ::chdir(QFile::encodeName(defaultPath).constData()) != 0)
        throw platform::IoError::fromErrno(errno);
    const QString proposed = QDir::currentPath();
    if (view.SelectedCount() > 0 && ListedArchiveChanged(session, view))
        return;

    if (view.SelectedCount() > 0 && settings.ConfirmExtract) {
        const QString question = QStringLiteral("You are about to Extract the selected file(s) "
                                                "from the ") +
                                 session.ArchivePath() +
                                 QStringLiteral(" Archive file.  The file(s) will be created on "
                                                "your disk drive.  Are you sure you want to do "
                                                "this?");
        if (MessageDlg(question, MsgKind::Confirm, MsgButton::Yes | MsgButton::No) == MsgResult::No)
            return;
    }

    const std::optional<QString> folder = platform::SelectDirectory(proposed);
    if (!folder)
        return;
    ExtractFiles(session, view, ExtractRequestFor(settings, *folder));
}

void EditDeleteMnClick(TArchiveSession &session, TArchiveView &view, const TSettings &settings) {
    if (view.SelectedCount() == 0 || ListedArchiveChanged(session, view))
        return;
    if (settings.ConfirmRemove) {
        const QString question =
            QStringLiteral("You have chosen to Remove the selected file(s) from the ") +
            session.ArchivePath() +
            QStringLiteral(" Archive file.  Are you sure you want to do this?");
        if (MessageDlg(question, MsgKind::Confirm, MsgButton::Yes | MsgButton::No) == MsgResult::No)
            return;
    }
    const TBusyScope busy(view);
    const TEntryRefs selected = view.SelectedEntries();
    view.SetStatusText(QStringLiteral("Deleting selected files."));
    TSessionOutcome outcome = session.Remove(selected);
    view.ShowOutcome(outcome, QStringLiteral("deleting"));
    // Whatever the result: the list shows what is really left.
    view.ListArchiveContents();
}
