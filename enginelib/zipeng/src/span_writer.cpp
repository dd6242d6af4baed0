#include "span_writer.h"

#include "engine_contract.h"
#include "link_target.h"
#include "messenger.h"

#include "zipformat/pieces.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zipwrite {

namespace {

constexpr std::size_t kFlushAt = std::size_t{1} << 20;
// A piece is only started on a medium with at least this much room (or the
// record that has to go there whole, when that is larger).
constexpr std::size_t kMinRoom = 4096;
constexpr long kMsdosMagic = 0x4d44;
const char kSplitSignature[4] = {'P', 'K', 7, 8};

// Test hook: TARNWICK_ZIPENG_MEDIUM_BYTES=N makes every medium hold N bytes
// of pieces. The free space it reports is 4 KiB more than that, as file
// systems that need room for their own records report it, so writes find
// the medium full before the reported space is used up.
constexpr std::uint64_t kHookSlack = 4096;
std::uint64_t mediumBytesFromEnvironment() {
    const char *v = std::getenv("TARNWICK_ZIPENG_MEDIUM_BYTES");
    if (v == nullptr || *v == '\0')
        return UINT64_MAX;
    return std::strtoull(v, nullptr, 10);
}

// The largest file the file system under `folder` takes: 4 GiB - 1 on FAT.
std::uint64_t maxFileSize(const std::string &folder) {
    std::uint64_t max = UINT64_MAX;
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) == 0 && fs.f_type == kMsdosMagic)
        max = 0xFFFFFFFFu;
    const long bits = ::pathconf(folder.c_str(), _PC_FILESIZEBITS);
    if (bits > 1 && bits < 64)
        max = std::min<std::uint64_t>(max, (std::uint64_t{1} << (bits - 1)) - 1);
    struct rlimit rl {};
    if (::getrlimit(RLIMIT_FSIZE, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
        max = std::min<std::uint64_t>(max, static_cast<std::uint64_t>(rl.rlim_cur));
    return max;
}

} // namespace

SpanWriter::SpanWriter(const SpanSettings &settings, Messenger &messenger)
    : settings_(settings), msg_(messenger), mediumBytes_(mediumBytesFromEnvironment()) {
    // The pieces go beside the file a link names, under that file's name.
    if (std::string target = linkTarget(settings_.archive); !target.empty())
        settings_.archive = std::move(target);
    const auto slash = settings_.archive.rfind('/');
    folder_ = slash == std::string::npos ? "."
              : slash == 0               ? "/"
                                         : settings_.archive.substr(0, slash);
    leaf_ = slash == std::string::npos ? settings_.archive : settings_.archive.substr(slash + 1);
    maxFile_ = maxFileSize(folder_);
    buf_.reserve(kFlushAt + (std::size_t{4} << 20));
    // Far below the flush size: it stays in the buffer, nothing can fail.
    buf_.insert(buf_.end(), kSplitSignature, kSplitSignature + sizeof kSplitSignature);
}

SpanWriter::~SpanWriter() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_)
        removeWritten();
}

bool SpanWriter::isOurs(const std::string &path) const {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    return std::any_of(pieces_.begin(), pieces_.end(),
                       [&](const Piece &p) { return p.dev == st.st_dev && p.ino == st.st_ino; });
}

// Only files that are still the pieces this run made (a medium swapped
// since may hold something else under the same name).
void SpanWriter::removeWritten() noexcept {
    for (const Piece &p : pieces_) {
        struct stat st {};
        if (::stat(p.path.c_str(), &st) == 0 && st.st_dev == p.dev && st.st_ino == p.ino)
            ::unlink(p.path.c_str());
    }
}

// The pieces of an older set of the same name on this medium, never ours and
// never any other file.
void SpanWriter::clearOldPieces() {
    DIR *dir = ::opendir(folder_.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> doomed;
    while (const dirent *e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == leaf_ || zipformat::isEarlierPieceName(name, leaf_))
            doomed.push_back(folder_ + "/" + name);
    }
    ::closedir(dir);
    for (const auto &path : doomed) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !isOurs(path))
            ::unlink(path.c_str());
    }
}

std::uint64_t SpanWriter::available() const {
    std::uint64_t free = UINT64_MAX;
    struct statvfs vfs {};
    if (::statvfs(folder_.c_str(), &vfs) == 0)
        free = static_cast<std::uint64_t>(vfs.f_bavail) * static_cast<std::uint64_t>(vfs.f_frsize);
    if (mediumBytes_ != UINT64_MAX) {
        const std::uint64_t left =
            mediumBytes_ > mediumWritten_ ? mediumBytes_ - mediumWritten_ : 0;
        free = std::min(free, left + kHookSlack);
    }
    return free;
}

