#include "KeptOriginal.h"

#include "ArchiveFile.h"
#include "platform/Desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
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

namespace {
bool Rename(const QString &from, const QString &to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
} // namespace

bool KeptOriginal::sendToTrash() {
    platform::Desktop &desktop = platform::Desktop::current();
    const QString repaired = folder_ + QStringLiteral("/.repaired");
    // Every step is a rename within one folder pair on one file system; if
    // one fails the kept file goes to the trash from where it is.
    if (!Rename(archive_, repaired)) {
        const bool moved = desktop.moveToTrash(path_);
        if (moved)
            path_.clear();
        return moved;
    }
    if (!Rename(path_, archive_)) {
        if (!Rename(repaired, archive_))
            folder_.clear(); // leave both where they are rather than lose one
        const bool moved = desktop.moveToTrash(path_);
        if (moved)
            path_.clear();
        return moved;
    }
    const bool moved = desktop.moveToTrash(archive_);
    if (moved) {
        path_.clear();
    } else if (!Rename(archive_, path_)) {
        // Never one copy over the other: both stay where they are.
        path_.clear();
        folder_.clear();
        return false;
    }
    // Over a copy a trash may have left behind.
    if (!Rename(repaired, archive_)) {
        path_.clear();
        folder_.clear(); // both stay in the hidden folder, nothing is removed
    }
    return moved;
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
