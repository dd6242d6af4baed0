// TZipEngine: the program's only way into ZIP archives. Every operation is
// one synchronous call into an engine library (libzipeng32.so or
// libunzeng32.so) with a command-line style argument vector; the engine
// calls back with numbered messages that become the events below.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "engine_contract.h"

enum TZipOverwrite : std::uint8_t { zowAsk = 0, zowNever = 1, zowAlways = 2 };

using TZipCompressionLevel = std::uint8_t; // 0 to 9, 0 = stored

// The mode byte of AddToArchive and of ExtractFromArchive, as the engine
// libraries' calls receive it.
enum class TZipAddMode : std::uint8_t { Add = 0, Freshen = 1, Update = 2 };
enum class TZipExtractMode : std::uint8_t { All = 0, Freshen = 1, Update = 2 };

// Ours: how added entries are encrypted when a password is set. The shorter
// AES keys are only for an entry put back with the strength it had.
enum TZipEncryption : std::uint8_t {
    zenZipCrypto = 0,
    zenAes256 = 1,
    zenAes128 = 2,
    zenAes192 = 3
};

struct TZipFileStats {
    QString FileName;
    std::int32_t Size = 0;
    std::int32_t CompressedSize = 0;
    std::int32_t EngineValue1 = 0; // high 32 bits of the uncompressed size
    std::uint8_t Attributes = 0;   // flag k = bit k of the engine's byte, k = 0..5
    QDateTime DateTime;            // invalid when the packed date makes no sense
    std::int32_t EngineValue2 = 0; // high 32 bits of the compressed size
    std::uint8_t Ratio = 0;
    std::uint8_t PercentDone = 0;
    std::uint8_t EngineByte = 0;
    bool EngineFlag = false;
    QString Comment; // at most 255 characters

    // The true 64-bit sizes that our engines report through the high words.
    std::int64_t TrueSize() const;
    std::int64_t TrueCompressedSize() const;
    bool HasAttribute(std::uint8_t bit) const { return (Attributes >> bit) & 1u; }
};

struct TZipSkipping {
    QString FileName;
    std::uint8_t Reason = 0;
};

struct TZipReplace {
    QString FileName;
    QString ReplyText;
    std::uint8_t DoReplace = 0;
};

struct TZipPwdQuery {
    QString FileName;
    QString Password; // at most 80 characters reach the engine
    std::uint8_t Reply = 0;
};

struct TZipFileComment {
    QString FileName;
    QString Comment; // at most 255 characters reach the engine
};

class TZipEngine;

using TZipFileStatsEvent = std::function<void(TZipEngine &, const TZipFileStats &)>;
using TZipFileNameEvent = std::function<void(TZipEngine &, const QString &)>;
using TZipFileCommentEvent = std::function<void(TZipEngine &, TZipFileComment &)>;
using TZipReplaceEvent = std::function<void(TZipEngine &, TZipReplace &)>;
using TZipPwdQueryEvent = std::function<void(TZipEngine &, TZipPwdQuery &)>;
using TZipSkippingEvent = std::function<void(TZipEngine &, const TZipSkipping &)>;
using TZipNewdiskEvent = std::function<void(TZipEngine &, std::int32_t)>;

// Result codes produced by the component itself.
constexpr int ZipResultArgumentList = -1;
constexpr int ZipResultMultidisk = ENGINE_MULTIDISK_REFUSED;
constexpr int ZipResultNotLoaded = ENGINE_NOT_LOADED;

class TZipEngine {
public:
    TZipEngine();
    ~TZipEngine();
    TZipEngine(const TZipEngine &) = delete;
    TZipEngine &operator=(const TZipEngine &) = delete;

    // Runs while the engine calls back, before a message is acted on. The
    // program installs Qt's event processing; tests install their own. With
    // an interval, the pump is skipped for messages that arrive sooner than
    // that after its last run, except for messages whose handlers ask the
    // user (replace, password, comment, new disk, skipped file): a listing
    // of many thousand entries would otherwise spend most of its time
    // polling for events that are not there.
    static void SetMessagePump(std::function<void()> pump,
                               std::chrono::milliseconds interval = std::chrono::milliseconds(0));

    // The archive comment buffer shared by every instance of the process.
    static QByteArray CommentBuffer();

    // --- public fields
    bool Abort = false;
    std::int32_t SecondaryCode = 0;
    const QDateTime EarliestFileDate{QDate(1980, 1, 1), QTime(0, 0)};

    // --- published properties (initial values of a new instance)
    QStringList FilesToProcess;
    TZipCompressionLevel Compression = 6;
    bool ClearDisks = false;
    bool MoveFiles = false;
    bool MultidiskMode = false;
    QString ExtractDirectory;
    bool IncludeHiddenFiles = false;
    bool IncludeDirectoryEntries = false;
    bool IncludeVolumeLabel = false;
    TZipOverwrite Overwrite = zowAsk;
    bool Recurse = false;
    QString Password;
    QString StoredExtensions = QStringLiteral(".ZIP;.LZH;.ARC;.ARJ;.ZOO");
    QString TempPath;
    bool UsePaths = true;
    bool UseTempFile = true;
    QString ZipFileName;

    // Ours, not published: in multidisk mode, the size at which pieces of a
    // new set end even when the medium has room (0, the default: pieces end
    // only when the medium is full). Sent only when set, so every other
    // argument vector stays as it is.
    std::int64_t PieceSize = 0;

