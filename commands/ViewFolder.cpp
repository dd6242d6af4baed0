#include "ViewFolder.h"

#include "platform/IoError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Instance folders are "view-PID-XXXXXX"; one is made under a name that
// starts with a dot and renamed only once its lock is held, so that a
// folder of that name without a held lock is always a stale one.
constexpr char InstancePrefix[] = "view-";
constexpr char PendingPrefix[] = ".view-new-";
constexpr char LockName[] = "/.lock";

// Folders made read-only inside (a drag extracts stored folders with their
// modes) are opened up first; links are removed, never followed.
void RemoveTree(const std::string &root) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        if (it->symlink_status(error).type() == fs::file_type::directory)
            ::chmod(it->path().c_str(), 0700);
    }
    fs::remove_all(root, error);
}

struct Instance {
    std::string base;
    std::string folder;
    dev_t device;
    ino_t inode;
    int lock; // held while the process runs
};

// The instance folders of this process, one per base; they go with it.
class Instances {
public:
    Instances() = default;
    Instances(const Instances &) = delete;
    Instances &operator=(const Instances &) = delete;
    ~Instances() {
        for (const Instance &i : list) {
            struct stat info {};
            if (::lstat(i.folder.c_str(), &info) == 0 && info.st_dev == i.device &&
                info.st_ino == i.inode)
                RemoveTree(i.folder);
            ::close(i.lock);
        }
    }
    std::vector<Instance> list;
};

Instances &OwnInstances() {
    static Instances instances;
    return instances;
}

bool IsLiveInstance(const Instance &i) {
    struct stat info {};
    return ::lstat(i.folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_dev == i.device && info.st_ino == i.inode;
}

TViewFolder ErrnoFailure(int error) {
    return {QString(), platform::IoErrorFromErrno(error).message};
}

TViewFolder NewInstanceFolder(const std::string &base) {
    std::string pending = base + "/" + PendingPrefix + "XXXXXX";
    if (::mkdtemp(pending.data()) == nullptr)
        return ErrnoFailure(errno);
    const std::string folder = base + "/" + InstancePrefix + std::to_string(::getpid()) + "-" +
                               pending.substr(pending.size() - 6);
    const int lock = ::open((pending + LockName).c_str(),
                            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat info {};
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0 ||
        ::renameat2(AT_FDCWD, pending.c_str(), AT_FDCWD, folder.c_str(), RENAME_NOREPLACE) != 0 ||
        ::lstat(folder.c_str(), &info) != 0) {
        const int error = errno;
        if (lock >= 0)
            ::close(lock);
        RemoveTree(pending);
        return ErrnoFailure(error);
    }
    OwnInstances().list.push_back(Instance{base, folder, info.st_dev, info.st_ino, lock});
    return {QFile::decodeName(QByteArray::fromStdString(folder)), QString()};
}

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

void RemoveStaleViewFolders(const QString &base) {
    const std::string root = QFile::encodeName(base).toStdString();
    DIR *dir = ::opendir(root.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> stale;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(InstancePrefix, 0) != 0)
            continue;
        const std::string folder = root + "/" + name;
        struct stat info {};
        if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        // No lock file: a removal that stopped half way.
        const int lock = ::open((folder + LockName).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (lock < 0 && errno != ENOENT)
            continue;
        if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) == 0)
            stale.push_back(folder);
        // Closing drops the lock; a stale folder's owner is gone for good.
        if (lock >= 0)
            ::close(lock);
    }
    ::closedir(dir);
    for (const std::string &folder : stale)
        RemoveTree(folder);
}

TViewFolder ViewFolderFor(const QString &tempFolder, const QString &systemTempFolder) {
    const TViewFolder base = ViewBaseFor(tempFolder, systemTempFolder);
    if (!base.Error.isEmpty())
        return base;
    const std::string root = QFile::encodeName(QDir::cleanPath(base.Folder)).toStdString();
    auto &own = OwnInstances().list;
    for (auto it = own.begin(); it != own.end(); ++it) {
        if (it->base != root)
            continue;
        if (IsLiveInstance(*it))
            return {QFile::decodeName(QByteArray::fromStdString(it->folder)), QString()};
        // Gone (the base was cleaned): a fresh one.
        ::close(it->lock);
        own.erase(it);
        break;
    }
    // A folder of the user's choice that is not there yet is made, as an
    // extraction into it would.
    QDir().mkpath(base.Folder);
    RemoveStaleViewFolders(base.Folder);
    return NewInstanceFolder(root);
}

TViewFolder ViewBaseFor(const QString &tempFolder, const QString &systemTempFolder) {
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