zipformat::Status SpanWriter::askForDisk(std::uint32_t number) {
    if (!msg_.askForDisk(number))
        return zipformat::Status(ENGINE_ABORTED);
    newMedium_ = true;
    mediumFull_ = false;
    mediumWritten_ = 0;
    return {};
}

zipformat::Status SpanWriter::startPiece(std::size_t need) {
    const auto index = static_cast<std::uint32_t>(pieces_.size());
    // Any count beyond index + 1 names a piece before the last.
    const std::string path = zipformat::piecePath(settings_.archive, index, index + 2);
    need = std::max(need, kMinRoom);
    if (settings_.pieceSize > 0 && need > settings_.pieceSize)
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    std::uint64_t room = 0;
    for (;;) {
        if (!mediumFull_) {
            if (newMedium_ && settings_.clearOld)
                clearOldPieces();
            newMedium_ = false;
            // A stale piece of the same name is replaced, never appended to.
            struct stat st {};
            if (::lstat(path.c_str(), &st) == 0 && !isOurs(path))
                ::unlink(path.c_str());
            room = available();
            if (room >= need)
                break;
        }
        if (zipformat::Status s = askForDisk(index + 1); s.failed())
            return s;
    }
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return zipformat::writeFailure(errno, ENGINE_NOT_ACCESSIBLE);
    struct stat st {};
    ::fstat(fd_, &st);
    pieces_.push_back(Piece{path, bufStart_, st.st_dev, st.st_ino});
    pieceBytes_ = 0;
    limit_ = std::min(room, maxFile_);
    if (settings_.pieceSize > 0)
        limit_ = std::min(limit_, settings_.pieceSize);
    return {};
}

// The piece is complete: on the medium for good before anyone swaps it.
zipformat::Status SpanWriter::endPiece() {
    if (fd_ < 0)
        return {};
    const bool empty = pieceBytes_ == 0;
    const int err = ::fsync(fd_) == 0 ? 0 : errno;
    ::close(fd_);
    fd_ = -1;
    if (empty) {
        // Nothing fitted: the number goes to the piece on the next medium.
        ::unlink(pieces_.back().path.c_str());
        pieces_.pop_back();
    }
    if (err != 0 && err != EINVAL)
        return zipformat::writeFailure(err, ENGINE_NOT_ACCESSIBLE);
    return {};
}

// `done`: bytes written, fewer than n when the medium or the file is full.
zipformat::Status SpanWriter::rawWrite(const std::uint8_t *data, std::size_t n, std::size_t &done) {
    done = 0;
    while (done < n) {
        std::size_t want = n - done;
        if (mediumBytes_ != UINT64_MAX) {
            const std::uint64_t left =
                mediumBytes_ > mediumWritten_ ? mediumBytes_ - mediumWritten_ : 0;
            if (left == 0) {
                mediumFull_ = true;
                break;
            }
            want = static_cast<std::size_t>(std::min<std::uint64_t>(want, left));
        }
        const ssize_t w = ::pwrite(fd_, data + done, want, static_cast<off_t>(pieceBytes_ + done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && (errno == ENOSPC || errno == EDQUOT)) {
            mediumFull_ = true;
            break;
        }
        if (w < 0 && errno == EFBIG)
            break;
        if (w <= 0)
            return zipformat::writeFailure(w < 0 ? errno : EIO, ENGINE_NOT_ACCESSIBLE);
        done += static_cast<std::size_t>(w);
        mediumWritten_ += static_cast<std::uint64_t>(w);
    }
    return {};
}

// The most of the `take` buffered bytes from `from` on that may end a piece:
// never inside a record that stays whole.
std::size_t SpanWriter::cutBefore(std::size_t from, std::size_t take) const {
    const std::uint64_t first = bufStart_ + from;
    std::uint64_t cut = first + take;
    for (const auto &[begin, end] : together_)
        if (begin < cut && cut < end)
            cut = begin;
    return cut > first ? static_cast<std::size_t>(cut - first) : 0;
}

zipformat::Status SpanWriter::flush(bool all) {
    std::size_t done = 0;
    const auto settle = [&] {
        bufStart_ += done;
        buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(done));
        done = 0;
    };
    while (done < buf_.size() && (all || buf_.size() - done >= kFlushAt)) {
        const std::size_t pending = buf_.size() - done;
        if (fd_ < 0) {
            settle();
            std::size_t need = std::min(pending, kMinRoom);
            for (const auto &[begin, end] : together_)
                if (begin == bufStart_)
                    need = std::max<std::size_t>(need, static_cast<std::size_t>(end - begin));
            if (zipformat::Status s = startPiece(need); s.failed())
                return s;
            continue;
        }
        if (pieceBytes_ >= limit_) {
            settle();
            if (zipformat::Status s = endPiece(); s.failed())
                return s;
            continue;
        }
        std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(pending, limit_ - pieceBytes_));
        if (take < pending)
            take = cutBefore(done, take);
        if (take == 0) {
            // The record that comes next does not fit: the piece ends here.
            if (pieceBytes_ == 0)
                return zipformat::Status(ENGINE_BAD_ARGUMENTS);
            limit_ = pieceBytes_;
            continue;
        }
        std::size_t wrote = 0;
        if (zipformat::Status s = rawWrite(buf_.data() + done, take, wrote); s.failed())
            return s;
        if (wrote < take) {
            // The medium or the file took less than it promised.
            const std::size_t keep = cutBefore(done, wrote);
            if (keep < wrote) {
                if (::ftruncate(fd_, static_cast<off_t>(pieceBytes_ + keep)) != 0)
                    return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
                mediumWritten_ -= wrote - keep;
            }
            wrote = keep;
            limit_ = pieceBytes_ + wrote;
        }
        pieceBytes_ += wrote;
        done += wrote;
    }
    settle();
    while (!together_.empty() && together_.front().second <= bufStart_)
        together_.pop_front();
    return {};
}