    // Ours, not published: how add encrypts when Password is set. With
    // zenAes256 the add vector carries "-Y" "aes256" right after "-e" (WinZip
    // AE-2 entries; "aes128" and "aes192" for zenAes128 and zenAes192);
    // zenZipCrypto, the default, sends nothing, so every other argument
    // vector stays as it is.
    TZipEncryption Encryption = zenZipCrypto;

    // Ours, not published: add, update and freshen store a symbolic link as
    // the link itself ("-y" after "-r"/"-j"), as other ZIP tools do on
    // request; off, the default, a link is stored as the file it names and
    // every other argument vector stays as it is.
    bool StoreSymlinks = false;

    // Ours, not published: true when FilesToProcess holds names to be taken
    // literally (entries chosen in the contents list, files chosen in a
    // dialog) rather than patterns a user typed. Each then selects exactly
    // that entry or file whatever characters it holds: "<" and ">" are no
    // marks, and what the engines would read as a pattern or an option is
    // escaped in the file elements. Like FilesToProcess, it is reset (false)
    // when an operation ends, so the next list is patterns unless its
    // caller says otherwise.
    bool LiteralNames = false;

    // Ours, not published: with LiteralNames, the position in the archive's
    // directory (counted from 1, the order in which ListArchive reports the
    // entries) of each name of FilesToProcess, in the same order. The entry
    // operations then name each entry by position and name ("-#" and
    // "POSITION:NAME" after the archive path), so that a row stands for its
    // own entry even where other entries show the same name; one that is
    // no longer at its position under its name is not found. Cleared with
    // FilesToProcess; ignored when the counts differ, and by add, whose
    // names are files.
    QList<std::int32_t> FilePositions;

    // --- events, in slot order
    TZipFileStatsEvent OnAdding;
    TZipFileNameEvent OnDeleting;
    TZipFileStatsEvent OnExtracting;
    TZipFileCommentEvent OnFileComment;
    TZipFileNameEvent OnFixing;
    TZipFileStatsEvent OnListing;
    TZipReplaceEvent OnReplace;
    TZipPwdQueryEvent OnPwdQuery;
    TZipFileStatsEvent OnTesting;
    TZipFileStatsEvent OnUpdating;
    TZipSkippingEvent OnSkippingFile;
    TZipFileStatsEvent OnStatus;
    TZipNewdiskEvent OnNewdisk;

    // --- directory operations
    int ListArchive();
    std::int32_t EntryCount();
    // Ours, not published: the name of the format ("tar.gz", "7-Zip") when
    // the archive last counted or listed is of another format than ZIP,
    // which the engine only reads; empty for a ZIP archive (message 150).
    const QString &ReadOnlyType() const { return readOnlyType_; }
    TZipFileStats EntryStats(std::int32_t index);

    // --- operations
    int AddToArchive(TZipAddMode mode);
    int DeleteFromArchive();
    int ExtractFromArchive(TZipExtractMode mode);
    int FixArchive(bool aggressive);
    int TestArchive();
    int UpdateArchiveDate();
    QString ArchiveComment();
    void SetArchiveComment(const QString &text);
    // What the last SetArchiveComment came to: the engine's code, or
    // ZipResultMultidisk when multidisk mode refused it without a call.
    // The writer keeps its designed signature; callers that report a failed
    // write read this.
    int LastCommentWriteResult = 0;

    // Errors thrown by event handlers (and by the message pump) never cross
    // into the engine. The callback catches the first one, answers 1 so that
    // the engine stops, and from then on answers 1 to every further message
    // of that call without acting on it. Once the call has returned and the
    // operation has cleaned up (Abort cleared, argument copies released,
    // FilesToProcess cleared where the operation clears it), the error is
    // rethrown to the caller of the operation, which then gets no result
    // code. This holds for every operation, the two queries included.

    // Exposed for tests of the callback contract.
    static std::int32_t EngineCallback(std::int32_t code, void *data, void *user);
    static TZipFileStats ConvertRecord(const EngineFileRecord &record);
    // Local time; an invalid QDateTime when a packed field is out of range.
    static QDateTime DosDateTimeToDateTime(std::uint32_t packed);

private:
    enum class Side { Zip, Unzip };
    struct Modules;
    class Arguments;

    std::unique_ptr<Modules> modules_;
    std::int32_t lastCount_ = 0;
    TZipFileStats lastEntry_;
    QString readOnlyType_;
    std::exception_ptr handlerError_;

    int RunZipEngine(int argc, char **argv);
    int RunUnzipEngine(int argc, char **argv);
    int RunFrame(Side side, const std::function<void(Arguments &)> &build, bool clearFiles);
    int RunQuery(std::int32_t selector);
    // Entry names of the archive, or files on disk (what add takes).
    enum class FileKind { Entries, OnDisk };
    void AppendFileList(Arguments &vector, bool includesAllowed,
                        FileKind kind = FileKind::Entries) const;
    void AppendPassword(Arguments &vector) const;
    void AppendTempFolder(Arguments &vector) const;
    int RefuseInMultidisk();
    // The operations a multidisk set may refuse: refused without a call
    // when `refused`, else run with the password ahead of `options`.
    int RunOrRefuse(Side side, bool refused, const std::function<void(Arguments &)> &options);
    static void AppendMode(Arguments &vector, std::uint8_t mode);
    std::int32_t Dispatch(std::int32_t code, void *data);
    void RethrowHandlerError();

    friend class TZipEngineTestAccess;
};
