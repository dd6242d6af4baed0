#include "zipformat/source.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zipformat {

Source::~Source() {
    close();
}

Source::Source(Source &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

Source &Source::operator=(Source &&other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = std::exchange(other.size_, 0);
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
}

bool Source::readAt(std::uint64_t offset, void *out, std::size_t size) const noexcept {
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
