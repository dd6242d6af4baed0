// Extra-field parsing shared by the directory reader and the local-header
// scanner. Malformed records end the walk; nothing reads past the field.
#pragma once

#include "zipformat/records.h"

#include <cstdint>
#include <ctime>
#include <string_view>

namespace zipformat::detail {

// Calls f(tag, data) for each well-formed record, in order. A record whose
// length runs past the field ends the walk (trailing padding is common).
template <class F> void forEachExtra(std::string_view extra, F &&f) {
    const auto *p = reinterpret_cast<const std::uint8_t *>(extra.data());
    std::size_t left = extra.size();
    while (left >= 4) {
        std::uint16_t tag = le16(p);
        std::uint16_t size = le16(p + 2);
        if (size > left - 4)
            return;
        f(tag, std::string_view(reinterpret_cast<const char *>(p + 4), size));
        p += 4 + size;
        left -= 4u + size;
    }
}

// The fields a ZIP64 record may replace, each only when its 32-bit (or
// 16-bit) slot holds the all-ones marker.
struct Zip64Fields {
    std::uint64_t *uncompressed = nullptr;
    std::uint64_t *compressed = nullptr;
    std::uint64_t *offset = nullptr;
    std::uint32_t *disk = nullptr;
};

// Applies the ZIP64 record of `extra` to the marked fields. Returns false
// when a marked field is missing from it. `used` tells whether one was found.
bool applyZip64(std::string_view extra, const Zip64Fields &fields, bool &used) noexcept;

struct ExtraTimes {
    std::time_t mtime = 0;
    std::time_t atime = 0;
    bool hasMtime = false;
    bool hasAtime = false;
};

// Extended timestamp ("UT"), NTFS and old Unix ("UX") times, in that order
// of preference.
ExtraTimes parseTimes(std::string_view extra) noexcept;

// The Info-ZIP Unicode Path field, when present and its CRC of the stored
// name matches; empty otherwise.
std::string_view unicodePath(std::string_view extra, std::string_view rawName) noexcept;

} // namespace zipformat::detail
