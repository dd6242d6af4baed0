#include "ArchiveComment.h"

#include "ArchiveSession.h"
#include "ArchiveView.h"
#include "platform/MessageDlg.h"

void WriteArchiveComment(TArchiveSession &session, TArchiveView &view, const QString &text) {
    if (text == session.Comment())
        return;
    const bool current = view.ListingCurrent();
    const TSessionOutcome outcome = session.SetComment(text);
    view.KeepListingCurrent(current);
    // The old comment stays when the write fails: say so rather than let
    // the user believe it was saved.
    if (outcome.Code == ZipResultMultidisk && session.MultidiskMode())
        platform::MessageDlg(
            QStringLiteral("The comment cannot be changed on a multiple-disk archive."),
            platform::MsgKind::Error, platform::MsgButton::OK);
    else if (outcome.Code != ENGINE_OK)
        view.ShowZipResult(outcome.Code, QStringLiteral("writing the comment"));
}
