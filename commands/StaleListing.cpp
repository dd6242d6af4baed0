#include "StaleListing.h"

#include "ArchiveView.h"
#include "BusyScope.h"
#include "platform/FileStamp.h"
#include "platform/MessageDlg.h"

bool ListedArchiveChanged(TArchiveSession &session, TArchiveView &view) {
    if (view.ListingCurrent() || !platform::FileStampOf(session.ArchivePath()).Exists)
        return false;
    {
        const TBusyScope busy(view);
        view.ListArchiveContents();
    }
    platform::MessageDlg(QStringLiteral("The archive ") + session.ArchivePath() +
                             QStringLiteral(" has changed since it was listed. The list has "
                                            "been read again; select the files again."),
                         platform::MsgKind::Warning, platform::MsgButton::OK);
    return true;
}
