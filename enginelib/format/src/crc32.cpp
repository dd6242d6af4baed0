#include "zipformat/crc32.h"

#include <libdeflate.h>

namespace zipformat {

std::uint32_t crc32(std::uint32_t crc, const void *data, std::size_t size) noexcept {
    return libdeflate_crc32(crc, data, size);
}

} // namespace zipformat
