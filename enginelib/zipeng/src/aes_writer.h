// WinZip AE-2 encryption of new entries with 256-bit keys: a fresh salt
// from the system's random source for every entry (a salt used twice would
// give two entries the same key stream), the format library's cipher, and
// the 0x9901 extra field that names the method inside.
#pragma once

#include "status.h"

#include "zipformat/aes.h"
#include "zipformat/aes_cipher.h"
#include "zipformat/records.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipwrite {

using zipformat::kAesStrength256;
using zipformat::kMethodAes;
using zipformat::kVersionAes;
constexpr std::size_t kAesHeaderSize =
    zipformat::aesSaltSize(kAesStrength256) + zipformat::kAesVerifierSize; // salt, verifier
constexpr std::size_t kAesOverhead = kAesHeaderSize + zipformat::kAesMacSize;

class AesEncryptor {
public:
    // Draws the salt and derives the keys. ENGINE_NO_MEMORY when the random
    // source fails.
    Status start(const std::string &password);
    // Salt and verifier, written before the data.
    const std::uint8_t *header() const { return header_; }
    void encrypt(std::uint8_t *data, std::size_t n) { cipher_.encrypt(data, n); }
    // The authentication code, written after the data.
    void finish(std::uint8_t code[zipformat::kAesMacSize]) { cipher_.code(code); }

private:
    zipformat::AesCipher cipher_;
    std::uint8_t header_[kAesHeaderSize] = {};
};

// The 0x9901 field of an AE-2 entry whose data, once decrypted, is packed
// with `method`; AE-2 leaves the CRC fields zero and lets the
// authentication code vouch for the data.
std::string aesExtraField(std::uint16_t method);

} // namespace zipwrite
