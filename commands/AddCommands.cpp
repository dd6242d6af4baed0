#include "AddCommands.h"

#include "BusyScope.h"
#include "EngineResultText.h"
#include "MainForm.h"
#include "platform/MessageDlg.h"

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;
using platform::MsgResult;

void EditAddMnClick(TMainFormFm &form) {
    if (form.Settings.ConfirmAdd &&
        MessageDlg(QStringLiteral("You are about to Add one or more files to the ") +
                       form.MainZip.ZipFileName +
                       QStringLiteral(" Archive file.  Are you sure you want to do this?"),
                   MsgKind::Confirm, MsgButton::Yes | MsgButton::No) == MsgResult::No)
        return;
    const TBusyScope busy(form);
    const QStringList files = form.ChooseFilesToAdd();
    if (!files.isEmpty())
        AddFilesToZip(form, files);
}

void AddFilesToZip(TMainFormFm &form, const QStringList &files) {
    form.MainZip.FilesToProcess = files;
    // Chosen or dropped files, never patterns.
    form.MainZip.LiteralNames = true;
    form.SetStatusText(QStringLiteral("Adding selected files."));
    form.MainZip.UsePaths = form.Settings.StorePath;
    const int code = form.MainZip.AddToArchive(0);
    if (form.ShowZipResult(code, QStringLiteral("adding")) == ResultFailed)
        return;
    if (form.MainZip.MultidiskMode)
        MessageDlg(QStringLiteral("Add operation completed.  To test the archive, you must close "
                                  "it first, then select the test option from the file menu."),
                   MsgKind::Information, MsgButton::OK);
    form.ListArchiveContents();
}

void EditUpdateMnClick(TMainFormFm &form) {
    form.MultidiskOff();
    const TBusyScope busy(form);
    const QStringList files = form.ChooseFilesToAdd();
    if (files.isEmpty())
        return;
    form.MainZip.FilesToProcess = files;
    form.MainZip.LiteralNames = true;
    form.SetStatusText(QStringLiteral("Updating files."));
    form.MainZip.UsePaths = form.Settings.StorePath;
    const int code = form.MainZip.AddToArchive(2);
    if (form.ShowZipResult(code, QStringLiteral("updating")) != ResultFailed)
        form.ListArchiveContents();
}
