#include "progress_sink.h"

#include "decode_ahead.h"

#include <cerrno>
#include <unistd.h>

namespace zipread {

using zipformat::Error;

namespace {

Error reportPercent(Messenger &messenger, const zipformat::Entry &entry, int percent) noexcept {
    try {
        if (messenger.report(ENGINE_MSG_STATUS, entry, static_cast<std::uint8_t>(percent)))
            return Error::Aborted;
    } catch (...) {
        return Error::NoMemory;
    }
    return Error::Ok;
}

} // namespace

int PercentSteps::advance(std::uint64_t size) noexcept {
    done_ += size;
    int percent =
        total_ == 0 ? 100 : static_cast<int>((static_cast<long double>(done_) * 100) / total_);
    if (percent > 100)
        percent = 100;
    if (percent == last_)
        return -1;
    last_ = percent;
    return percent;
}

Error replayProgress(Messenger &messenger, const zipformat::Entry &entry,
                     const AheadResult &result) noexcept {
    for (std::size_t i = 0; i < result.stepCount; ++i) {
        const Error e = reportPercent(messenger, entry, result.steps[i]);
        if (e != Error::Ok)
            return e;
    }
    return result.error;
}

Error ProgressSink::write(const std::uint8_t *data, std::size_t size) noexcept {
    Error e = consume(data, size);
    if (e != Error::Ok)
        return e;
    const int percent = steps_.advance(size);
    return percent < 0 ? Error::Ok : reportPercent(messenger_, entry_, percent);
}

Error FileSink::consume(const std::uint8_t *data, std::size_t size) noexcept {
    return writeAll(fd_, data, size);
}

RecordingSink::RecordingSink(const zipformat::Entry &entry, AheadResult &result, int fd) noexcept
    : result_(result), steps_(entry.uncompressedSize), fd_(fd) {}

Error RecordingSink::write(const std::uint8_t *data, std::size_t size) noexcept {
    if (fd_ >= 0) {
        const Error e = writeAll(fd_, data, size);
        if (e != Error::Ok)
            return e;
    }
    // Percentages only rise, so there are at most 101 of them.
    const int percent = steps_.advance(size);
    if (percent >= 0 && result_.stepCount < result_.steps.size())
        result_.steps[result_.stepCount++] = static_cast<std::uint8_t>(percent);
    return Error::Ok;
}

Error writeAll(int fd, const std::uint8_t *data, std::size_t size) noexcept {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
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
