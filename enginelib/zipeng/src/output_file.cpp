#include "output_file.h"

#include "engine_contract.h"
#include "link_target.h"
#include "zipformat/umask.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zipwrite {

namespace {

constexpr std::size_t kBufferSize = 1u << 20;

std::string folderOf(const std::string &path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string &path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int makeTemp(const std::string &folder, const std::string &base, std::string &path) {
    std::string pattern = folder + "/." + base + ".tnw-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd >= 0)
        path = buf.data();
    return fd;
}

void syncFolder(const std::string &folder) {
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

std::uint64_t failAfterFromEnvironment() {
    const char *v = std::getenv("TARNWICK_ZIPENG_FAIL_AFTER");
    if (v == nullptr || *v == '\0')
        return UINT64_MAX;
    return std::strtoull(v, nullptr, 10);
}

// The mode a new archive gets: what open(..., 0666) would give under umask.
mode_t defaultMode() {
    return 0666 & ~zipformat::processUmask();
}

// The old file's owner and group, as far as this user may give them: only
// root can give a file away, a member of the group can keep the group.
void keepOwner(int fd, const struct stat &old) {
    if (::fchown(fd, old.st_uid, old.st_gid) == 0)
        return;
    if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // The new file keeps this user's group.
    }
}

} // namespace

zipformat::Status OutputFile::createTemporary(const std::string &archive,
                                              const std::string &tempDir,
                                              std::unique_ptr<OutputFile> &result) {
    std::unique_ptr<OutputFile> out(new OutputFile);
    out->archive_ = linkTarget(archive);
    if (out->archive_.empty())
        return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
    // Beside the file itself, not beside a link to it, so that the rename
    // stays on its file system and needs no room on the link's.
    const std::string folder = tempDir.empty() ? folderOf(out->archive_) : tempDir;
    out->fd_ = makeTemp(folder, baseOf(out->archive_), out->tempPath_);
    if (out->fd_ < 0)
        return zipformat::Status(ENGINE_TEMP_FILE, errno);
    out->buffer_.reserve(kBufferSize);
    out->failAfter_ = failAfterFromEnvironment();
    result = std::move(out);
    return {};
}

zipformat::Status OutputFile::openForGrowth(const std::string &archive, std::uint64_t appendAt,
                                            std::unique_ptr<OutputFile> &result) {
    std::unique_ptr<OutputFile> out(new OutputFile);
    out->archive_ = linkTarget(archive);
    out->grow_ = true;
    out->fd_ = ::open(out->archive_.c_str(), O_RDWR | O_CLOEXEC);
    if (out->fd_ < 0)
        return zipformat::Status(ENGINE_NOT_ACCESSIBLE, errno);
    // Nothing is written before the old tail is saved whole, so a failure
    // until then leaves the file alone: a rollback from a partial copy
    // would cut the archive or overwrite its directory.
    const auto untouched = [&out] {
        ::close(out->fd_);
        out->fd_ = -1;
        return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
    };
    struct stat st {};
    if (::fstat(out->fd_, &st) != 0 || static_cast<std::uint64_t>(st.st_size) < appendAt)
        return untouched();
    out->oldLength_ = static_cast<std::uint64_t>(st.st_size);
    out->appendAt_ = appendAt;
    // The old directory and end records, kept to be put back on failure.
    const std::uint64_t tail = out->oldLength_ - appendAt;
    out->savedTail_.resize(static_cast<std::size_t>(tail));
    std::size_t got = 0;
    while (got < tail) {
        const ssize_t n = ::pread(out->fd_, out->savedTail_.data() + got, tail - got,
                                  static_cast<off_t>(appendAt + got));
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return untouched();
        }
        got += static_cast<std::size_t>(n);
    }
    out->position_ = appendAt;
    out->flushedTo_ = appendAt;
    out->buffer_.reserve(kBufferSize);
    out->failAfter_ = failAfterFromEnvironment();
    result = std::move(out);
    return {};
}

OutputFile::~OutputFile() {
    if (!committed_)
        rollback();
    if (fd_ >= 0)
        ::close(fd_);
}

