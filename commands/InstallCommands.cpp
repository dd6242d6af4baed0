#include "InstallCommands.h"

#include "AddCommands.h"
#include "ArchiveFileCommands.h"
#include "DropCommand.h"
#include "EngineEvents.h"
#include "EntryDrag.h"
#include "ExtractCommands.h"
#include "MainForm.h"
#include "TestFixCommands.h"
#include "ViewCommand.h"
#include "ViewEditWatch.h"

void InstallCommands(TMainFormFm &form) {
    BindEngineEvents(form);
    InstallEntryDrag(form);
    TMainFormFm *f = &form;
    // The commands that change the archive refuse one that is only read.
    const auto changing = [f](void (*command)(TMainFormFm &)) {
        return [f, command] {
            if (!f->RefuseReadOnly())
                command(*f);
        };
    };
    form.SetCommandHandler(QStringLiteral("AbortSb"), [f] { AbortSbClick(*f); });
    form.SetCommandHandler(QStringLiteral("EditExtractMn"), [f] { EditExtractMnClick(*f); });
    form.SetCommandHandler(QStringLiteral("EditDeleteMn"), changing(EditDeleteMnClick));
    form.SetCommandHandler(QStringLiteral("EditView1"), [f] { SpdBtnViewClick(*f); });
    form.SetCommandHandler(QStringLiteral("EditAddMn"), changing(EditAddMnClick));
    form.SetCommandHandler(QStringLiteral("EditUpdateMn"), changing(EditUpdateMnClick));
    form.SetCommandHandler(QStringLiteral("FileDrag1"), [f] { FileDrag1Drop(*f); });
    form.SetCommandHandler(QStringLiteral("FileTestMn"), [f] { FileTestMnClick(*f); });
    form.SetCommandHandler(QStringLiteral("FixNormal1"), [f] { FixNormal1Click(*f); });
    form.SetCommandHandler(QStringLiteral("FixAgressive1"), [f] { FixAgressive1Click(*f); });
    form.SetCommandHandler(QStringLiteral("EditUpdateZIPDateMn"),
                           changing(EditUpdateZIPDateMnClick));
    form.SetCommandHandler(QStringLiteral("CopyArchive1"), [f] { CopyArchive1Click(*f); });
    form.SetCommandHandler(QStringLiteral("RenameArchive1"), [f] { RenameArchive1Click(*f); });
    form.SetCommandHandler(QStringLiteral("FileDeleteMn"), [f] { FileDeleteMnClick(*f); });
    InstallViewEditWatch(form);
    RemoveStaleViewFoldersAtStart(form);
}
