#include "EngineEvents.h"

#include "EngineMessages.h"
#include "MainForm.h"
#include "platform/MessageDlg.h"

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;
using platform::MsgResult;

namespace {

void ShowFileProgress(TMainFormFm &form, const char *word, const QString &fileName) {
    form.SetStatusText(FileProgressText(QString::fromLatin1(word), fileName));
    form.SetProgressPosition(0);
}

} // namespace

void MainZipAdding(TMainFormFm &form, const TZipFileStats &stats) {
    ShowFileProgress(form, "Adding", stats.FileName);
}

void MainZipDeleting(TMainFormFm &form, const QString &fileName) {
    ShowFileProgress(form, "Deleting", fileName);
}

void MainZipExtracting(TMainFormFm &form, const TZipFileStats &stats) {
    ShowFileProgress(form, "Extracting", stats.FileName);
}

void MainZipFixing(TMainFormFm &form, const QString &fileName) {
    ShowFileProgress(form, "Fixing", fileName);
}

void MainZipTesting(TMainFormFm &form, const TZipFileStats &stats) {
    ShowFileProgress(form, "Testing", stats.FileName);
}

void MainZipUpdating(TMainFormFm &form, const TZipFileStats &stats) {
    ShowFileProgress(form, "Updating", stats.FileName);
}

void MainZipStatus(TMainFormFm &form, const TZipFileStats &stats) {
    form.SetProgressPosition(stats.PercentDone);
}

void MainZipSkippingFile(TMainFormFm &form, const TZipSkipping &skipping) {
    // The operation goes on with the next file; the result code reports the skips.
    MessageDlg(SkippingText(form.TestRunning, skipping.FileName, skipping.Reason), MsgKind::Warning,
               MsgButton::OK);
    form.SetProgressPosition(0);
}

void MainZipReplace(TZipEngine &engine, TZipReplace &replace) {
    const MsgResult answer = MessageDlg(ReplaceQuestion(replace.FileName), MsgKind::Confirm,
                                        MsgButton::Yes | MsgButton::No | MsgButton::Abort);
    if (answer == MsgResult::Yes)
        replace.DoReplace = 1;
    else if (answer == MsgResult::No)
        replace.DoReplace = 0;
    else // Abort, or the box closed from its title bar
        engine.Abort = true;
}

void MainZipNewdisk(TZipEngine &engine, std::int32_t disknumber) {
    if (MessageDlg(NewdiskText(disknumber), MsgKind::Confirm, MsgButton::OK | MsgButton::Cancel) !=
        MsgResult::OK)
        engine.Abort = true;
}

void AbortSbClick(TMainFormFm &form) {
    if (MessageDlg(QStringLiteral("Are you sure you want to abort the current process?"),
                   MsgKind::Warning, MsgButton::OK | MsgButton::Cancel) == MsgResult::OK)
        form.MainZip.Abort = true;
}

void BindEngineEvents(TMainFormFm &form) {
    TZipEngine &zip = form.MainZip;
    TMainFormFm *f = &form;
    zip.OnAdding = [f](TZipEngine &, const TZipFileStats &s) { MainZipAdding(*f, s); };
    zip.OnDeleting = [f](TZipEngine &, const QString &name) { MainZipDeleting(*f, name); };
    zip.OnExtracting = [f](TZipEngine &, const TZipFileStats &s) { MainZipExtracting(*f, s); };
    zip.OnFixing = [f](TZipEngine &, const QString &name) { MainZipFixing(*f, name); };
    zip.OnTesting = [f](TZipEngine &, const TZipFileStats &s) { MainZipTesting(*f, s); };
    zip.OnUpdating = [f](TZipEngine &, const TZipFileStats &s) { MainZipUpdating(*f, s); };
    zip.OnStatus = [f](TZipEngine &, const TZipFileStats &s) { MainZipStatus(*f, s); };
    zip.OnSkippingFile = [f](TZipEngine &, const TZipSkipping &s) { MainZipSkippingFile(*f, s); };
    zip.OnReplace = MainZipReplace;
    zip.OnNewdisk = MainZipNewdisk;
}
