#include "EngineEvents.h"

#include "CommandHost.h"
#include "EngineMessages.h"
#include "EngineSession.h"
#include "platform/Desktop.h"
#include "platform/MessageDlg.h"

#include <QObject>
#include <QWidget>

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;
using platform::MsgResult;

namespace {

void ShowFileProgress(TArchiveView &view, const char *word, const QString &fileName) {
    view.SetStatusText(FileProgressText(QString::fromLatin1(word), fileName));
    view.SetProgressPosition(0);
}

// Lives as long as the window, whose session asks it.
class TWindowAnswerer : public QObject, public TMessageBoxAnswerer {
public:
    explicit TWindowAnswerer(TCommandHost &form)
        : QObject(&form.Window()), TMessageBoxAnswerer(form) {}
};

} // namespace

void MainZipAdding(TArchiveView &view, const TZipFileStats &stats) {
    ShowFileProgress(view, "Adding", stats.FileName);
}

void MainZipDeleting(TArchiveView &view, const QString &fileName) {
    ShowFileProgress(view, "Deleting", fileName);
}

void MainZipExtracting(TArchiveView &view, const TZipFileStats &stats) {
    ShowFileProgress(view, "Extracting", stats.FileName);
}

void MainZipFixing(TArchiveView &view, const QString &fileName) {
    ShowFileProgress(view, "Fixing", fileName);
}

void MainZipTesting(TArchiveView &view, const TZipFileStats &stats) {
    ShowFileProgress(view, "Testing", stats.FileName);
}

void MainZipUpdating(TArchiveView &view, const TZipFileStats &stats) {
    ShowFileProgress(view, "Updating", stats.FileName);
}

void MainZipStatus(TArchiveView &view, const TZipFileStats &stats) {
    view.SetProgressPosition(stats.PercentDone);
}

void TMessageBoxAnswerer::TellSkipped(const TZipSkipping &skipping, bool testing) {
    // The operation goes on with the next file; the result code reports the skips.
    MessageDlg(SkippingText(testing, skipping.FileName, skipping.Reason), MsgKind::Warning,
               MsgButton::OK);
    view_.SetProgressPosition(0);
}

TSessionAnswerer::TReplaceAnswer TMessageBoxAnswerer::AskReplace(const QString &fileName) {
    const MsgResult answer = MessageDlg(ReplaceQuestion(fileName), MsgKind::Confirm,
                                        MsgButton::Yes | MsgButton::No | MsgButton::Abort);
    if (answer == MsgResult::Yes)
        return TReplaceAnswer::Replace;
    if (answer == MsgResult::No)
        return TReplaceAnswer::Keep;
    return TReplaceAnswer::Abort; // Abort, or the box closed from its title bar
}

bool TMessageBoxAnswerer::AskNewDisk(std::int32_t diskNumber) {
    return MessageDlg(NewdiskText(diskNumber), MsgKind::Confirm,
                      MsgButton::OK | MsgButton::Cancel) == MsgResult::OK;
}

std::optional<QString> TMessageBoxAnswerer::AskPassword(const QString &fileName) {
    platform::TextQueryRequest request;
    request.caption = QStringLiteral("Password");
    request.prompt = QStringLiteral("Enter the password for %1:").arg(fileName);
    request.masked = true;
    const platform::TextQueryResult answer = platform::Desktop::current().textQuery(request);
    if (!answer.accepted)
        return std::nullopt;
    return answer.text;
}

void AbortSbClick(TArchiveSession &session) {
    if (MessageDlg(QStringLiteral("Are you sure you want to abort the current process?"),
                   MsgKind::Warning, MsgButton::OK | MsgButton::Cancel) == MsgResult::OK)
        session.Abort();
}

void BindEngineEvents(TEngineSession &session, TCommandHost &form) {
    TZipEngine &zip = session.MainZip;
    TArchiveView *v = &form;
    zip.OnAdding = [v](TZipEngine &, const TZipFileStats &s) { MainZipAdding(*v, s); };
    zip.OnDeleting = [v](TZipEngine &, const QString &name) { MainZipDeleting(*v, name); };
    zip.OnExtracting = [v](TZipEngine &, const TZipFileStats &s) { MainZipExtracting(*v, s); };
    zip.OnFixing = [v](TZipEngine &, const QString &name) { MainZipFixing(*v, name); };
    zip.OnTesting = [v](TZipEngine &, const TZipFileStats &s) { MainZipTesting(*v, s); };
    zip.OnUpdating = [v](TZipEngine &, const TZipFileStats &s) { MainZipUpdating(*v, s); };
    zip.OnStatus = [v](TZipEngine &, const TZipFileStats &s) { MainZipStatus(*v, s); };
    session.SetAnswerer(new TWindowAnswerer(form));
}
