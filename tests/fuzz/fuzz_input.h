// Both harnesses hand the fuzz input to code that opens archives by path:
// one memory-backed file per process, rewritten for every input.
#pragma once

#include <sys/mman.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

inline std::optional<std::string> FuzzInputPath(const std::uint8_t *data, std::size_t size) {
    static const int fd = memfd_create("fuzz-archive", 0);
    if (fd < 0)
        return std::nullopt;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return std::nullopt;
    return "/proc/self/fd/" + std::to_string(fd);
}
