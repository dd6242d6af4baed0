#include "KeptOriginal.h"

#include "ArchiveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace commands {

KeptOriginal::~KeptOriginal() {
    if (!path_.isEmpty())
        QFile::remove(path_);
    // Only an empty folder goes: a kept file that could not be removed stays
    // recoverable.
    if (!folder_.isEmpty())
        QDir().rmdir(folder_);
}

bool KeptOriginal::keep(const QString &archive) {
    const QFileInfo info(archive);
    const QString real = info.canonicalFilePath();
    if (real.isEmpty() || !QFileInfo(real).isFile())
        return false;
    archive_ = real;
    // Beside the archive, so that a hard link is possible (same file system).
    QTemporaryDir dir(QFileInfo(real).absolutePath() + QStringLiteral("/.tarnwick-fix-XXXXXX"));
    if (!dir.isValid())
        return false;
    dir.setAutoRemove(false);
    folder_ = dir.path();
    const QString target = folder_ + QLatin1Char('/') + QFileInfo(real).fileName();
    const QByteArray from = QFile::encodeName(real), to = QFile::encodeName(target);
    if (::linkat(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), AT_SYMLINK_FOLLOW) != 0 &&
        CopyFileSafely(real, target) != 0)
        return false;
    path_ = target;
    return true;
}

void KeptOriginal::release() {
    path_.clear();
}

QString KeptOriginal::leaveBeside() {
    for (int n = 1; n < 100; ++n) {
        const QString beside =
            archive_ + QStringLiteral(".damaged") + (n > 1 ? QString::number(n) : QString());
        if (QFileInfo::exists(beside))
            continue;
        // QFile::rename never replaces an existing file.
        if (!QFile::rename(path_, beside))
            return QString();
        path_.clear();
        return beside;
    }
    return QString();
}

} // namespace commands
