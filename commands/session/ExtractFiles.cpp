#include "ExtractFiles.h"

#include "ArchiveView.h"
#include "BusyScope.h"
#include "Settings.h"

TExtractRequest ExtractRequestFor(const TSettings &settings, const QString &folder) {
    TExtractRequest request;
    request.Folder = folder;
    request.UsePaths = settings.ExtractPath;
    request.Method = settings.ExtractMethod;
    return request;
}

TSessionOutcome ExtractFiles(TArchiveSession &session, TArchiveView &view,
                             TExtractRequest request) {
    const TBusyScope busy(view);
    if (request.Entries.isEmpty())
        request.Entries = view.SelectedEntries();
    view.SetStatusText(QStringLiteral("Extracting selected files."));
    TSessionOutcome outcome = session.Extract(request);
    if (request.Method >= 0 && request.Method <= 2)
        view.ShowOutcome(outcome, QStringLiteral("extracting"));
    return outcome;
}
