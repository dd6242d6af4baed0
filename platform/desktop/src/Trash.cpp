#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString SystemWords(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Every missing folder of `path`, outermost first, made private to the
// user; 0 or the errno of the first that could not be made.
int MakePrivatePath(const QString &path) {
    const QString clean = QDir::cleanPath(path);
    for (qsizetype at = 1; at <= clean.size(); ++at) {
        if (at != clean.size() && clean[at] != QLatin1Char('/'))
            continue;
        const QByteArray prefix = QFile::encodeName(clean.left(at));
        if (::mkdir(prefix.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat info {};
    if (::stat(QFile::encodeName(clean).constData(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// "TRASH/files/NAME" where TRASH is the home trash or a trash folder at the
// top of a medium ("$topdir/.Trash-UID", "$topdir/.Trash/UID").
bool IsInTrash(const QString &path) {
    const QFileInfo file(path);
    const QDir files = file.absoluteDir();
    if (files.dirName() != QLatin1String("files"))
        return false;
    const QString trash = QFileInfo(files.absolutePath()).absolutePath();
    const QString uid = QString::number(::getuid());
    const QString name = QFileInfo(trash).fileName();
    return QDir::cleanPath(trash) == QDir::cleanPath(HomeTrashFolder()) ||
           name == QStringLiteral(".Trash-") + uid ||
           (name == uid &&
            QFileInfo(QFileInfo(trash).absolutePath()).fileName() == QLatin1String(".Trash"));
}

} // namespace

QString HomeTrashFolder() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data) + QStringLiteral("/Trash");
}

TrashResult MoveToDesktopTrash(const QString &path) {
    TrashResult result;
    const QString source = QFileInfo(path).absoluteFilePath();
    // Without a home trash the trash call files the file under "files" and
    // "info" of the current folder, where nobody would look for it.
    if (const int error = MakePrivatePath(HomeTrashFolder())) {
        result.error = SystemWords(error);
        return result;
    }
    QFile file(source);
    if (!file.moveToTrash()) {
        // A medium that cannot be written is the real cause, not the
        // cross-device move the trash call tried last.
        const QByteArray folder = QFile::encodeName(QFileInfo(source).absolutePath());
        result.error =
            ::access(folder.constData(), W_OK) != 0 ? SystemWords(errno) : file.errorString();
        return result;
    }
    if (!IsInTrash(file.fileName())) {
        const QString stray = file.fileName();
        QFile::rename(stray, source);
        result.error = QStringLiteral("The trash put the file in ") + stray +
                       QStringLiteral(", which is no trash folder");
        return result;
    }
    result.moved = true;
    result.pathInTrash = file.fileName();
    return result;
}

} // namespace platform
