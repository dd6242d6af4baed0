#include "ExtractFiles.h"

#include "ArchiveView.h"
#include "BusyScope.h"
#include "Settings.h"

TExtractRequest ExtractRequestFor(const TSettings &settings, const QString &folder) {
    TExtractRequest request;
    request.Folder = folder;
    request.UsePaths = settings.ExtractPath;
    // The stored value may come from an edited profile.
    if (settings.ExtractMethod >= 0 && settings.ExtractMethod <= 2)
        request.Method = static_cast<TZipExtractMode>(settings.ExtractMethod);
    else
        request.Method.reset();
    return request;
}

TSessionOutcome ExtractFiles(TArchiveSession &session, TArchiveView &view,
                             TExtractRequest request) {
    const TBusyScope busy(view);
    if (request.Entries.isEmpty())
        request.Entries = view.SelectedEntries();
    view.SetStatusText(QStringLiteral("Extracting selected files."));
    TSessionOutcome outcome = session.Extract(request);
    if (request.Method)
        view.ShowOutcome(outcome, QStringLiteral("extracting"));
    return outcome;
}
