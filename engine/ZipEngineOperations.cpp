#include "ZipEngineInternal.h"

#include <algorithm>

namespace {

const QString IncludeMark = QStringLiteral(">");
const QString ExcludeMark = QStringLiteral("<");

bool IsPatternCharacter(QChar c) {
    return c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[');
}

// The engines read "*", "?" and "[" as pattern characters; written as a
// class of their own ("[*]") they match only themselves, and the engines
// look such names up as plainly as any other.
QString EscapePatterns(QStringView text, bool dashToo) {
    QString out;
    out.reserve(text.size() + 6);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsPatternCharacter(c) || (dashToo && i == 0 && c == QLatin1Char('-'))) {
            out += QLatin1Char('[');
            out += c;
            out += QLatin1Char(']');
        } else {
            out += c;
        }
    }
    return out;
}

// The bytes of `text` in UTF-8 (a surrogate pair takes four).
std::size_t Utf8Size(QStringView text) {
    std::size_t n = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        n += u < 0x80 ? 1 : (u < 0x800 || c.isSurrogate()) ? 2 : 3;
    }
    return n;
}

// An entry name as a file element that selects that entry alone. A leading
// "-" is escaped too: an entry called "-x" or "-d" would otherwise be read
// as the start of a section or the target folder.
QString LiteralEntryName(const QString &name) {
    if (!name.startsWith(QLatin1Char('-')) &&
        std::none_of(name.cbegin(), name.cend(), IsPatternCharacter))
        return name;
    return EscapePatterns(name, true);
}

// A file on disk as a file element that adds that file alone. The
// compressing side reads patterns only in the last part of a path, so only
// that part is escaped; a relative path starting with "-" gets "./" (the
// stored name drops it).
QString LiteralFilePath(const QString &path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == QLatin1Char('/'))
        --end;
    const qsizetype start = end > 0 ? path.lastIndexOf(QLatin1Char('/'), end - 1) + 1 : 0;
    const QStringView base = QStringView(path).mid(start, end - start);
    QString out = path;
    if (std::any_of(base.cbegin(), base.cend(), IsPatternCharacter))
        out = path.left(start) + EscapePatterns(base, false) + path.mid(end);
    if (out.startsWith(QLatin1Char('-')))
        out.prepend(QStringLiteral("./"));
    return out;
}

} // namespace

void TZipEngine::AppendPassword(Arguments &vector) const {
    vector.Append(Password);
}

void TZipEngine::AppendTempFolder(Arguments &vector) const {
    if (!TempPath.isEmpty()) {
        vector.Append("-b");
        vector.Append(TempPath);
    }
}

// Operations that multidisk sets cannot take are refused before the engine
// is reached; the caller's file list is used up all the same.
int TZipEngine::RefuseInMultidisk() {
    FilesToProcess = QStringList();
    FilePositions = QList<std::int32_t>();
    LiteralNames = false;
    return ZipResultMultidisk;
}

int TZipEngine::RunOrRefuse(Side side, bool refused,
                            const std::function<void(Arguments &)> &options) {
    if (refused)
        return RefuseInMultidisk();
    return RunFrame(
        side,
        [this, &options](Arguments &v) {
            AppendPassword(v);
            options(v);
        },
        true);
}

void TZipEngine::AppendMode(Arguments &vector, std::uint8_t mode) {
    if (mode == 1)
        vector.Append("-f");
    else if (mode == 2)
        vector.Append("-u");
}

void TZipEngine::AppendFileList(Arguments &vector, bool includesAllowed, FileKind kind) const {
    if (LiteralNames && kind == FileKind::Entries && !FilesToProcess.isEmpty() &&
        FilePositions.size() == FilesToProcess.size()) {
        vector.Append("-#");
        std::size_t bytes = 0;
        for (qsizetype i = 0; i < FilesToProcess.size(); ++i)
            bytes += Utf8Size(FilesToProcess[i]) + 11; // the position and ":"
        vector.Reserve(static_cast<std::size_t>(FilesToProcess.size()), bytes);
        for (qsizetype i = 0; i < FilesToProcess.size(); ++i)
            vector.Append(QString::number(FilePositions[i]) + QLatin1Char(':') + FilesToProcess[i]);
        return;
    }
    if (LiteralNames) {
        for (const QString &entry : FilesToProcess)
            vector.Append(kind == FileKind::OnDisk ? LiteralFilePath(entry)
                                                   : LiteralEntryName(entry));
        return;
    }
    const int start = vector.Count();
    bool includes = false;
    bool excludes = false;
    for (const QString &entry : FilesToProcess) {
        if (includesAllowed && entry.startsWith(IncludeMark))
            includes = true;
        else if (entry.startsWith(ExcludeMark))
            excludes = true;
        else
            vector.Append(entry);
    }
    // Patterns only narrow down the named files; with no names there is
    // nothing for them to act on.
    if (vector.Count() == start)
        return;
    if (includes) {
        vector.Append("-i");
        for (const QString &entry : FilesToProcess)
            if (entry.startsWith(IncludeMark))
                vector.Append(entry.mid(1));
    }
    if (excludes) {
        vector.Append("-x");
        for (const QString &entry : FilesToProcess)
            if (entry.startsWith(ExcludeMark))
                vector.Append(entry.mid(1));
    }
}

int TZipEngine::ListArchive() {
    readOnlyType_.clear();
    return RunFrame(
        Side::Unzip,
        [this](Arguments &v) {
            AppendPassword(v);
            v.Append("-v");
            if (MultidiskMode)
                v.Append("-!");
            v.Append(ZipFileName);
            AppendFileList(v, false);
        },
        true);
}

