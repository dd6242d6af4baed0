#include "EngineSession.h"

#include <QScopeGuard>

#include <utility>

TEngineSession::TEngineSession() {
    MainZip.OnSkippingFile = [this](TZipEngine &, const TZipSkipping &skipping) {
        if (skips_ != nullptr)
            skips_->append(skipping);
        if (answerer_ != nullptr)
            answerer_->TellSkipped(skipping, TestRunning);
    };
    MainZip.OnReplace = [this](TZipEngine &engine, TZipReplace &replace) {
        const auto answer = answerer_ != nullptr ? answerer_->AskReplace(replace.FileName)
                                                 : TSessionAnswerer::TReplaceAnswer::Abort;
        if (answer == TSessionAnswerer::TReplaceAnswer::Abort)
            engine.Abort = true;
        else
            replace.DoReplace = answer == TSessionAnswerer::TReplaceAnswer::Replace ? 1 : 0;
    };
    MainZip.OnNewdisk = [this](TZipEngine &engine, std::int32_t disk) {
        if (answerer_ == nullptr || !answerer_->AskNewDisk(disk))
            engine.Abort = true;
    };
}

template <typename Call> TSessionOutcome TEngineSession::Run(Call call) {
    TSessionOutcome outcome;
    QList<TZipSkipping> *outer = std::exchange(skips_, &outcome.Skips);
    const auto restore = qScopeGuard([this, outer] { skips_ = outer; });
    outcome.Code = call();
    return outcome;
}

void TEngineSession::SetEntries(const TEntryRefs &entries) {
    if (entries.isEmpty())
        return;
    MainZip.FilesToProcess = entries.Names;
    // Each row stands for its own entry, whatever its name holds and
    // whichever other entries show the same name.
    MainZip.FilePositions = entries.Positions;
    MainZip.LiteralNames = true;
}

TSessionOutcome TEngineSession::Add(const TAddRequest &request) {
    MainZip.FilesToProcess = request.Files;
    MainZip.LiteralNames = request.LiteralNames;
    MainZip.UsePaths = request.UsePaths;
    return Run([&] { return MainZip.AddToArchive(static_cast<std::uint8_t>(request.Mode)); });
}

TSessionOutcome TEngineSession::Extract(const TExtractRequest &request) {
    if (request.Method < 0 || request.Method > 2)
        return TSessionOutcome{};
    SetEntries(request.Entries);
    MainZip.ExtractDirectory = request.Folder;
    MainZip.UsePaths = request.UsePaths;
    const TZipOverwrite configured = MainZip.Overwrite;
    const auto restore = qScopeGuard([this, configured] { MainZip.Overwrite = configured; });
    if (request.Overwrite)
        MainZip.Overwrite = *request.Overwrite;
    return Run(
        [&] { return MainZip.ExtractFromArchive(static_cast<std::uint8_t>(request.Method)); });
}

TSessionOutcome TEngineSession::Remove(const TEntryRefs &entries) {
    SetEntries(entries);
    return Run([&] { return MainZip.DeleteFromArchive(); });
}

TSessionOutcome TEngineSession::UpdateDate() {
    return Run([&] { return MainZip.UpdateArchiveDate(); });
}

TSessionOutcome TEngineSession::Test(const QString &path) {
    // The archive is borrowed for the test only.
    MainZip.ZipFileName = path;
    const auto giveBack = qScopeGuard([this] {
        TestRunning = false;
        MainZip.ZipFileName.clear();
    });
    TestRunning = true;
    return Run([&] { return MainZip.TestArchive(); });
}

TSessionOutcome TEngineSession::Fix(const QString &path, bool aggressive) {
    MainZip.ZipFileName = path;
    const auto giveBack = qScopeGuard([this] { MainZip.ZipFileName.clear(); });
    return Run([&] { return MainZip.FixArchive(aggressive); });
}

QString TEngineSession::ReadOnlyTypeOf(const QString &path) {
    const QString open = std::exchange(MainZip.ZipFileName, path);
    const auto giveBack = qScopeGuard([this, &open] { MainZip.ZipFileName = open; });
    MainZip.EntryCount();
    return MainZip.ReadOnlyType();
}
