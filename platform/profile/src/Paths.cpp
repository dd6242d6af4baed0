#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace platform {

QString TempPath() {
    QString path = QDir::tempPath();
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

bool IsSameFile(const QString &a, const QString &b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString ProgramFolder() {
    // Tests run from their own folder and point this at the program's one.
    const QString overridden = qEnvironmentVariable("TARNWICK_PROGRAM_DIR");
    if (!overridden.isEmpty())
        return QDir::cleanPath(overridden);
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

QStringList BesideProgramFolders() {
    const QString folder = ProgramFolder();
    return {folder, QDir::cleanPath(folder + QStringLiteral("/../share/tarnwick"))};
}

QString FindBesideProgram(const QString &name) {
    const QStringList folders = BesideProgramFolders();
    for (const QString &folder : folders) {
        const QString candidate = folder + u'/' + name;
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return folders.front() + u'/' + name;
}

} // namespace platform
