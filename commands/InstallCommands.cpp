#include "InstallCommands.h"

#include "AddCommands.h"
#include "ArchiveFileCommands.h"
#include "CommandHost.h"
#include "DropCommand.h"
#include "EngineEvents.h"
#include "EntryDrag.h"
#include "ExtractCommands.h"
#include "TestFixCommands.h"
#include "ViewCommand.h"
#include "ViewEditWatch.h"

void InstallCommands(TCommandHost &form, TEngineSession &engine) {
    BindEngineEvents(engine, form);
    InstallEntryDrag(form);
    TCommandHost *f = &form;
    // The archive commands run over the window's session, its view and its
    // settings as they are when the item is chosen.
    using Command = void (*)(TArchiveSession &, TArchiveView &, const TSettings &);
    const auto run = [f](Command command) {
        return [f, command] { command(f->Session(), *f, f->CurrentSettings()); };
    };
    using Plain = void (*)(TArchiveSession &, TArchiveView &);
    const auto plain = [f](Plain command) { return [f, command] { command(f->Session(), *f); }; };
    // The commands that change the archive refuse one that is only read.
    const auto changing = [f](std::function<void()> command) {
        return [f, command = std::move(command)] {
            if (!f->RefuseReadOnly())
                command();
        };
    };
    form.SetCommandHandler(QStringLiteral("AbortSb"), [f] { AbortSbClick(f->Session()); });
    form.SetCommandHandler(QStringLiteral("EditExtractMn"), run(EditExtractMnClick));
    form.SetCommandHandler(QStringLiteral("EditDeleteMn"), changing(run(EditDeleteMnClick)));
    form.SetCommandHandler(QStringLiteral("EditView1"), [f] { SpdBtnViewClick(*f); });
    form.SetCommandHandler(QStringLiteral("EditAddMn"), changing(run(EditAddMnClick)));
    form.SetCommandHandler(QStringLiteral("EditUpdateMn"), changing(run(EditUpdateMnClick)));
    form.SetCommandHandler(QStringLiteral("FileDrag1"), [f] { FileDrag1Drop(*f); });
    form.SetCommandHandler(QStringLiteral("FileTestMn"), plain(FileTestMnClick));
    form.SetCommandHandler(QStringLiteral("FixNormal1"), plain(FixNormal1Click));
    form.SetCommandHandler(QStringLiteral("FixAgressive1"), plain(FixAgressive1Click));
    form.SetCommandHandler(QStringLiteral("EditUpdateZIPDateMn"),
                           changing(plain(EditUpdateZIPDateMnClick)));
    form.SetCommandHandler(QStringLiteral("CopyArchive1"), [f] { CopyArchive1Click(*f); });
    form.SetCommandHandler(QStringLiteral("RenameArchive1"), [f] { RenameArchive1Click(*f); });
    form.SetCommandHandler(QStringLiteral("FileDeleteMn"), [f] { FileDeleteMnClick(*f); });
    InstallViewEditWatch(form);
    RemoveStaleViewFoldersAtStart(form);
}
