// TArchiveSession: what the commands ask of the open archive, as requests
// that carry every value the operation needs, each answered with an
// outcome. The window holds the one over the engine component
// (TEngineSession); the command tests run the commands over a fake.
#pragma once

#include "ArchiveFigures.h"
#include "EngineResultText.h"
#include "EntryRefs.h"
#include "Settings.h"
#include "ZipEngine.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// How an operation ended: the engine's result code and the files it left
// out (each already told to the answerer); as the window reports it, its
// class, and whether the user has been told something.
struct TSessionOutcome {
    int Code = ENGINE_OK;
    QList<TZipSkipping> Skips;
    TResultClass Class = ResultNothing;
    bool Reported = false;
};

struct TAddRequest {
    QStringList Files;
    // Chosen or dropped files are taken as they are, never as patterns.
    bool LiteralNames = true;
    TZipAddMode Mode = TZipAddMode::Add;
    bool UsePaths = true;
};

struct TExtractRequest {
    // Each entry stands for its own row; none: the whole archive.
    TEntryRefs Entries;
    QString Folder;
    bool UsePaths = true;
    // None when the configured method names no mode: nothing runs.
    std::optional<TZipExtractMode> Method = TZipExtractMode::All;
    // For this request only, instead of the configured rule.
    std::optional<TZipOverwrite> Overwrite;
};

// An entry's encryption as the archive holds it.
struct TEntrySealing {
    bool Encrypted = false;
    std::uint32_t AesBits = 0; // 0: ZipCrypto when encrypted
};

// An edited copy going back as the entry it came from: StoredName, staged
// under that name inside StageFolder, replaces the entry whatever the two
// dates are, with folders, sealed with Password and Encryption.
struct TPutBackRequest {
    QString StageFolder;
    QString StoredName;
    QString Password;
    TZipEncryption Encryption = zenZipCrypto;
};

class TArchiveSession {
public:
    virtual ~TArchiveSession() = default;

    // --- queries
    virtual QString ArchivePath() const = 0;
    virtual bool MultidiskMode() const = 0;
    // The password set for the archive's encrypted entries, if any.
    virtual QString Password() const = 0;
    virtual std::int32_t EntryCount() = 0;
    virtual QString EntryName(std::int32_t index) = 0;
    // Lists just that entry, leaving the window's rows alone; nothing when
    // the archive no longer holds it or cannot be read.
    virtual std::optional<TEntrySealing> SealingOf(const QString &storedName) = 0;
    // What the information window shows, all gathered at once.
    virtual TArchiveFigures Figures() = 0;
    virtual QString Comment() = 0;

    // The configured policies the next operations run with; a value that
    // names no policy leaves the session's as it is.
    virtual void Configure(const TSettings &settings) = 0;

    // --- requests over the open archive
    virtual TSessionOutcome Add(const TAddRequest &request) = 0;
    virtual TSessionOutcome Extract(const TExtractRequest &request) = 0;
    virtual TSessionOutcome Remove(const TEntryRefs &entries) = 0;
    virtual TSessionOutcome UpdateDate() = 0;
    // ZipResultMultidisk: refused in multidisk mode, the old comment kept.
    virtual TSessionOutcome SetComment(const QString &text) = 0;
    // Neither the configured password and encryption nor the working folder
    // are changed by it.
    virtual TSessionOutcome PutBack(const TPutBackRequest &request) = 0;
    // Test and Fix take an archive of their own: the open one, if any, is
    // not touched, and none is open afterwards when none was before.
    virtual TSessionOutcome Test(const QString &path) = 0;
    // A repair that takes `path` for no archive at all leaves the format
    // the reading engine finds in ReadOnlyTypeOf(path) for the caller.
    virtual TSessionOutcome Fix(const QString &path, bool aggressive) = 0;
    // The format's name when `path` is an archive the engine only reads.
    virtual QString ReadOnlyTypeOf(const QString &path) = 0;

    // Stops the running operation at the engine's next message.
    virtual void Abort() = 0;
};
