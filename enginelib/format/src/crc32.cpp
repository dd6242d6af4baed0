#include "zipformat/crc32.h"

#include <zlib.h>

namespace zipformat {

std::uint32_t crc32Combine(std::uint32_t first, std::uint32_t second,
                           std::uint64_t secondLength) noexcept {
    return static_cast<std::uint32_t>(
        crc32_combine64(first, second, static_cast<z_off64_t>(secondLength)));
}

} // namespace zipformat