zipformat::Status SpanWriter::write(const void *data, std::size_t n) {
    const auto *p = static_cast<const std::uint8_t *>(data);
    buf_.insert(buf_.end(), p, p + n);
    if (buf_.size() >= kFlushAt)
        return flush(false);
    return {};
}

zipformat::Status SpanWriter::writeTogether(const std::string &s) {
    together_.emplace_back(position(), position() + s.size());
    return write(s.data(), s.size());
}

bool SpanWriter::canRewrite(std::uint64_t at) const {
    const std::uint64_t from = fd_ >= 0 ? pieces_.back().start : bufStart_;
    return at >= from && at <= position();
}

zipformat::Status SpanWriter::patch(std::uint64_t at, const void *data, std::size_t n) {
    if (!canRewrite(at) || n > position() - at)
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    const auto *p = static_cast<const std::uint8_t *>(data);
    while (n > 0 && at < bufStart_) {
        const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(n, bufStart_ - at));
        const std::uint64_t offset = at - pieces_.back().start;
        if (::pwrite(fd_, p, k, static_cast<off_t>(offset)) != static_cast<ssize_t>(k))
            return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
        p += k;
        at += k;
        n -= k;
    }
    if (n > 0)
        std::memcpy(buf_.data() + (at - bufStart_), p, n);
    return {};
}

zipformat::Status SpanWriter::rewind(std::uint64_t at) {
    if (!canRewrite(at))
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    if (at >= bufStart_) {
        buf_.resize(static_cast<std::size_t>(at - bufStart_));
    } else {
        const std::uint64_t keep = at - pieces_.back().start;
        if (::ftruncate(fd_, static_cast<off_t>(keep)) != 0)
            return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
        mediumWritten_ -= std::min(mediumWritten_, pieceBytes_ - keep);
        pieceBytes_ = keep;
        buf_.clear();
        bufStart_ = at;
    }
    while (!together_.empty() && together_.back().first >= at)
        together_.pop_back();
    return {};
}

zipformat::Status SpanWriter::placeOf(std::uint64_t at, Place &place) {
    if (zipformat::Status s = flush(true); s.failed())
        return s;
    auto it = std::upper_bound(pieces_.begin(), pieces_.end(), at,
                               [](std::uint64_t a, const Piece &p) { return a < p.start; });
    if (it == pieces_.begin())
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    --it;
    place = Place{static_cast<std::uint32_t>(it - pieces_.begin()), at - it->start};
    return {};
}

zipformat::Status SpanWriter::makeRoom(std::size_t size) {
    if (zipformat::Status s = flush(true); s.failed())
        return s;
    if (fd_ >= 0 && limit_ - pieceBytes_ >= size)
        return {};
    if (zipformat::Status s = endPiece(); s.failed())
        return s;
    return startPiece(size);
}

zipformat::Status SpanWriter::commit() {
    if (zipformat::Status s = flush(true); s.failed())
        return s;
    if (fd_ < 0)
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    const std::string last = pieces_.back().path;
    if (zipformat::Status s = endPiece(); s.failed())
        return s;
    if (::rename(last.c_str(), settings_.archive.c_str()) != 0)
        return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
    pieces_.back().path = settings_.archive;
    committed_ = true;
    const int dfd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

} // namespace zipwrite
