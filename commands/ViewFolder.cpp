#include "ViewFolder.h"

#include "platform/IoError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString WithoutTrailingSlash(QString folder) {
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

bool SameFolder(const QString &a, const QString &b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

} // namespace

TViewFolder PrivateFolder(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) == 0)
        return {path, QString()};
    if (errno != EEXIST)
        return {QString(), platform::IoErrorFromErrno(errno).message};
    struct stat info {};
    // lstat: a link of that name, even to a folder of ours, could be turned
    // elsewhere by whoever planted it.
    if (::lstat(name.constData(), &info) != 0)
        return {QString(), platform::IoErrorFromErrno(errno).message};
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return {QString(), QStringLiteral("The folder ") + path +
                               QStringLiteral(" is not a private folder of this user")};
    if ((info.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0)
        return {QString(), platform::IoErrorFromErrno(errno).message};
    return {path, QString()};
}

TViewFolder ViewFolderFor(const QString &tempFolder, const QString &systemTempFolder) {
    const QString folder = WithoutTrailingSlash(tempFolder.left(255));
    if (!SameFolder(folder.isEmpty() ? QStringLiteral("/") : folder, systemTempFolder))
        return {folder, QString()};
    return PrivateFolder(WithoutTrailingSlash(QDir::cleanPath(systemTempFolder)) +
                         QStringLiteral("/tarnwick-") + QString::number(::geteuid()));
}

TViewCopies::TViewCopies(const QString &folder, const QStringList &names) {
    for (const QString &name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        struct stat info {};
        const bool existed = ::lstat(QFile::encodeName(path).constData(), &info) == 0;
        before_.push_back(Before{path, existed, info.st_dev, info.st_ino});
    }
}

QStringList TViewCopies::Written() const {
    QStringList written;
    for (const Before &b : before_) {
        struct stat info {};
        if (::lstat(QFile::encodeName(b.path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (!b.existed || info.st_dev != b.device || info.st_ino != b.inode)
            written.append(b.path);
    }
    return written;
}
