// The compression method (and encryption) of an entry as `list -v` shows
// it, from the packed method byte and encryption flag of its record.
#pragma once

#include <QString>

#include <cstdint>

namespace cli {

// "Deflate", "AES-256 + Deflate64", "ZipCrypto + Stored", "Method 97", ...
QString methodText(std::uint8_t packed, bool encrypted);

} // namespace cli
