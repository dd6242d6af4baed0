#include "EngineSession.h"

#include "platform/IoError.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <stdexcept>

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
    MainZip.OnPwdQuery = [this](TZipEngine &, TZipPwdQuery &query) { AnswerPassword(query); };
    MainZip.OnNewdisk = [this](TZipEngine &engine, std::int32_t disk) {
        if (answerer_ == nullptr || !answerer_->AskNewDisk(disk))
            engine.Abort = true;
    };
}

template <typename Call> TSessionOutcome TEngineSession::Run(Call call) {
    TSessionOutcome outcome;
    ++runs_;
    asking_.clear();
    QList<TZipSkipping> *outer = std::exchange(skips_, &outcome.Skips);
    const auto restore = qScopeGuard([this, outer] { skips_ = outer; });
    outcome.Code = call();
    return outcome;
}

void TEngineSession::ForgetPassword() {
    typed_.fill(QChar(0));
    typed_.clear();
    typedFor_.clear();
}

void TEngineSession::Configure(const TSettings &settings) {
    ApplySettingsToEngine(settings, MainZip);
    AskPasswords = settings.AskPassword;
}

void TEngineSession::AnswerPassword(TZipPwdQuery &query) {
    // The engine asks again about the same entry when the answer did not
    // open it: first the password typed earlier for this archive, then the
    // user, who gets a second try before the entry is skipped.
    constexpr int userTries = 2;
    if (query.FileName != asking_) {
        asking_ = query.FileName;
        asked_ = 0;
        triedTyped_ = false;
    }
    query.Reply = 0;
    const QString archive = QFileInfo(MainZip.ZipFileName).absoluteFilePath();
    if (!triedTyped_ && !typed_.isEmpty() && typedFor_ == archive && typedIn_ != runs_) {
        triedTyped_ = true;
        query.Password = typed_;
        query.Reply = 1;
        return;
    }
    if (!AskPasswords || answerer_ == nullptr || asked_ >= userTries)
        return;
    ++asked_;
    const std::optional<QString> typed = answerer_->AskPassword(query.FileName);
    if (!typed || typed->isEmpty())
        return; // the designed skip: no password to decrypt the entry
    ForgetPassword();
    typed_ = *typed;
    typedFor_ = archive;
    typedIn_ = runs_;
    query.Password = typed_;
    query.Reply = 1;
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
    return Run([&] { return MainZip.AddToArchive(request.Mode); });
}

TSessionOutcome TEngineSession::Extract(const TExtractRequest &request) {
    if (!request.Method)
        return TSessionOutcome{};
    SetEntries(request.Entries);
    MainZip.ExtractDirectory = request.Folder;
    MainZip.UsePaths = request.UsePaths;
    const TZipOverwrite configured = MainZip.Overwrite;
    const auto restore = qScopeGuard([this, configured] { MainZip.Overwrite = configured; });
    if (request.Overwrite)
        MainZip.Overwrite = *request.Overwrite;
    return Run([&] { return MainZip.ExtractFromArchive(*request.Method); });
}

TSessionOutcome TEngineSession::Remove(const TEntryRefs &entries) {
    SetEntries(entries);
    return Run([&] { return MainZip.DeleteFromArchive(); });
}

TSessionOutcome TEngineSession::UpdateDate() {
    return Run([&] { return MainZip.UpdateArchiveDate(); });
}

TSessionOutcome TEngineSession::SetComment(const QString &text) {
    return Run([&] {
        MainZip.SetArchiveComment(text);
        return MainZip.LastCommentWriteResult;
    });
}

std::optional<TEntrySealing> TEngineSession::SealingOf(const QString &storedName) {
    std::optional<TEntrySealing> found;
    const TZipFileStatsEvent listing = MainZip.OnListing;
    const auto restore = qScopeGuard([this, &listing] { MainZip.OnListing = listing; });
    MainZip.OnListing = [&found, &storedName](TZipEngine &, const TZipFileStats &entry) {
        if (entry.FileName == storedName)
            found = TEntrySealing{entry.EngineFlag, engine_packed_aes_bits(entry.EngineByte)};
    };
    MainZip.FilesToProcess = QStringList{storedName};
    MainZip.LiteralNames = true;
    MainZip.ListArchive();
    return found;
}

TSessionOutcome TEngineSession::PutBack(const TPutBackRequest &request) {
    // The engine takes the staged name relative to the working folder; what
    // else it is given relative must not move with it.
    const QString archive = MainZip.ZipFileName;
    const QString tempPath = MainZip.TempPath;
    const QString password = MainZip.Password;
    const TZipEncryption configured = MainZip.Encryption;
    const QString workingFolder = QDir::currentPath();
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(workingFolder);
        MainZip.ZipFileName = archive;
        MainZip.TempPath = tempPath;
        MainZip.Password = password;
        MainZip.Encryption = configured;
    });
    MainZip.ZipFileName = QFileInfo(archive).absoluteFilePath();
    if (!tempPath.isEmpty())
        MainZip.TempPath = QFileInfo(tempPath).absoluteFilePath();
    if (!QDir::setCurrent(request.StageFolder))
        throw std::runtime_error(platform::IoErrorFromErrno(EACCES).message.toStdString());
    MainZip.Password = request.Password;
    MainZip.Encryption = request.Encryption;
    MainZip.FilesToProcess = QStringList{request.StoredName};
    MainZip.LiteralNames = true;
    MainZip.UsePaths = true;
    // Plain add: the edit replaces the entry even when the entry's date is
    // the later one.
    return Run([&] { return MainZip.AddToArchive(TZipAddMode::Add); });
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
