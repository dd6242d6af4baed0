// Reading an entry's data: decryption, decompression, size and CRC-32
// checks, delivered in chunks to a sink. Memory stays bounded whatever the
// entry's size: whole-buffer decoding is only used below a cap.
#pragma once

#include "zipformat/archive.h"
#include "zipformat/error.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zipformat {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    // Takes the next chunk of decompressed data. Any error other than Ok
    // stops the read and is returned by readEntry (Aborted, DiskFull, ...).
    virtual Error write(const std::uint8_t *data, std::size_t size) noexcept = 0;
};

struct ReadOptions {
    std::string_view password;
    // Deflated entries whose packed and unpacked sizes are both below this
    // are decoded in one call (libdeflate, the fastest for them) on the
    // heap; larger ones stream through ISA-L in bounded buffers, so memory
    // stays flat and a stop request is seen between buffers.
    std::size_t wholeBufferCap = std::size_t{64} << 20;
};

// True for the methods readEntry can decode.
bool methodSupported(std::uint16_t method) noexcept;

// Ok when the entry can be read with `password` (or needs none); otherwise
// NeedPassword, BadPassword, UnsupportedCrypto, UnsupportedMethod or a
// location error. Cheap: reads the local header and 12 bytes.
Error checkEntry(const Archive &archive, std::size_t index, std::string_view password) noexcept;
Error checkEntry(const Archive &archive, const Entry &entry, std::string_view password) noexcept;

// Decodes the entry into `sink`. Ok only when all bytes arrived and the
// size and CRC-32 match the directory.
Error readEntry(const Archive &archive, std::size_t index, OutputSink &sink,
                const ReadOptions &options = {}) noexcept;
// The same for an entry met on an EntryWalk over `archive`.
Error readEntry(const Archive &archive, const Entry &entry, OutputSink &sink,
                const ReadOptions &options = {}) noexcept;

// Reads the entry's raw stored bytes (still compressed and encrypted), e.g.
// to copy it into another archive. [begin, end) absolute, from locate().
Error copyRaw(const Archive &archive, std::uint64_t begin, std::uint64_t end,
              OutputSink &sink) noexcept;

} // namespace zipformat
