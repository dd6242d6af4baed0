#include "ArchiveFile.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace commands {
namespace {

// Closes a descriptor on every path.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    int release() {
        const int f = fd;
        fd = -1;
        return ::close(f);
    }
};

QByteArray Native(const QString &path) {
    return path.toLocal8Bit();
}

QByteArray FolderOf(const QByteArray &path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

std::uint64_t FailAfter() {
    const char *v = std::getenv("TARNWICK_COPY_FAIL_AFTER");
    return (v && *v) ? std::strtoull(v, nullptr, 10) : UINT64_MAX;
}

bool WriteAll(int fd, const char *data, std::size_t size, std::uint64_t &budget) {
    while (size > 0) {
        if (budget == 0) {
            errno = ENOSPC;
            return false;
        }
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, budget));
        const ssize_t n = ::write(fd, data, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        if (budget != UINT64_MAX)
            budget -= static_cast<std::uint64_t>(n);
    }
    return true;
}

bool CopyBytes(int from, int to) {
    constexpr std::size_t BufferSize = 1 << 20;
    const auto buffer = std::make_unique<char[]>(BufferSize);
    std::uint64_t budget = FailAfter();
    for (;;) {
        const ssize_t n = ::read(from, buffer.get(), BufferSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        if (!WriteAll(to, buffer.get(), static_cast<std::size_t>(n), budget))
            return false;
    }
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const QByteArray &folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

int CopyFileSafely(const QString &source, const QString &target) {
    const QByteArray to = Native(target);
    Fd in{::open(Native(source).constData(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0)
        return errno;
    struct stat existing {};
    mode_t mode = NewFileMode();
    if (::stat(to.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return EISDIR;
        mode = existing.st_mode & 07777;
    }
    const QByteArray folder = FolderOf(to);
    QByteArray temp = folder + "/.tarnwick-copy-XXXXXX";
    Fd out{::mkostemp(temp.data(), O_CLOEXEC)};
    if (out.fd < 0)
        return errno;
    int error = 0;
    if (!CopyBytes(in.fd, out.fd) || ::fchmod(out.fd, mode) != 0 || ::fsync(out.fd) != 0)
        error = errno;
    if (out.release() != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.constData(), to.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        return error;
    }
    SyncFolder(folder);
    return 0;
}

int MoveFileSafely(const QString &source, const QString &target) {
    const QByteArray from = Native(source), to = Native(target);
    if (::rename(from.constData(), to.constData()) == 0) {
        SyncFolder(FolderOf(to));
        return 0;
    }
    if (errno != EXDEV)
        return errno;
    if (const int error = CopyFileSafely(source, target))
        return error;
    if (::unlink(from.constData()) != 0)
        return errno;
    SyncFolder(FolderOf(from));
    return 0;
}

} // namespace commands
