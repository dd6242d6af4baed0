// Output sinks that report progress with message 1030 whenever the
// percentage of the current entry changes, and stop when the callback asks.
#pragma once

#include "messenger.h"
#include "zipformat/reader.h"

namespace zipread {

struct AheadResult;

// Counts the bytes done of an entry and tells when its whole percentage
// changes.
class PercentSteps {
public:
    explicit PercentSteps(std::uint64_t total) noexcept : total_(total) {}
    // The new percentage after `size` more bytes, or -1 when unchanged.
    int advance(std::uint64_t size) noexcept;

private:
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    int last_ = -1;
};

// Sends the progress an entry read ahead reported, then gives its outcome
// (Aborted when the callback asked to stop meanwhile).
zipformat::Error replayProgress(Messenger &messenger, const zipformat::Entry &entry,
                                const AheadResult &result) noexcept;

class ProgressSink : public zipformat::OutputSink {
public:
    ProgressSink(Messenger &messenger, const zipformat::Entry &entry) noexcept
        : messenger_(messenger), entry_(entry), steps_(entry.uncompressedSize) {}
    zipformat::Error write(const std::uint8_t *data, std::size_t size) noexcept override;

protected:
    virtual zipformat::Error consume(const std::uint8_t *data, std::size_t size) noexcept = 0;

private:
    Messenger &messenger_;
    const zipformat::Entry &entry_;
    PercentSteps steps_;
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

// Reading ahead: the percentages are kept for replayProgress, the data
// goes to `fd`, or nowhere when it is -1.
class RecordingSink final : public zipformat::OutputSink {
public:
    RecordingSink(const zipformat::Entry &entry, AheadResult &result, int fd) noexcept;
    zipformat::Error write(const std::uint8_t *data, std::size_t size) noexcept override;

private:
    AheadResult &result_;
    PercentSteps steps_;
    int fd_;
};

// Writes all of `data` to `fd`: DiskFull or WriteFailed when it cannot.
zipformat::Error writeAll(int fd, const std::uint8_t *data, std::size_t size) noexcept;

} // namespace zipread
