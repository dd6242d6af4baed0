#include "platform/PrivateProfile.h"

#include "IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

thread_local int lastError = 0;

// The file holds a password in plain text: owner only.
constexpr mode_t kFileMode = 0600;
constexpr mode_t kFolderMode = 0700;

QString CutToReadLimit(const QString &text) {
    return text.left(kProfileReadLimit);
}

// Creates `folder` and its missing parents, each new one owner-only.
int MakeFolders(const QString &folder) {
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    QString path;
    const QStringList parts = absolute.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        path += u'/' + part;
        const QByteArray native = QFile::encodeName(path);
        if (::mkdir(native.constData(), kFolderMode) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

bool WriteAll(int fd, const QByteArray &data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

// Replaces the file through a temporary file in the same folder, so a failed
// write never leaves half a file behind. Returns 0 or an errno value.
int ReplaceFile(const QString &path, const QByteArray &content) {
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), F_OK) == 0 && ::access(native.constData(), W_OK) != 0)
        return errno;
    const QFileInfo info(path);
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno;
    int error = 0;
    if (::fchmod(fd, kFileMode) != 0 || !WriteAll(fd, content) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.constData(), native.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.constData());
    return error;
}

bool IsBareName(const QString &fileName) {
    return !fileName.contains(u'/');
}

} // namespace

QString WindowsDirectory() {
    const QString overridden = qEnvironmentVariable("TARNWICK_WINDIR");
    if (!overridden.isEmpty())
        return QDir::cleanPath(overridden);
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/tarnwick"));
}

QString ResolveProfilePath(const QString &fileName) {
    if (IsBareName(fileName))
        return WindowsDirectory() + u'/' + fileName;
    return fileName;
}

int LastProfileError() {
    return lastError;
}

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &fileName) {
    // The system trims trailing blanks from the default as well.
    QString fallback = defaultValue;
    while (!fallback.isEmpty() && fallback.back().isSpace())
        fallback.chop(1);
    QFile file(ResolveProfilePath(fileName));
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return CutToReadLimit(fallback);
    const ini::IniText text(file.readAll());
    return CutToReadLimit(text.value(section, key).value_or(fallback));
}

bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &fileName) {
    lastError = 0;
    if (fileName.isEmpty() || section.trimmed().isEmpty() ||
        (!key.isNull() && key.trimmed().isEmpty())) {
        lastError = EINVAL;
        return false;
    }
    const QString path = ResolveProfilePath(fileName);
    if (IsBareName(fileName)) {
        if (const int error = MakeFolders(WindowsDirectory())) {
            lastError = error;
            return false;
        }
    }
    QByteArray before;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            lastError = EACCES;
            return false;
        }
        before = file.readAll();
        file.close();
    }
    ini::IniText text(before);
    if (key.isNull()) {
        text.removeSection(section);
    } else {
        // A line break would end the value early and start a line of its own.
        QString oneLine = value;
        if (!oneLine.isNull())
            oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
        text.setValue(section, key, oneLine);
    }
    if (const int error = ReplaceFile(path, text.content())) {
        lastError = error;
        return false;
    }
    return true;
}

} // namespace platform
