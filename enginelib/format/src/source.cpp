#include "zipformat/source.h"

#include "zipformat/pieces.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zipformat {

Source::~Source() {
    close();
}

Source::Source(Source &&other) noexcept {
    *this = std::move(other);
}

Source &Source::operator=(Source &&other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = std::exchange(other.size_, 0);
        pieces_ = std::move(other.pieces_);
        other.pieces_.clear();
        current_ = std::exchange(other.current_, 0);
        request_ = std::move(other.request_);
        aborted_ = std::exchange(other.aborted_, false);
    }
    return *this;
}

Error Source::open(const std::string &path) noexcept {
    close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? Error::NotFound : Error::NotAccessible;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error::NotAccessible;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return Error::Ok;
}

void Source::close() noexcept {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
    pieces_.clear();
    current_ = 0;
    request_ = nullptr;
    aborted_ = false;
}

namespace {

// Size of the regular file at `path`; false when there is none.
bool sizeOf(const std::string &path, std::uint64_t &size) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

// A user who keeps answering "go on" without ever providing the piece gets
// a failure in the end rather than an endless loop.
constexpr int kMaxRequests = 100;

} // namespace

Error Source::attachPieces(const std::string &lastPath, std::uint32_t count,
                           PieceRequest request) noexcept {
    if (fd_ < 0 || count < 2 || isSet())
        return Error::NotAccessible;
    try {
        // Grown piece by piece: a made-up count costs requests, not memory.
        std::vector<Piece> pieces;
        std::uint64_t start = 0;
        for (std::uint32_t k = 0; k < count; ++k) {
            Piece &p = pieces.emplace_back();
            p.path = piecePath(lastPath, k, count);
            p.start = start;
            if (k + 1 == count) {
                p.size = size_;
            } else {
                int asked = 0;
                while (!sizeOf(p.path, p.size)) {
                    if (!request || asked++ >= kMaxRequests)
                        return Error::NotFound;
                    // The last piece may sit on the medium that is about to
                    // be swapped: nothing stays open while the user acts.
                    ::close(fd_);
                    fd_ = -1;
                    if (!request(k + 1)) {
                        aborted_ = true;
                        return Error::Aborted;
                    }
                }
            }
            if (p.size > UINT64_MAX - start)
                return Error::BadDirectory;
            start += p.size;
        }
        pieces_ = std::move(pieces);
        request_ = std::move(request);
        size_ = start;
        current_ = count - 1;
        return Error::Ok;
    } catch (...) {
        return Error::NoMemory;
    }
}

std::uint64_t Source::pieceStart(std::uint32_t disk) const noexcept {
    if (pieces_.empty())
        return 0;
    return disk < pieces_.size() ? pieces_[disk].start : UINT64_MAX;
}

// Makes fd_ the descriptor of piece `index`, asking for the piece while it
// is missing or is not the one that was sized (another set's piece).
bool Source::openPiece(std::size_t index) const noexcept {
    if (fd_ >= 0 && current_ == index)
        return true;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    const Piece &p = pieces_[index];
    for (int asked = 0;; ++asked) {
        const int fd = ::open(p.path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<std::uint64_t>(st.st_size) == p.size) {
            fd_ = fd;
            current_ = index;
            return true;
        }
        if (fd >= 0)
            ::close(fd);
        if (aborted_ || !request_ || asked >= kMaxRequests)
            return false;
        try {
            const bool last = index + 1 == pieces_.size();
            if (!request_(last ? 0 : static_cast<std::uint32_t>(index + 1))) {
                aborted_ = true;
                return false;
            }
        } catch (...) {
            aborted_ = true;
            return false;
        }
    }
}

bool Source::readPieces(std::uint64_t offset, unsigned char *out, std::size_t size) const noexcept {
    auto it = std::upper_bound(pieces_.begin(), pieces_.end(), offset,
                               [](std::uint64_t o, const Piece &p) { return o < p.start; });
    auto index = static_cast<std::size_t>(it - pieces_.begin()) - 1;
    while (size > 0) {
        while (index < pieces_.size() && offset >= pieces_[index].start + pieces_[index].size)
            ++index; // empty pieces
        if (index >= pieces_.size() || !openPiece(index))
            return false;
        const Piece &p = pieces_[index];
        std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, p.start + p.size - offset));
        std::uint64_t at = offset - p.start;
        while (n > 0) {
            ssize_t got = pread(fd_, out, n, static_cast<off_t>(at));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            out += got;
            n -= static_cast<std::size_t>(got);
            size -= static_cast<std::size_t>(got);
            offset += static_cast<std::uint64_t>(got);
            at += static_cast<std::uint64_t>(got);
        }
    }
    return true;
}

bool Source::readAt(std::uint64_t offset, void *out, std::size_t size) const noexcept {
    if (!pieces_.empty())
        return contains(offset, size) &&
               readPieces(offset, static_cast<unsigned char *>(out), size);
    if (fd_ < 0 || !contains(offset, size))
        return false;
    auto *p = static_cast<unsigned char *>(out);
    while (size > 0) {
        ssize_t n = pread(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false; // the file shrank under us
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

} // namespace zipformat
