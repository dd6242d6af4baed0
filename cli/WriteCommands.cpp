// The commands that change an archive (add, update, freshen, delete, fix,
// touch, comment --set), over the compressing side of the engine.
#include "Command.h"
#include "EngineResultText.h"
#include "EntryProgress.h"
#include "PrintableName.h"
#include "ProgressLine.h"
#include "ResultText.h"
#include "ZipEngine.h"
#include "platform/Paths.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace cli {
namespace {

// The writing engine takes an archive of another format for a damaged ZIP
// archive; the reading engine knows it for what it is, and the refusal says
// so instead. Asked only after a write failed, so ZIP archives pay nothing.
bool reportedReadOnly(Context &c) {
    c.engine.ZipFileName = c.args.archive;
    c.engine.EntryCount();
    if (c.engine.ReadOnlyType().isEmpty())
        return false;
    c.err << "tarnwick-cli: " << ReadOnlyArchiveText(c.args.archive, c.engine.ReadOnlyType())
          << '\n';
    return true;
}

std::function<int(Context &)> refusingReadOnly(std::function<int(Context &)> run) {
    return [run = std::move(run)](Context &c) {
        const int code = run(c);
        if (code == ENGINE_OK || code == ENGINE_ARCHIVE_NOT_FOUND || code == kReportedFailure ||
            resultText(code, QString()).resultClass != ResultFailed)
            return code;
        return reportedReadOnly(c) ? kReportedFailure : code;
    };
}

// Names, then the include (">") and exclude ("<") patterns, as the
// component expects them in FilesToProcess.
QStringList fileList(const Invocation &args) {
    QStringList files = args.names;
    for (const QString &p : args.all(QStringLiteral("-i")))
        files << QLatin1Char('>') + p;
    for (const QString &p : args.all(QStringLiteral("-x")))
        files << QLatin1Char('<') + p;
    return files;
}

void reportSkips(Context &c) {
    QTextStream &err = c.err;
    ProgressLine &progress = c.progress;
    c.engine.OnSkippingFile = [&err, &progress](TZipEngine &, const TZipSkipping &s) {
        progress.clear();
        err << skippedLine(s.FileName, s.Reason) << '\n';
        err.flush();
    };
}

// The files a plain add takes and their bytes, found as the engine finds
// them: named files, and with -r the files below named folders (hidden ones
// only with -S). Nothing is known where a name is a pattern or missing, or
// where include and exclude patterns or update and freshen leave files out.
void measureFiles(Context &c, TZipAddMode mode) {
    const Invocation &a = c.args;
    if (!c.progress.enabled() || mode != TZipAddMode::Add ||
        !a.all(QStringLiteral("-i")).isEmpty() || !a.all(QStringLiteral("-x")).isEmpty())
        return;
    const bool recurse = a.has(QStringLiteral("-r"));
    const bool hidden = a.has(QStringLiteral("-S"));
    qint64 entries = 0, bytes = 0;
    for (const QString &name : a.names) {
        const QFileInfo info(name);
        if (info.isFile()) {
            ++entries;
            bytes += info.size();
        } else if (!info.isDir()) {
            return;
        } else if (recurse) {
            QDir::Filters filter = QDir::Files | QDir::NoDotAndDotDot;
            if (hidden)
                filter |= QDir::Hidden;
            QDirIterator it(name, filter, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QFileInfo file = it.nextFileInfo();
                // A hidden folder's files stay out as the folder does.
                if (!hidden && it.filePath().mid(name.size()).contains(QStringLiteral("/.")))
                    continue;
                ++entries;
                bytes += file.size();
            }
        }
    }
    c.progress.setTotals(entries, bytes);
}

TZipFileNameEvent nameLine(Context &c, const char *label) {
    if (c.args.has(QStringLiteral("-q")))
        return {};
    QTextStream &out = c.out;
    return [&out, label](TZipEngine &, const QString &name) {
        out << label << printable(name) << '\n';
        out.flush();
    };
}

// "65536", "64k", "1.5m", "2g": bytes, KiB, MiB, GiB. 0 when malformed.
std::int64_t pieceSize(const QString &text) {
    QString t = text.trimmed().toLower();
    double unit = 1;
    if (t.endsWith(QLatin1Char('k')))
        unit = 1024;
    else if (t.endsWith(QLatin1Char('m')))
        unit = 1024.0 * 1024;
    else if (t.endsWith(QLatin1Char('g')))
        unit = 1024.0 * 1024 * 1024;
    if (unit > 1)
        t.chop(1);
    bool ok = false;
    const double n = t.toDouble(&ok);
    if (!ok || n <= 0 || n * unit > 9.0e18)
        return 0;
    return static_cast<std::int64_t>(n * unit);
}

// The smallest piece the compressing engine writes ("-s"), as Info-ZIP's
// smallest split.
constexpr std::int64_t kSmallestPiece = 64 * 1024;

// The first piece of the set whose last piece is `archive`: NAME.z01, in
// the case of the archive's extension.
QString firstPieceOf(const QString &archive) {
    const QFileInfo info(archive);
    const QString suffix = info.suffix();
    const bool upper = !suffix.isEmpty() && suffix.at(0).isUpper();
    const QString stem = suffix.isEmpty() ? archive : archive.chopped(suffix.size() + 1);
    return stem + (upper ? QStringLiteral(".Z01") : QStringLiteral(".z01"));
}

// Whether `archive` is the last piece of a set: its first piece is beside
// it, or it is a set of one piece, which starts with the split signature.
// Through a link, the pieces lie beside the file it leads to.
bool isSetAt(const QString &archive) {
    const QString last = QFileInfo(archive).canonicalFilePath();
    if (QFileInfo::exists(firstPieceOf(last.isEmpty() ? archive : last)))
        return true;
    QFile file(archive);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray("PK\x07\x08", 4);
}

bool wantsMultidisk(const Invocation &a) {
    return a.has(QStringLiteral("--multidisk")) || a.has(QStringLiteral("-!"));
}

// The multi-disk options, checked before anything is written; false when a
// message was given.
bool checkMultidiskOptions(Context &c, TZipAddMode mode, std::int64_t &pieceBytes) {
    const Invocation &a = c.args;
    const bool multidisk = wantsMultidisk(a);
    const QString piece = a.value(QStringLiteral("--piece-size"));
    const bool hasPiece = !a.all(QStringLiteral("--piece-size")).isEmpty();
    pieceBytes = 0;
    if (!multidisk && hasPiece) {
        c.err << "tarnwick-cli: --piece-size needs --multidisk\n";
        return false;
    }
    if (!multidisk && a.has(QStringLiteral("--clear-disks"))) {
        c.err << "tarnwick-cli: --clear-disks needs --multidisk\n";
        return false;
    }
    if (multidisk && mode != TZipAddMode::Add) {
        c.err << "tarnwick-cli: a multi-disk set is only ever written new; use add\n";
        return false;
    }
    if (hasPiece) {
        pieceBytes = pieceSize(piece);
        if (pieceBytes <= 0) {
            c.err << "tarnwick-cli: bad piece size " << piece
                  << " (a number of bytes, or with k, m or g)\n";
            return false;
        }
        if (pieceBytes < kSmallestPiece) {
            c.err << "tarnwick-cli: the smallest piece size is 64K\n";
            return false;
        }
    }
    return true;
}

// The engine writes a set only new; it refuses an archive that is there.
void explainRefusedSet(Context &c) {
    const QString name = QFileInfo(c.args.archive).fileName();
    if (isSetAt(c.args.archive))
        c.err << "tarnwick-cli: a set named " << name
              << " already exists; remove its pieces or use --clear-disks\n";
    else
        c.err << "tarnwick-cli: " << name
              << " already exists; a multi-disk set is only ever written new\n";
}

// The last piece of an older set, moved out of the way of a new one (the
// engine writes a set only new): removed once the new set has its name, put
// back when nothing took its place, so that a failed add leaves the older
// set whole. Through a link, the file it leads to moves and the link stays.
class OlderSetAside {
public:
    explicit OlderSetAside(const QString &archive) : last_(QFileInfo(archive).canonicalFilePath()) {
        if (last_.isEmpty())
            return;
        QTemporaryFile spot(QFileInfo(last_).absolutePath() +
                            QStringLiteral("/.tarnwick-older-set-XXXXXX"));
        if (!spot.open())
            return;
        spot.setAutoRemove(false);
        const QString aside = spot.fileName();
        spot.close();
        if (!renamed(last_, aside)) {
            QFile::remove(aside);
            return;
        }
        aside_ = aside;
    }
    OlderSetAside(const OlderSetAside &) = delete;
    OlderSetAside &operator=(const OlderSetAside &) = delete;
    ~OlderSetAside() {
        if (aside_.isEmpty())
            return;
        // Where even the way back fails, the older piece keeps its hidden
        // name rather than go.
        if (QFileInfo::exists(last_))
            QFile::remove(aside_);
        else
            renamed(aside_, last_);
    }

private:
    static bool renamed(const QString &from, const QString &to) {
        return std::rename(QFile::encodeName(from).constData(),
                           QFile::encodeName(to).constData()) == 0;
    }
    QString last_;
    QString aside_;
};

// "--encryption zipcrypto|aes256" into the engine's choice; false (and
// said) for another word or a choice without a password to use it.
bool readEncryption(Context &c, TZipEncryption &out) {
    const Invocation &a = c.args;
    out = zenZipCrypto;
    if (a.all(QStringLiteral("--encryption")).isEmpty())
        return true;
    const QString method = a.value(QStringLiteral("--encryption")).toLower();
    if (method != QLatin1String("zipcrypto") && method != QLatin1String("aes256")) {
        c.err << "tarnwick-cli: --encryption is zipcrypto or aes256, not " << method << '\n';
        return false;
    }
    if (a.value(QStringLiteral("-P")).isEmpty()) {
        c.err << "tarnwick-cli: --encryption needs a password (-P)\n";
        return false;
    }
    out = method == QLatin1String("aes256") ? zenAes256 : zenZipCrypto;
    return true;
}

int runAdding(Context &c, TZipAddMode mode) {
    TZipEngine &e = c.engine;
    const Invocation &a = c.args;
    std::int64_t pieceBytes = 0;
    if (!checkMultidiskOptions(c, mode, pieceBytes))
        return kReportedFailure;
    if (!readEncryption(c, e.Encryption))
        return kReportedFailure;
    e.ZipFileName = a.archive;
    for (int level = 0; level <= 9; ++level)
        if (a.has(QStringLiteral("-%1").arg(level)))
            e.Compression = static_cast<TZipCompressionLevel>(level);
    e.Recurse = a.has(QStringLiteral("-r"));
    e.UsePaths = !a.has(QStringLiteral("-j"));
    e.MoveFiles = a.has(QStringLiteral("-m"));
    e.IncludeHiddenFiles = a.has(QStringLiteral("-S"));
    e.IncludeDirectoryEntries = a.has(QStringLiteral("-D"));
    e.UseTempFile = !a.has(QStringLiteral("-g"));
    e.StoreSymlinks = a.has(QStringLiteral("-y"));
    e.Password = a.value(QStringLiteral("-P"));
    e.TempPath = a.value(QStringLiteral("-b"));
    if (!a.all(QStringLiteral("-n")).isEmpty())
        e.StoredExtensions = a.value(QStringLiteral("-n"));
    e.FilesToProcess = fileList(a);
    e.MultidiskMode = wantsMultidisk(a);
    e.ClearDisks = a.has(QStringLiteral("--clear-disks"));
    e.PieceSize = pieceBytes;
    // An older set under this name makes way for the new one: its last
    // piece now, the engine clears the others medium by medium.
    std::optional<OlderSetAside> older;
    if (e.MultidiskMode && e.ClearDisks && isSetAt(a.archive))
        older.emplace(a.archive);
    askForDisks(c);
    reportSkips(c);
    measureFiles(c, mode);
    followPercent(c);
    e.OnAdding = entryProgress(c, "  adding: ", true);
    e.OnUpdating = entryProgress(c, "updating: ", true);
    const int code = e.AddToArchive(mode);
    c.progress.clear();
    if (code == ENGINE_MULTIDISK_REFUSED && e.MultidiskMode) {
        explainRefusedSet(c);
        return kReportedFailure;
    }
    return code;
}

int runAdd(Context &c) {
    return runAdding(c, TZipAddMode::Add);
}
int runFreshen(Context &c) {
    return runAdding(c, TZipAddMode::Freshen);
}
int runUpdate(Context &c) {
    return runAdding(c, TZipAddMode::Update);
}

int runDelete(Context &c) {
    TZipEngine &e = c.engine;
    e.ZipFileName = c.args.archive;
    e.Password = c.args.value(QStringLiteral("-P"));
    e.TempPath = c.args.value(QStringLiteral("-b"));
    e.FilesToProcess = fileList(c.args);
    e.OnDeleting = nameLine(c, "deleting: ");
    reportSkips(c);
    return e.DeleteFromArchive();
}

int fixInPlace(Context &c, const QString &archive) {
    TZipEngine &e = c.engine;
    e.ZipFileName = archive;
    e.Password = c.args.value(QStringLiteral("-P"));
    // The repair names each entry it copies; it tells no sizes.
    const bool lines = wantsEntryLines(c);
    QTextStream &out = c.out;
    ProgressLine &progress = c.progress;
    e.OnFixing = [&out, &progress, lines](TZipEngine &, const QString &stored) {
        const QString name = printable(stored);
        progress.beginEntry(name, -1);
        if (!lines)
            return;
        progress.clear();
        out << "  fixing: " << name << '\n';
        out.flush();
    };
    reportSkips(c);
    const int code = e.FixArchive(c.args.has(QStringLiteral("--aggressive")));
    progress.clear();
    return code;
}

// "--out FILE": the repair is made on a copy beside FILE, which takes FILE's
// name only when the repair succeeded; the damaged archive stays as it is.
int runFix(Context &c) {
    const QString out = c.args.value(QStringLiteral("--out"));
    if (out.isEmpty())
        return fixInPlace(c, c.args.archive);
    if (platform::IsSameFile(c.args.archive, out)) {
        c.err << "tarnwick-cli: --out must name another file than the archive\n";
        return kReportedFailure;
    }
    // Known before the repair runs, not after.
    if (QFileInfo(out).isDir()) {
        c.err << "tarnwick-cli: " << out << ": is a folder; --out names the repaired archive\n";
        return kReportedFailure;
    }
    QFile source(c.args.archive);
    if (!QFileInfo(c.args.archive).isFile() || !source.open(QIODevice::ReadOnly))
        return QFileInfo::exists(c.args.archive) ? ENGINE_NOT_ACCESSIBLE : ENGINE_ARCHIVE_NOT_FOUND;
    QTemporaryFile copy(QFileInfo(out).absolutePath() + QStringLiteral("/.tarnwick-fix-XXXXXX"));
    if (!copy.open())
        return ENGINE_TEMP_FILE;
    for (QByteArray chunk; !(chunk = source.read(1 << 20)).isEmpty();) {
        if (copy.write(chunk) != chunk.size())
            return ENGINE_DISK_FULL;
    }
    if (source.error() != QFileDevice::NoError || !copy.flush())
        return ENGINE_NOT_ACCESSIBLE;
    copy.close();
    const int code = fixInPlace(c, copy.fileName());
    if (code != ENGINE_OK && code != ENGINE_SOME_SKIPPED)
        return code;
    QFile::setPermissions(copy.fileName(), source.permissions());
    const QByteArray from = QFile::encodeName(copy.fileName()), to = QFile::encodeName(out);
    if (std::rename(from.constData(), to.constData()) != 0) {
        c.err << "tarnwick-cli: " << out << ": " << QString::fromLocal8Bit(std::strerror(errno))
              << '\n';
        return kReportedFailure;
    }
    copy.setAutoRemove(false);
    return code;
}

int runTouch(Context &c) {
    c.engine.ZipFileName = c.args.archive;
    return c.engine.UpdateArchiveDate();
}

// The component drops the result of writing a comment; reading it back
// tells whether it arrived.
int runSetComment(Context &c) {
    TZipEngine &e = c.engine;
    e.ZipFileName = c.args.archive;
    e.UseTempFile = !c.args.has(QStringLiteral("-g"));
    e.TempPath = c.args.value(QStringLiteral("-b"));
    const QString text = c.args.value(QStringLiteral("--set")).left(255);
    e.SetArchiveComment(text);
    // The write's own result says why it failed; the read-back below would
    // only find the old comment.
    if (const int code = e.LastCommentWriteResult; code != ENGINE_OK) {
        const QString verb = QStringLiteral("writing the comment");
        const ResultText result = resultText(code, verb);
        if (result.resultClass == ResultFailed && reportedReadOnly(c))
            return kReportedFailure;
        if (result.resultClass == ResultFailed) {
            c.err << "tarnwick-cli: " << failurePrefix(code, c.args.archive, verb) << result.text
                  << '\n';
            return kReportedFailure;
        }
    }
    const QString back = e.ArchiveComment();
    static const QString prefix = QStringLiteral("Error #");
    if (back.startsWith(prefix)) {
        bool ok = false;
        const int code = back.mid(prefix.size()).toInt(&ok);
        if (ok && code != 0)
            return code;
    }
    return back == text ? ENGINE_OK : ENGINE_NOT_ACCESSIBLE;
}

QStringList levelFlags() {
    QStringList flags;
    for (int level = 0; level <= 9; ++level)
        flags << QStringLiteral("-%1").arg(level);
    return flags;
}

} // namespace

