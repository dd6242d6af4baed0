// Walks the local headers of a file from the front, without the central
// directory: what a repair tool rebuilds a directory from.
#pragma once

#include "zipformat/error.h"
#include "zipformat/source.h"

#include <cstdint>
#include <string>

namespace zipformat {

struct LocalRecord {
    std::uint64_t headerPos = 0; // absolute
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosTime = 0; // packed: date high, time low
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::string rawName;
    std::string name; // UTF-8, "/" separators
    std::string extra;
    std::uint64_t dataPos = 0;
    std::uint64_t dataEnd = 0;
    std::uint64_t end = 0; // after the data descriptor, if any
    // The sizes and CRC came from a data descriptor found after the data.
    bool fromDescriptor = false;
};

class LocalScanner {
public:
    explicit LocalScanner(const Source &source, std::uint64_t start = 0) noexcept
        : source_(source), pos_(start) {}

    // Ok and a record, or NotZip when no further local header follows
    // (the walk is over), or BadLocalHeader for a header whose data end
    // cannot be found. After an error the scanner resynchronises on the next
    // local-header signature when called again.
    Error next(LocalRecord &out) noexcept;

private:
    Error step(LocalRecord &out);

    const Source &source_;
    std::uint64_t pos_;
    bool resync_ = false;
};

} // namespace zipformat
