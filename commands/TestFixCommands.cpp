#include "TestFixCommands.h"

#include "BusyScope.h"
#include "EngineResultText.h"
#include "KeptOriginal.h"
#include "MainForm.h"
#include "platform/MessageDlg.h"

#include <QScopeGuard>

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;

namespace {

void Inform(const QString &text) {
    MessageDlg(text, MsgKind::Information, MsgButton::OK);
}

} // namespace

void FileTestMnClick(TMainFormFm &form) {
    const TBusyScope busy(form);
    const QString path = form.ChooseArchive(QStringLiteral("Test Archive"));
    if (path.isEmpty())
        return;
    // The archive is borrowed for the test only: the window stays without one.
    form.MainZip.ZipFileName = path;
    const auto giveBack = qScopeGuard([&form] {
        form.TestRunning = false;
        form.MainZip.ZipFileName.clear();
    });
    form.SetStatusText(QStringLiteral("Testing archive ") + path);
    form.TestRunning = true;
    const int result = form.MainZip.TestArchive();
    form.TestRunning = false;
    if (result == ENGINE_OK)
        Inform(QStringLiteral("All files in the archive are OK."));
    else if (result == ENGINE_SOME_SKIPPED)
        Inform(
            QStringLiteral("All files tested in the archive are OK.\r(Some files were skipped)"));
    else
        form.ShowZipResult(result, QStringLiteral("testing"));
}

void FixNormal1Click(TMainFormFm &form) {
    form.MultidiskOff();
    FixArchiveCommand(form, false);
}

void FixAgressive1Click(TMainFormFm &form) {
    form.MultidiskOff();
    FixArchiveCommand(form, true);
}

void FixArchiveCommand(TMainFormFm &form, bool aggressive) {
    const TBusyScope busy(form);
    const QString path = form.ChooseArchive(QStringLiteral("Fix Archive"));
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
    form.MainZip.ZipFileName = path;
    const auto giveBack = qScopeGuard([&form] { form.MainZip.ZipFileName.clear(); });
    const int result = form.MainZip.FixArchive(aggressive);
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
        form.MainZip.EntryCount();
        if (form.RefuseReadOnly())
            return;
    }
    if (result == ENGINE_OK)
        Inform(QStringLiteral("The specified Zip file has been fixed."));
    else if (const QString corrupted = TooCorruptedToFixText(result); !corrupted.isEmpty())
        Inform(corrupted);
    else
        form.ShowZipResult(result, QStringLiteral("fixing"));
}

void EditUpdateZIPDateMnClick(TMainFormFm &form) {
    form.MultidiskOff();
    const TBusyScope busy(form);
    form.SetStatusText(QStringLiteral("Updating ZIP date."));
    const bool current = form.ListingCurrent();
    const int result = form.MainZip.UpdateArchiveDate();
    form.KeepListingCurrent(current);
    form.ShowZipResult(result, QStringLiteral("updating zip date"));
}
