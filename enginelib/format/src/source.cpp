#include "zipformat/source.h"

#include "zipformat/pieces.h"

#include <algorithm>
#include <bit>
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
        count_ = std::exchange(other.count_, 0);
        shift_ = std::exchange(other.shift_, 0);
        lastPath_ = std::move(other.lastPath_);
        sizes_ = std::move(other.sizes_);
        other.sizes_.clear();
        current_ = std::exchange(other.current_, 0);
        currentSize_ = std::exchange(other.currentSize_, 0);
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
    count_ = 0;
    shift_ = 0;
    lastPath_.clear();
    sizes_.clear();
    current_ = 0;
    currentSize_ = 0;
    request_ = nullptr;
    aborted_ = false;
}

namespace {

// A user who keeps answering "go on" without ever providing the piece gets
// a failure in the end rather than an endless loop.
constexpr int kMaxRequests = 100;

} // namespace

Error Source::attachPieces(const std::string &lastPath, std::uint32_t count,
                           PieceRequest request) noexcept {
    if (fd_ < 0 || count < 2 || isSet())
        return Error::NotAccessible;
    try {
        // The stride is as wide as the count leaves room for: 2^62 bytes for
        // a few pieces, still 4 GiB for the largest count a set can name.
        const unsigned shift = 64u - static_cast<unsigned>(std::bit_width(count));
        const std::uint64_t lastSize = size_;
        if (lastSize >= (std::uint64_t{1} << shift))
            return Error::BadDirectory;
        lastPath_ = lastPath;
        count_ = count;
        shift_ = shift;
        sizes_[count - 1] = lastSize;
        request_ = std::move(request);
        current_ = count - 1;
        currentSize_ = lastSize;
        size_ = (std::uint64_t{count - 1} << shift) + lastSize;
        return Error::Ok;
    } catch (...) {
        count_ = 0;
        return Error::NoMemory;
    }
}

std::uint64_t Source::positionOf(std::uint32_t disk, std::uint64_t offset) const noexcept {
    if (!isSet())
        return offset;
    if (disk >= count_ || offset >= (std::uint64_t{1} << shift_))
        return UINT64_MAX;
    return (std::uint64_t{disk} << shift_) + offset;
}

bool Source::knownSize(std::uint32_t index, std::uint64_t &size) const noexcept {
    if (index == current_ && fd_ >= 0) {
        size = currentSize_;
        return true;
    }
    const auto it = sizes_.find(index);
    if (it == sizes_.end())
        return false;
    size = it->second;
    return true;
}

// False for a size no piece of this set can have.
bool Source::learnSize(std::uint32_t index, std::uint64_t size) const noexcept {
    if (size >= (std::uint64_t{1} << shift_))
        return false;
    try {
        sizes_[index] = size;
        return true;
    } catch (...) {
        return false;
    }
}

bool Source::sizeAtHand(std::uint32_t index, std::uint64_t &size) const noexcept {
    if (knownSize(index, size))
        return true;
    struct stat st {};
    const std::string path = piecePath(lastPath_, index, count_);
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return learnSize(index, size);
}

bool Source::distance(std::uint64_t from, std::uint64_t to, std::uint64_t &bytes) const noexcept {
    const std::uint32_t first = isSet() ? static_cast<std::uint32_t>(from >> shift_) : 0;
    const std::uint32_t last = isSet() ? static_cast<std::uint32_t>(to >> shift_) : 0;
    if (first == last) {
        bytes = to - from;
        return to >= from;
    }
    if (first > last)
        return false;
    const std::uint64_t mask = (std::uint64_t{1} << shift_) - 1;
    // Every piece from the first to the one before the last is crossed whole.
    std::uint64_t total = to & mask;
    for (std::uint32_t k = first; k < last; ++k) {
        std::uint64_t size = 0;
        if (!sizeAtHand(k, size) || size > UINT64_MAX - total)
            return false;
        total += size;
    }
    const std::uint64_t start = from & mask;
    bytes = total - start;
    return total >= start;
}

