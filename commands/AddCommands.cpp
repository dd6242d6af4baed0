#include "AddCommands.h"

#include "ArchiveView.h"
#include "BusyScope.h"
#include "EngineResultText.h"
#include "Settings.h"
#include "platform/MessageDlg.h"

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;
using platform::MsgResult;

void EditAddMnClick(TArchiveSession &session, TArchiveView &view, const TSettings &settings) {
    if (settings.ConfirmAdd &&
        MessageDlg(QStringLiteral("You are about to Add one or more files to the ") +
                       session.ArchivePath() +
                       QStringLiteral(" Archive file.  Are you sure you want to do this?"),
                   MsgKind::Confirm, MsgButton::Yes | MsgButton::No) == MsgResult::No)
        return;
    const TBusyScope busy(view);
    const QStringList files = view.ChooseFilesToAdd();
    if (!files.isEmpty())
        AddFilesToZip(session, view, settings, files);
}

void AddFilesToZip(TArchiveSession &session, TArchiveView &view, const TSettings &settings,
                   const QStringList &files) {
    view.SetStatusText(QStringLiteral("Adding selected files."));
    TSessionOutcome outcome = session.Add({files, true, TZipAddMode::Add, settings.StorePath});
    if (view.ShowOutcome(outcome, QStringLiteral("adding")) == ResultFailed)
        return;
    if (session.MultidiskMode())
        MessageDlg(QStringLiteral("Add operation completed.  To test the archive, you must close "
                                  "it first, then select the test option from the file menu."),
                   MsgKind::Information, MsgButton::OK);
    view.ListArchiveContents();
}

void EditUpdateMnClick(TArchiveSession &session, TArchiveView &view, const TSettings &settings) {
    view.MultidiskOff();
    const TBusyScope busy(view);
    const QStringList files = view.ChooseFilesToAdd();
    if (files.isEmpty())
        return;
    view.SetStatusText(QStringLiteral("Updating files."));
    TSessionOutcome outcome = session.Add({files, true, TZipAddMode::Update, settings.StorePath});
    if (view.ShowOutcome(outcome, QStringLiteral("updating")) != ResultFailed)
        view.ListArchiveContents();
}