int TZipEngine::AddToArchive(TZipAddMode mode) {
    return RunOrRefuse(
        Side::Zip, mode != TZipAddMode::Add && MultidiskMode, [this, mode](Arguments &v) {
            AppendMode(v, static_cast<std::uint8_t>(mode));
            if (!Password.isEmpty()) {
                v.Append("-e");
                if (Encryption != zenZipCrypto) {
                    v.Append("-Y");
                    v.Append(Encryption == zenAes128   ? "aes128"
                             : Encryption == zenAes192 ? "aes192"
                                                       : "aes256");
                }
            }
            // The level is sent as a single digit; 9 is the most there is.
            v.Append(QStringLiteral("-%1").arg(std::min<int>(Compression, 9)));
            if (MoveFiles)
                v.Append("-m");
            if (mode != TZipAddMode::Freshen && IncludeHiddenFiles)
                v.Append("-S");
            if (mode != TZipAddMode::Freshen && UsePaths && IncludeDirectoryEntries)
                v.Append("-D");
            if (mode == TZipAddMode::Add && IncludeVolumeLabel)
                v.Append("-$");
            if (Recurse)
                v.Append("-r");
            if (!UsePaths)
                v.Append("-j");
            if (StoreSymlinks)
                v.Append("-y");
            if (!UseTempFile || MultidiskMode)
                v.Append("-g");
            AppendTempFolder(v);
            if (!StoredExtensions.isEmpty()) {
                v.Append("-n");
                v.Append(StoredExtensions);
            }
            if (MultidiskMode)
                v.Append("-!");
            if (MultidiskMode && PieceSize > 0) {
                v.Append("-s");
                v.Append(QByteArrayView(QByteArray::number(static_cast<qlonglong>(PieceSize))));
            }
            if (ClearDisks)
                v.Append("-&");
            v.Append("-t");
            v.Append(EarliestFileDate.toString(QStringLiteral("MMddyy")));
            v.Append(ZipFileName);
            AppendFileList(v, true, FileKind::OnDisk);
        });
}

int TZipEngine::DeleteFromArchive() {
    return RunOrRefuse(Side::Zip, MultidiskMode, [this](Arguments &v) {
        v.Append("-d");
        AppendTempFolder(v);
        v.Append(ZipFileName);
        AppendFileList(v, true);
    });
}

int TZipEngine::ExtractFromArchive(TZipExtractMode mode) {
    return RunOrRefuse(Side::Unzip, mode != TZipExtractMode::All && MultidiskMode,
                       [this, mode](Arguments &v) {
                           AppendMode(v, static_cast<std::uint8_t>(mode));
                           if (!UsePaths)
                               v.Append("-j");
                           if (MultidiskMode)
                               v.Append("-!");
                           if (Overwrite == zowNever)
                               v.Append("-n");
                           else if (Overwrite == zowAlways)
                               v.Append("-o");
                           v.Append(ZipFileName);
                           AppendFileList(v, false);
                           // The target folder follows the names, where the engine looks
                           // for it.
                           if (!ExtractDirectory.isEmpty()) {
                               v.Append("-d");
                               v.Append(ExtractDirectory);
                           }
                       });
}

int TZipEngine::FixArchive(bool aggressive) {
    return RunOrRefuse(Side::Zip, MultidiskMode, [this, aggressive](Arguments &v) {
        v.Append(aggressive ? "-FF" : "-F");
        v.Append(ZipFileName);
    });
}

int TZipEngine::TestArchive() {
    return RunFrame(
        Side::Unzip,
        [this](Arguments &v) {
            AppendPassword(v);
            if (MultidiskMode)
                v.Append("-!");
            v.Append("-t");
            v.Append(ZipFileName);
            AppendFileList(v, false);
        },
        true);
}

int TZipEngine::UpdateArchiveDate() {
    return RunOrRefuse(Side::Zip, MultidiskMode, [this](Arguments &v) {
        v.Append("-o");
        v.Append(ZipFileName);
    });
}

QString TZipEngine::ArchiveComment() {
    const int code = RunFrame(
        Side::Unzip,
        [this](Arguments &v) {
            v.Append("");
            v.Append("-z");
            v.Append(ZipFileName);
        },
        true);
    if (code != ENGINE_OK)
        return QStringLiteral("Error #%1").arg(code);
    return QString::fromUtf8(CommentBuffer());
}

void TZipEngine::SetArchiveComment(const QString &text) {
    if (MultidiskMode) {
        LastCommentWriteResult = ZipResultMultidisk;
        return;
    }
    auto &store = zipengine::SharedComment();
    // The limit counts characters, as the user sees them, not their bytes.
    const QByteArray bytes = zipengine::LimitedPrefix(
        zipengine::CharacterPrefix(text.toUtf8(), ENGINE_ARCHIVE_COMMENT_CHARS),
        ENGINE_ARCHIVE_COMMENT_CAPACITY);
    std::copy(bytes.cbegin(), bytes.cend(), store.chars);
    store.length = static_cast<std::uint16_t>(bytes.size());

    // The engine fetches the text from the buffer.
    LastCommentWriteResult = RunFrame(
        Side::Zip,
        [this](Arguments &v) {
            v.Append("");
            v.Append("-z");
            if (!UseTempFile)
                v.Append("-g");
            AppendTempFolder(v);
            v.Append(ZipFileName);
        },
        false);
}
