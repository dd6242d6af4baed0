// Output sinks that report progress with message 1030 whenever the
// percentage of the current entry changes, and stop when the callback asks.
#pragma once

#include "messenger.h"
#include "zipformat/reader.h"

namespace zipread {

class ProgressSink : public zipformat::OutputSink {
public:
    ProgressSink(Messenger &messenger, const zipformat::Entry &entry) noexcept
        : messenger_(messenger), entry_(entry) {}
    zipformat::Error write(const std::uint8_t *data, std::size_t size) noexcept override;

protected:
    virtual zipformat::Error consume(const std::uint8_t *data, std::size_t size) noexcept = 0;

private:
    // Counts `size` more bytes done and reports the percentage if it changed.
    zipformat::Error advance(std::uint64_t size) noexcept;

    Messenger &messenger_;
    const zipformat::Entry &entry_;
    std::uint64_t done_ = 0;
    int lastPercent_ = -1;
};

// Testing: the data is checked and dropped.
class DiscardSink final : public ProgressSink {
public:
    using ProgressSink::ProgressSink;

protected:
    zipformat::Error consume(const std::uint8_t *, std::size_t) noexcept override {
        return zipformat::Error::Ok;
    }
};

// Extracting: the data goes to an open file descriptor.
class FileSink final : public ProgressSink {
public:
    FileSink(Messenger &messenger, const zipformat::Entry &entry, int fd) noexcept
        : ProgressSink(messenger, entry), fd_(fd) {}

protected:
    zipformat::Error consume(const std::uint8_t *data, std::size_t size) noexcept override;

private:
    int fd_;
};

} // namespace zipread
