// CRC-32 (ISO 3309, the one ZIP uses), backed by libdeflate's
// vectorised implementation. Both sides reach it only through here.
#pragma once

#include <libdeflate.h>

#include <cstddef>
#include <cstdint>

namespace zipformat {

// Continues a running CRC: start with 0, feed every chunk in order. Inline,
// so that a call costs what libdeflate's own does.
inline std::uint32_t crc32(std::uint32_t crc, const void *data, std::size_t size) noexcept {
    return libdeflate_crc32(crc, data, size);
}

// The CRC of two pieces laid end to end, from each piece's CRC and the
// second one's length: chunks checksummed in parallel join up in order.
std::uint32_t crc32Combine(std::uint32_t first, std::uint32_t second,
                           std::uint64_t secondLength) noexcept;

} // namespace zipformat
