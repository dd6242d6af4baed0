// TEngineSession: the archive session over the engine component MainZip.
// It alone sets the component's properties for a request, and it puts the
// operation's questions to the answerer.
#pragma once

#include "ArchiveSession.h"
#include "SessionAnswerer.h"
#include "Settings.h"
#include "ZipEngine.h"

class TEngineSession : public TArchiveSession {
public:
    TEngineSession();

    // The engine component. The window opens, lists and closes the archive
    // through it; the progress events are the window's to bind.
    TZipEngine MainZip;
    // Nesting depth of the window's busy state.
    int BusyCount = 0;
    // True only while Test Archive is inside the engine's test operation.
    bool TestRunning = false;

    // Ours: with no Password configured, an encrypted entry's password is
    // asked for; false keeps the designed skip for want of one.
    bool AskPasswords = true;
    // The archive is closed: the password typed for it is forgotten.
    void ForgetPassword();
    void Configure(const TSettings &settings) override;

    // Not owned; without one, every question is answered as a closed box
    // would answer it (keep the file, stop at a new disk).
    void SetAnswerer(TSessionAnswerer *answerer) { answerer_ = answerer; }

    QString ArchivePath() const override { return MainZip.ZipFileName; }
    bool MultidiskMode() const override { return MainZip.MultidiskMode; }
    QString Password() const override { return MainZip.Password; }
    std::int32_t EntryCount() override { return MainZip.EntryCount(); }
    QString EntryName(std::int32_t index) override { return MainZip.EntryStats(index).FileName; }

    TSessionOutcome Add(const TAddRequest &request) override;
    TSessionOutcome Extract(const TExtractRequest &request) override;
    TSessionOutcome Remove(const TEntryRefs &entries) override;
    TSessionOutcome UpdateDate() override;
    TArchiveFigures Figures() override { return TArchiveFigures::Gather(MainZip); }
    QString Comment() override { return MainZip.ArchiveComment(); }
    TSessionOutcome SetComment(const QString &text) override;
    std::optional<TEntrySealing> SealingOf(const QString &storedName) override;
    TSessionOutcome PutBack(const TPutBackRequest &request) override;
    TSessionOutcome Test(const QString &path) override;
    TSessionOutcome Fix(const QString &path, bool aggressive) override;
    QString ReadOnlyTypeOf(const QString &path) override;
    void Abort() override { MainZip.Abort = true; }

private:
    // Runs one engine call, gathering the skips it reports.
    template <typename Call> TSessionOutcome Run(Call call);
    // Names the rows' entries to the next operation, each by its position.
    void SetEntries(const TEntryRefs &entries);
    // Answers the engine's password query of an operation (OnPwdQuery).
    void AnswerPassword(TZipPwdQuery &query);

    TSessionAnswerer *answerer_ = nullptr;
    QList<TZipSkipping> *skips_ = nullptr;
    // The password last typed, for the archive `typedFor_` only; kept in
    // memory, never in the settings and never used to encrypt.
    QString typed_;
    QString typedFor_;
    // Operations run so far; `typedIn_` is the one the password was typed in,
    // whose engine already tries it before it asks.
    int runs_ = 0;
    int typedIn_ = -1;
    // The entry the engine is asking about, and how often it was asked.
    QString asking_;
    int asked_ = 0;
    bool triedTyped_ = false;
};
