#include "ZipEngineInternal.h"

#include <algorithm>

namespace {

const QString IncludeMark = QStringLiteral(">");
const QString ExcludeMark = QStringLiteral("<");

} // namespace

void TZipEngine::AppendPassword(Arguments &vector) const {
    vector.Append(Password);
}

void TZipEngine::AppendMode(Arguments &vector, std::uint8_t mode) {
    if (mode == 1)
        vector.Append("-f");
    else if (mode == 2)
        vector.Append("-u");
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
    return ZipResultMultidisk;
}

void TZipEngine::AppendFileList(Arguments &vector, bool includesAllowed) const {
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

int TZipEngine::AddToArchive(std::uint8_t mode) {
    if (mode != 0 && MultidiskMode)
        return RefuseInMultidisk();
    return RunFrame(
        Side::Zip,
        [this, mode](Arguments &v) {
            AppendPassword(v);
            AppendMode(v, mode);
            if (!Password.isEmpty())
                v.Append("-e");
            // The level is sent as a single digit; 9 is the most there is.
            v.Append(QStringLiteral("-%1").arg(std::min<int>(Compression, 9)));
            if (MoveFiles)
                v.Append("-m");
            if (mode != 1 && IncludeHiddenFiles)
                v.Append("-S");
            if (mode != 1 && UsePaths && IncludeDirectoryEntries)
                v.Append("-D");
            if (mode == 0 && IncludeVolumeLabel)
                v.Append("-$");
            if (Recurse)
                v.Append("-r");
            if (!UsePaths)
                v.Append("-j");
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
            AppendFileList(v, true);
        },
        true);
}

int TZipEngine::DeleteFromArchive() {
    if (MultidiskMode)
        return RefuseInMultidisk();
    return RunFrame(
        Side::Zip,
        [this](Arguments &v) {
            AppendPassword(v);
            v.Append("-d");
            AppendTempFolder(v);
            v.Append(ZipFileName);
            AppendFileList(v, true);
        },
        true);
}

int TZipEngine::ExtractFromArchive(std::uint8_t mode) {
    if (mode != 0 && MultidiskMode)
        return RefuseInMultidisk();
    return RunFrame(
        Side::Unzip,
        [this, mode](Arguments &v) {
            AppendPassword(v);
            AppendMode(v, mode);
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
        },
        true);
}

int TZipEngine::FixArchive(bool aggressive) {
    if (MultidiskMode)
        return RefuseInMultidisk();
    return RunFrame(
        Side::Zip,
        [this, aggressive](Arguments &v) {
            AppendPassword(v);
            v.Append(aggressive ? "-FF" : "-F");
            v.Append(ZipFileName);
        },
        true);
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
    if (MultidiskMode)
        return RefuseInMultidisk();
    return RunFrame(
        Side::Zip,
        [this](Arguments &v) {
            AppendPassword(v);
            v.Append("-o");
            v.Append(ZipFileName);
        },
        true);
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
    if (code != 0)
        return QStringLiteral("Error #%1").arg(code);
    return QString::fromUtf8(CommentBuffer());
}

void TZipEngine::SetArchiveComment(const QString &text) {
    if (MultidiskMode) {
        LastCommentWriteResult = ZipResultMultidisk;
        return;
    }
    auto &store = zipengine::SharedComment();
    const QByteArray bytes = zipengine::LimitedPrefix(text.toUtf8(), ENGINE_COMMENT_CAPACITY);
    std::copy(bytes.cbegin(), bytes.cend(), store.chars);
    store.length = static_cast<std::uint8_t>(bytes.size());

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
