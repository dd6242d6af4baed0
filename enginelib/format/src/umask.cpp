#include "zipformat/umask.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zipformat {

mode_t processUmask() noexcept {
    constexpr mode_t kFallback = 077;
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return kFallback;
    char text[4096];
    std::size_t got = 0;
    while (got < sizeof text - 1) {
        const ssize_t n = ::read(fd, text + got, sizeof text - 1 - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text[got] = '\0';
    const char *line = std::strstr(text, "\nUmask:");
    if (line == nullptr)
        return kFallback;
    line += std::strlen("\nUmask:");
    while (*line == ' ' || *line == '\t')
        ++line;
    mode_t mask = 0;
    int digits = 0;
    for (; *line >= '0' && *line <= '7'; ++line, ++digits)
        mask = static_cast<mode_t>((mask << 3) | static_cast<mode_t>(*line - '0'));
    return digits > 0 && digits <= 4 ? (mask & 0777) : kFallback;
}

} // namespace zipformat
