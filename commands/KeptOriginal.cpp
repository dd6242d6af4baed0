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
bool Link(const QString &from, const QString &to) {
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
// Both names stay taken throughout: each file has one at every moment.
bool Exchange(const QString &a, const QString &b) {
    return ::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD,
                       QFile::encodeName(b).constData(), RENAME_EXCHANGE) == 0;
}
} // namespace

bool KeptOriginal::sendToTrash() {
    platform::Desktop &desktop = platform::Desktop::current();
    const auto trashWhereItIs = [&] {
        const bool moved = desktop.moveToTrash(path_);
        if (moved)
            path_.clear();
        return moved;
    };
    // The repaired archive gets a second name first, so that no step
    // below leaves it without one.
    const QString repaired = folder_ + QStringLiteral("/.repaired");
    if (!Link(archive_, repaired))
        return trashWhereItIs();
    // One atomic step gives the original its name back; an exchange keeps
    // its kept name on the repaired archive, which a failed trash needs.
    const bool exchanged = Exchange(path_, archive_);
    if (!exchanged && !Rename(path_, archive_)) {
        QFile::remove(repaired);
        return trashWhereItIs();
    }
    if (desktop.moveToTrash(archive_)) {
        // Over a copy a trash may have left behind.
        if (Rename(repaired, archive_)) {
            if (exchanged)
                QFile::remove(path_); // the repaired archive's extra name
            path_.clear();
            return true;
        }
        // The repaired archive stays in the hidden folder rather than be lost.
        path_.clear();
        folder_.clear();
        return true;
    }
    // The trash refused: the repaired archive takes the name again and the
    // original goes back to its kept name.
    const bool undone = exchanged ? Exchange(path_, archive_)
                                  : (Link(archive_, path_) && Rename(repaired, archive_));
    if (undone) {
        QFile::remove(repaired);
        return false;
    }
    // Nothing moves any more: the original is under the archive's name and
    // the repaired archive in the hidden folder, and that is what is said.
    path_ = archive_;
    folder_.clear();
    return false;
}

void KeptOriginal::release() {
    path_.clear();
}

QString KeptOriginal::leaveBeside() {
    if (path_ == archive_)
        return QString();
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
