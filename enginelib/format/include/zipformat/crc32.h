// CRC-32 (ISO 3309, the one ZIP uses), backed by libdeflate's
// vectorised implementation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zipformat {

// Continues a running CRC: start with 0, feed every chunk in order.
std::uint32_t crc32(std::uint32_t crc, const void *data, std::size_t size) noexcept;

} // namespace zipformat
