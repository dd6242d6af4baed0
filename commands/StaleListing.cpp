#include "StaleListing.h"

#include "BusyScope.h"
#include "MainForm.h"
#include "platform/FileStamp.h"
#include "platform/MessageDlg.h"

bool ListedArchiveChanged(TMainFormFm &form) {
    if (form.ListingCurrent() || !platform::FileStampOf(form.MainZip.ZipFileName).Exists)
        return false;
    {
        const TBusyScope busy(form);
        form.ListArchiveContents();
    }
    platform::MessageDlg(QStringLiteral("The archive ") + form.MainZip.ZipFileName +
                             QStringLiteral(" has changed since it was listed. The list has "
                                            "been read again; select the files again."),
                         platform::MsgKind::Warning, platform::MsgButton::OK);
    return true;
}
