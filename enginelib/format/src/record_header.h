// The one reader of local and central file headers, shared by the
// directory reader and the local-header scanner of repair.
#pragma once

#include "cursor.h"

#include <cstdint>

namespace zipformat::detail {

enum class HeaderKind { Local, Central };

// The fixed part of a local or central header; the fields only a central
// header has stay 0 in a local one.
struct RecordHeader {
    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosTime = 0; // packed: date high, time low
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint16_t nameSize = 0;
    std::uint16_t extraSize = 0;
    std::uint16_t commentSize = 0;
    std::uint16_t diskStart = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t localHeaderOffset = 0;
};

// Reads the fixed part, signature included, at the cursor. False when the
// signature is not that of `kind` or the bytes run out.
bool readRecordHeader(Cursor &c, HeaderKind kind, RecordHeader &out) noexcept;

} // namespace zipformat::detail
