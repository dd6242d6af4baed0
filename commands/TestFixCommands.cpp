#include "TestFixCommands.h"

#include "ArchiveView.h"
#include "BusyScope.h"
#include "EngineResultText.h"
#include "KeptOriginal.h"
#include "platform/MessageDlg.h"

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;

namespace {

void Inform(const QString &text) {
    MessageDlg(text, MsgKind::Information, MsgButton::OK);
}

} // namespace

void FileTestMnClick(TArchiveSession &session, TArchiveView &view) {
    const TBusyScope busy(view);
    const QString path = view.ChooseArchive(QStringLiteral("Test Archive"));
    if (path.isEmpty())
        return;
    view.SetStatusText(QStringLiteral("Testing archive ") + path);
    TSessionOutcome outcome = session.Test(path);
    if (outcome.Code == ENGINE_OK)
        Inform(QStringLiteral("All files in the archive are OK."));
    else if (outcome.Code == ENGINE_SOME_SKIPPED)
        Inform(
            QStringLiteral("All files tested in the archive are OK.\r(Some files were skipped)"));
    else
        view.ShowOutcome(outcome, QStringLiteral("testing"));
}

void FixNormal1Click(TArchiveSession &session, TArchiveView &view) {
    view.MultidiskOff();
    FixArchiveCommand(session, view, false);
}

void FixAgressive1Click(TArchiveSession &session, TArchiveView &view) {
    view.MultidiskOff();
    FixArchiveCommand(session, view, true);
}

void FixArchiveCommand(TArchiveSession &session, TArchiveView &view, bool aggressive) {
    const TBusyScope busy(view);
    const QString path = view.ChooseArchive(QStringLiteral("Fix Archive"));
    if (path.isEmpty())
        return;
    // A repair leaves out what it cannot save: the damaged file goes to the
    // trash once the repaired one has its name, and without a way to keep
    // it nothing is repaired.
    commands::KeptOriginal original;
    if (!original.keep(path)) {
        MessageDlg(QStringLiteral("The specified Zip file was not fixed: no copy of it could be "
                                  "kept for the Trash."),
                   MsgKind::Error, MsgButton::OK);
        return;
    }
    TSessionOutcome outcome = session.Fix(path, aggressive);
    const int result = outcome.Code;
    if ((result == ENGINE_OK || result == ENGINE_SOME_SKIPPED) && !original.sendToTrash()) {
        QString kept = original.leaveBeside();
        if (kept.isEmpty()) {
            kept = original.path();
            original.release(); // never remove the only copy
        }
        MessageDlg(QStringLiteral("The damaged Zip file could not be moved to the Trash. It is "
                                  "kept as \"") +
                       kept + QStringLiteral("\"."),
                   MsgKind::Warning, MsgButton::OK);
    }
    // The repair takes an archive of another format for a ruined ZIP
    // archive; the reading engine knows better, and that is what is said.
    if (result == ENGINE_BAD_ARCHIVE) {
        if (const QString type = session.ReadOnlyTypeOf(path); !type.isEmpty()) {
            Inform(ReadOnlyArchiveText(path, type));
            return;
        }
    }
    if (result == ENGINE_OK)
        Inform(QStringLiteral("The specified Zip file has been fixed."));
    else if (const QString corrupted = TooCorruptedToFixText(result); !corrupted.isEmpty())
        Inform(corrupted);
    else
        view.ShowOutcome(outcome, QStringLiteral("fixing"));
}

void EditUpdateZIPDateMnClick(TArchiveSession &session, TArchiveView &view) {
    view.MultidiskOff();
    const TBusyScope busy(view);
    view.SetStatusText(QStringLiteral("Updating ZIP date."));
    const bool current = view.ListingCurrent();
    TSessionOutcome outcome = session.UpdateDate();
    view.KeepListingCurrent(current);
    view.ShowOutcome(outcome, QStringLiteral("updating zip date"));
}
