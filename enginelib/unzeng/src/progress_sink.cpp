#include "progress_sink.h"

#include <cerrno>
#include <unistd.h>

namespace zipread {

using zipformat::Error;

Error ProgressSink::write(const std::uint8_t *data, std::size_t size) noexcept {
    Error e = consume(data, size);
    if (e != Error::Ok)
        return e;
    return advance(size);
}

Error ProgressSink::advance(std::uint64_t size) noexcept {
    done_ += size;
    const std::uint64_t total = entry_.uncompressedSize;
    int percent =
        total == 0 ? 100 : static_cast<int>((static_cast<long double>(done_) * 100) / total);
    if (percent > 100)
        percent = 100;
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        try {
            if (messenger_.report(ENGINE_MSG_STATUS, entry_, static_cast<std::uint8_t>(percent)))
                return Error::Aborted;
        } catch (...) {
            return Error::NoMemory;
        }
    }
    return Error::Ok;
}

Error FileSink::consume(const std::uint8_t *data, std::size_t size) noexcept {
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return (errno == ENOSPC || errno == EDQUOT) ? Error::DiskFull : Error::WriteFailed;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return Error::Ok;
}

} // namespace zipread
