// A read-only archive file: positioned reads with every range checked
// against the file size, so callers never read past what the file holds.
#pragma once

#include "zipformat/error.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipformat {

class Source {
public:
    Source() = default;
    ~Source();
    Source(const Source &) = delete;
    Source &operator=(const Source &) = delete;
    Source(Source &&other) noexcept;
    Source &operator=(Source &&other) noexcept;

    // NotFound, NotAccessible (also for folders) or Ok.
    Error open(const std::string &path) noexcept;
    void close() noexcept;
    bool isOpen() const noexcept { return fd_ >= 0; }
    std::uint64_t size() const noexcept { return size_; }
    int fd() const noexcept { return fd_; }

    // Reads exactly `size` bytes at `offset`; false when the range is not
    // wholly inside the file or the read fails.
    bool readAt(std::uint64_t offset, void *out, std::size_t size) const noexcept;
    // True when [offset, offset + size) lies inside the file, without overflow.
    bool contains(std::uint64_t offset, std::uint64_t size) const noexcept {
        return offset <= size_ && size <= size_ - offset;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

} // namespace zipformat
