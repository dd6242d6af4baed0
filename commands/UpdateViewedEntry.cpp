#include "UpdateViewedEntry.h"

#include "BusyScope.h"
#include "MainForm.h"
#include "platform/IoError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int FailedClass = 2;

[[noreturn]] void Fail(int error) {
    throw std::runtime_error(platform::IoErrorFromErrno(error).message.toStdString());
}

// `copy` under `storedName` in `root`: a hard link, so the engine sees the
// copy's own time and bytes; a copy of it where links cannot be made.
void Stage(const QString &copy, const QString &root, const QString &storedName) {
    const QString staged = root + QLatin1Char('/') + storedName;
    if (!QDir().mkpath(QFileInfo(staged).absolutePath()))
        Fail(EACCES);
    const QByteArray from = QFile::encodeName(copy), to = QFile::encodeName(staged);
    if (::link(from.constData(), to.constData()) == 0)
        return;
    if (!QFile::copy(copy, staged))
        Fail(errno != 0 ? errno : EIO);
    // Update compares times: the staged file must have the copy's.
    QFile file(staged);
    if (!file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(QFileInfo(copy).lastModified(), QFileDevice::FileModificationTime))
        Fail(EIO);
}

} // namespace

bool IsPlainStoredFileName(const QString &storedName) {
    if (storedName.isEmpty())
        return false;
    const QStringList parts = storedName.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString &part) {
        return part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
    });
}

void UpdateViewedEntry(TMainFormFm &form, const QString &copy, const QString &storedName) {
    if (!IsPlainStoredFileName(storedName))
        return;
    form.MultidiskOff();
    const TBusyScope busy(form);

    // Beside the copy: the same file system, so the link can be made, and
    // as private as the view folder.
    QTemporaryDir stage(QFileInfo(copy).absolutePath() +
                        QStringLiteral("/.tarnwick-update-XXXXXX"));
    if (!stage.isValid())
        Fail(EACCES);
    Stage(copy, stage.path(), storedName);

    // The engine takes the staged name relative to the working folder; what
    // else it is given relative must not move with it.
    TZipEngine &zip = form.MainZip;
    int code = 0;
    {
        const QString archive = zip.ZipFileName;
        const QString tempPath = zip.TempPath;
        const QString workingFolder = QDir::currentPath();
        const auto restore = qScopeGuard([&] {
            QDir::setCurrent(workingFolder);
            zip.ZipFileName = archive;
            zip.TempPath = tempPath;
        });
        zip.ZipFileName = QFileInfo(archive).absoluteFilePath();
        if (!tempPath.isEmpty())
            zip.TempPath = QFileInfo(tempPath).absoluteFilePath();
        if (!QDir::setCurrent(stage.path()))
            Fail(EACCES);
        zip.FilesToProcess = QStringList{storedName};
        zip.LiteralNames = true;
        form.SetStatusText(QStringLiteral("Updating files."));
        zip.UsePaths = true;
        code = zip.AddToArchive(2);
    }
    if (form.ShowZipResult(code, QStringLiteral("updating")) != FailedClass)
        form.ListArchiveContents();
}