void addWriteCommands(CommandTable &table) {
    const QString addUsage = QStringLiteral(
        "files... [-r] [-j] [-y] [-m] [-S] [-D] [-0..-9] [-P PASSWORD [--encryption METHOD]] [-g] "
        "[-b DIR] [-n EXTS] "
        "[-i PATTERN] [-x PATTERN] [-!|--multidisk [--piece-size SIZE] [--clear-disks]] [-q] "
        "[--[no-]progress]");
    QStringList addFlags = levelFlags() + progressFlags();
    addFlags << QStringLiteral("-r") << QStringLiteral("-j") << QStringLiteral("-m")
             << QStringLiteral("-y") << QStringLiteral("-S") << QStringLiteral("-D")
             << QStringLiteral("-g") << QStringLiteral("-q") << QStringLiteral("--multidisk")
             << QStringLiteral("-!") << QStringLiteral("--clear-disks");
    const QStringList addValues = {QStringLiteral("-P"),          QStringLiteral("-b"),
                                   QStringLiteral("-n"),          QStringLiteral("-i"),
                                   QStringLiteral("-x"),          QStringLiteral("--piece-size"),
                                   QStringLiteral("--encryption")};
    table.push_back({QStringLiteral("add"), addUsage,
                     QStringLiteral("add files, replacing entries of the same name"),
                     QStringLiteral("adding"), addFlags, addValues, runAdd});
    table.push_back({QStringLiteral("update"), addUsage,
                     QStringLiteral("add missing files and replace entries whose file is newer"),
                     QStringLiteral("updating"), addFlags, addValues, runUpdate});
    table.push_back({QStringLiteral("freshen"), addUsage,
                     QStringLiteral("replace only entries whose file is newer"),
                     QStringLiteral("freshening"), addFlags, addValues, runFreshen});
    table.push_back(
        {QStringLiteral("delete"),
         QStringLiteral("names... [-i PATTERN] [-x PATTERN] [-b DIR] [-q]"),
         QStringLiteral("remove entries (names or wildcard patterns)"),
         QStringLiteral("deleting"),
         {QStringLiteral("-q")},
         {QStringLiteral("-i"), QStringLiteral("-x"), QStringLiteral("-b"), QStringLiteral("-P")},
         runDelete});
    table.push_back(
        {QStringLiteral("fix"),
         QStringLiteral("[--aggressive] [-P PASSWORD] [--out FILE] [-q] "
                        "[--[no-]progress]"),
         QStringLiteral("repair a damaged archive (--aggressive: scan every byte; "
                        "--out: write the repair to FILE, keep the archive)"),
         QStringLiteral("fixing"),
         QStringList{QStringLiteral("--aggressive"), QStringLiteral("-q")} + progressFlags(),
         {QStringLiteral("-P"), QStringLiteral("--out")},
         runFix});
    table.push_back({QStringLiteral("touch"),
                     QString(),
                     QStringLiteral("set the archive's date to that of its newest entry"),
                     QStringLiteral("updating the archive date"),
                     {},
                     {},
                     runTouch});
    for (Command &cmd : table) {
        if (cmd.name == QLatin1String("add") || cmd.name == QLatin1String("update") ||
            cmd.name == QLatin1String("freshen") || cmd.name == QLatin1String("delete") ||
            cmd.name == QLatin1String("fix") || cmd.name == QLatin1String("touch"))
            cmd.run = refusingReadOnly(cmd.run);
    }
    // "comment --set TEXT" writes; plain "comment" keeps reading.
    for (Command &cmd : table) {
        if (cmd.name != QLatin1String("comment"))
            continue;
        cmd.usage = QStringLiteral("[--set TEXT [-g] [-b DIR]]");
        cmd.summary += QStringLiteral(", or replace it (--set)");
        cmd.flags << QStringLiteral("-g");
        cmd.valueOptions << QStringLiteral("--set") << QStringLiteral("-b");
        cmd.run = [read = cmd.run](Context &c) {
            return c.args.all(QStringLiteral("--set")).isEmpty() ? read(c) : runSetComment(c);
        };
    }
}

} // namespace cli
