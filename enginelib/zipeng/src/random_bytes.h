// Bytes from the system's random source, for encryption headers and salts.
#pragma once

#include "zipformat/status.h"

#include <cstddef>
#include <cstdint>

namespace zipwrite {

// Fills out[0, n); ENGINE_NO_MEMORY when the random source fails.
zipformat::Status randomBytes(std::uint8_t *out, std::size_t n);

} // namespace zipwrite