void OutputFile::rollback() noexcept {
    if (fd_ < 0)
        return;
    if (grow_) {
        // Put the old directory back and cut the file to its old length.
        std::size_t done = 0;
        while (done < savedTail_.size()) {
            const ssize_t n = ::pwrite(fd_, savedTail_.data() + done, savedTail_.size() - done,
                                       static_cast<off_t>(appendAt_ + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        if (::ftruncate(fd_, static_cast<off_t>(oldLength_)) == 0)
            ::fsync(fd_);
    } else if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
    }
}

zipformat::Status OutputFile::fail(int err) const {
    return zipformat::writeFailure(err, grow_ ? ENGINE_NOT_ACCESSIBLE : ENGINE_TEMP_FILE);
}

zipformat::Status OutputFile::rawWrite(std::uint64_t at, const void *data, std::size_t n) {
    const auto *p = static_cast<const std::uint8_t *>(data);
    std::size_t done = 0;
    while (done < n) {
        std::size_t want = n - done;
        if (bytesWritten_ >= failAfter_)
            return fail(ENOSPC);
        if (failAfter_ != UINT64_MAX && want > failAfter_ - bytesWritten_)
            want = static_cast<std::size_t>(failAfter_ - bytesWritten_);
        const ssize_t w = ::pwrite(fd_, p + done, want, static_cast<off_t>(at + done));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (w == 0)
            return fail(ENOSPC);
        done += static_cast<std::size_t>(w);
        bytesWritten_ += static_cast<std::uint64_t>(w);
    }
    return {};
}

zipformat::Status OutputFile::flush() {
    if (buffer_.empty())
        return {};
    if (zipformat::Status s = rawWrite(flushedTo_, buffer_.data(), buffer_.size()); s.failed())
        return s;
    flushedTo_ += buffer_.size();
    buffer_.clear();
    return {};
}

zipformat::Status OutputFile::write(const void *data, std::size_t n) {
    const auto *p = static_cast<const std::uint8_t *>(data);
    if (n >= kBufferSize) {
        if (zipformat::Status s = flush(); s.failed())
            return s;
        if (zipformat::Status s = rawWrite(flushedTo_, p, n); s.failed())
            return s;
        flushedTo_ += n;
        position_ += n;
        return {};
    }
    if (buffer_.size() + n > kBufferSize) {
        if (zipformat::Status s = flush(); s.failed())
            return s;
    }
    buffer_.insert(buffer_.end(), p, p + n);
    position_ += n;
    return {};
}

zipformat::Status OutputFile::shadow(std::uint64_t at, const std::string &bytes) {
    if (zipformat::Status s = rawWrite(at, bytes.data(), bytes.size()); s.failed())
        return s;
    if (::fsync(fd_) != 0)
        return fail(errno);
    return {};
}

zipformat::Status OutputFile::patch(std::uint64_t at, const void *data, std::size_t n) {
    if (at + n > position_)
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    if (zipformat::Status s = flush(); s.failed())
        return s;
    return rawWrite(at, data, n);
}

zipformat::Status OutputFile::rewind(std::uint64_t at) {
    if (at > position_)
        return {};
    if (zipformat::Status s = flush(); s.failed())
        return s;
    position_ = at;
    flushedTo_ = at;
    return {};
}

zipformat::Status OutputFile::commit() {
    if (zipformat::Status s = flush(); s.failed())
        return s;
    if (::ftruncate(fd_, static_cast<off_t>(position_)) != 0)
        return fail(errno);
    if (::fsync(fd_) != 0)
        return fail(errno);
    if (grow_) {
        committed_ = true;
        return {};
    }
    struct stat st {};
    const bool replacing = ::stat(archive_.c_str(), &st) == 0;
    const mode_t mode = replacing ? (st.st_mode & 07777) : defaultMode();
    const auto keepAttributes = [&](int fd) {
        if (replacing)
            keepOwner(fd, st);
        ::fchmod(fd, mode); // after the owner: a change of owner clears set-id bits
    };
    keepAttributes(fd_);
    if (::rename(tempPath_.c_str(), archive_.c_str()) == 0) {
        committed_ = true;
        tempPath_.clear();
        syncFolder(folderOf(archive_));
        return {};
    }
    if (errno != EXDEV)
        return zipformat::Status(ENGINE_TEMP_FILE, errno);
    // Another file system: copy next to the archive first, so that the old
    // archive is replaced in one step only by a complete copy.
    std::string nearPath;
    const int nfd = makeTemp(folderOf(archive_), baseOf(archive_), nearPath);
    if (nfd < 0)
        return zipformat::Status(ENGINE_TEMP_FILE, errno);
    std::vector<std::uint8_t> buf(kBufferSize);
    std::uint64_t off = 0;
    int err = 0;
    while (off < position_ && err == 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), position_ - off));
        const ssize_t r = ::pread(fd_, buf.data(), want, static_cast<off_t>(off));
        if (r <= 0) {
            err = r < 0 ? errno : EIO;
            break;
        }
        std::size_t w = 0;
        while (w < static_cast<std::size_t>(r)) {
            const ssize_t k = ::write(nfd, buf.data() + w, static_cast<std::size_t>(r) - w);
            if (k <= 0) {
                err = k < 0 ? errno : ENOSPC;
                break;
            }
            w += static_cast<std::size_t>(k);
        }
        off += static_cast<std::uint64_t>(r);
    }
    if (err == 0 && (keepAttributes(nfd), ::fsync(nfd) != 0))
        err = errno;
    ::close(nfd);
    if (err == 0 && ::rename(nearPath.c_str(), archive_.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(nearPath.c_str());
        return zipformat::writeFailure(err, ENGINE_TEMP_FILE);
    }
    syncFolder(folderOf(archive_));
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
    committed_ = true;
    return {};
}

} // namespace zipwrite
