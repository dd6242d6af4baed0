// The window's side of a running operation: the file being worked on and
// the progress bar; the questions as message boxes; and the abort button.
#pragma once

#include "SessionAnswerer.h"
#include "ZipEngine.h"

class TArchiveSession;
class TArchiveView;
class TCommandHost;
class TEngineSession;

// Binds the progress handlers below to the events of session.MainZip
// (OnListing stays the window's own) and gives the session a
// TMessageBoxAnswerer owned by the window.
void BindEngineEvents(TEngineSession &session, TCommandHost &form);

void MainZipAdding(TArchiveView &view, const TZipFileStats &stats);
void MainZipDeleting(TArchiveView &view, const QString &fileName);
void MainZipExtracting(TArchiveView &view, const TZipFileStats &stats);
void MainZipFixing(TArchiveView &view, const QString &fileName);
void MainZipTesting(TArchiveView &view, const TZipFileStats &stats);
void MainZipUpdating(TArchiveView &view, const TZipFileStats &stats);
void MainZipStatus(TArchiveView &view, const TZipFileStats &stats);

// The operation's questions as the platform's message boxes; a skipped
// file's warning also restarts the progress bar for the next file.
class TMessageBoxAnswerer : public TSessionAnswerer {
public:
    explicit TMessageBoxAnswerer(TArchiveView &view) : view_(view) {}
    TReplaceAnswer AskReplace(const QString &fileName) override;
    bool AskNewDisk(std::int32_t diskNumber) override;
    void TellSkipped(const TZipSkipping &skipping, bool testing) override;
    std::optional<QString> AskPassword(const QString &fileName) override;

private:
    TArchiveView &view_;
};

// Asks before it requests the abort; the running operation stops at its next
// callback and its command reports code 190 as usual.
void AbortSbClick(TArchiveSession &session);