// Makes fd_ the descriptor of piece `index`, asking for the piece while it
// is missing or is not the one whose size was seen before (another set's
// piece).
bool Source::openPiece(std::uint32_t index) const noexcept {
    if (fd_ >= 0 && current_ == index)
        return true;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    try {
        const std::string path = piecePath(lastPath_, index, count_);
        std::uint64_t expected = 0;
        const bool known = knownSize(index, expected);
        for (int asked = 0;; ++asked) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat st {};
            if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
                const auto size = static_cast<std::uint64_t>(st.st_size);
                if (known ? size == expected : learnSize(index, size)) {
                    fd_ = fd;
                    current_ = index;
                    currentSize_ = size;
                    return true;
                }
            }
            if (fd >= 0)
                ::close(fd);
            if (aborted_ || !request_ || asked >= kMaxRequests)
                return false;
            if (!request_(index + 1 == count_ ? 0 : index + 1)) {
                aborted_ = true;
                return false;
            }
        }
    } catch (...) {
        aborted_ = true;
        return false;
    }
}

bool Source::readPieces(std::uint64_t offset, unsigned char *out, std::size_t size) const noexcept {
    const std::uint64_t mask = (std::uint64_t{1} << shift_) - 1;
    auto index = static_cast<std::uint32_t>(offset >> shift_);
    std::uint64_t at = offset & mask;
    while (size > 0) {
        if (index >= count_)
            return false;
        // A piece already seen is stepped over without being asked for.
        std::uint64_t pieceSize = 0;
        if (!knownSize(index, pieceSize) || at < pieceSize) {
            if (!openPiece(index))
                return false;
            pieceSize = currentSize_;
        }
        if (at >= pieceSize) {
            at -= pieceSize;
            ++index;
            continue;
        }
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, pieceSize - at));
        while (n > 0) {
            ssize_t got = pread(fd_, out, n, static_cast<off_t>(at));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            out += got;
            n -= static_cast<std::size_t>(got);
            size -= static_cast<std::size_t>(got);
            at += static_cast<std::uint64_t>(got);
        }
    }
    return true;
}

bool Source::readRange(std::uint64_t from, std::uint64_t to,
                       std::vector<std::uint8_t> &out) const noexcept {
    try {
        out.clear();
        if (to < from || !contains(from, to - from))
            return false;
        // Across pieces positions do not subtract: the byte count is the
        // distance, which needs the size of every piece in between.
        std::uint64_t bytes = 0;
        if (distance(from, to, bytes)) {
            out.resize(static_cast<std::size_t>(bytes));
            return out.empty() || readAt(from, out.data(), out.size());
        }
        // Sizes unknown: each piece is read to its end as it comes, so that
        // no disk is asked for twice.
        const std::uint64_t mask = (std::uint64_t{1} << shift_) - 1;
        const auto last = static_cast<std::uint32_t>(to >> shift_);
        auto index = static_cast<std::uint32_t>(from >> shift_);
        std::uint64_t at = from & mask;
        for (;; ++index) {
            if (!openPiece(index))
                return false;
            if (at >= currentSize_ && index < last) {
                at -= currentSize_; // an offset past this piece goes on into the next
                continue;
            }
            const std::uint64_t end = index == last ? (to & mask) : currentSize_;
            if (end < at || end > currentSize_)
                return false;
            const std::size_t old = out.size();
            out.resize(old + static_cast<std::size_t>(end - at));
            if (!readAt(positionOf(index, at), out.data() + old, out.size() - old))
                return false;
            if (index == last)
                return true;
            at = 0;
        }
    } catch (...) {
        out.clear();
        return false;
    }
}

bool Source::readAt(std::uint64_t offset, void *out, std::size_t size) const noexcept {
    if (isSet())
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
