// How format errors of one entry become skip reasons.
#pragma once

#include "engine_contract.h"
#include "zipformat/error.h"

#include <cstdint>

namespace zipread {

// Skip reason for an entry that could not be read. Entries with traditional
// encryption whose data fails after the one-byte password check passed
// count as a password failure: that check lets one wrong password in 256
// through. AES entries have an authentication code to tell damage apart.
std::uint8_t skipReason(zipformat::Error e, bool traditionalCrypto) noexcept;

} // namespace zipread
