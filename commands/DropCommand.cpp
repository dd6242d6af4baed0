#include "DropCommand.h"

#include "AddCommands.h"
#include "BusyScope.h"
#include "CommandHost.h"
#include "platform/MessageDlg.h"

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;
using platform::MsgResult;

void FileDrag1Drop(TCommandHost &form) {
    // A drop arrives while window events are dispatched, also from inside a
    // running operation; a second operation must not enter the engine then.
    if (form.IsBusy() || form.RefuseReadOnly())
        return;
    // Copied now: the New Archive dialog lets further drops replace the lists.
    const QStringList files = form.DroppedFiles();
    if (form.Session().ArchivePath().isEmpty() &&
        MessageDlg(QStringLiteral("You must Open an existing Archive or Create a new one before "
                                  "adding files.  Do you want to create a new archive file?"),
                   MsgKind::Information, MsgButton::Yes | MsgButton::No) == MsgResult::Yes)
        form.FileNewMnClick();
    if (form.Session().ArchivePath().isEmpty())
        return;
    const TBusyScope busy(form);
    AddFilesToZip(form.Session(), form, form.CurrentSettings(), files);
}
