// WinZip AE-2 encryption of new entries (256-bit keys unless an entry put
// back keeps shorter ones): a fresh salt
// from the system's random source for every entry (a salt used twice would
// give two entries the same key stream), the format library's cipher, and
// the 0x9901 extra field that names the method inside.
#pragma once

#include "entry_cipher.h"
#include "zipformat/status.h"

#include "zipformat/aes.h"
#include "zipformat/aes_cipher.h"
#include "zipformat/records.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipwrite {

// Salt and verifier, before the data; with the code after it, the overhead.
constexpr std::size_t aesHeaderSize(std::uint8_t strength) {
    return zipformat::aesSaltSize(strength) + zipformat::kAesVerifierSize;
}
constexpr std::size_t aesOverhead(std::uint8_t strength) {
    return aesHeaderSize(strength) + zipformat::kAesMacSize;
}

class AesEncryptor final : public EntryCipher {
public:
    // Draws the salt and derives the keys of `strength` (1 to 3).
    // ENGINE_NO_MEMORY when the random source fails.
    zipformat::Status start(const std::string &password, std::uint8_t strength);
    // Salt and verifier, written before the data.
    const std::uint8_t *header() const override { return header_; }
    std::size_t headerSize() const override { return aesHeaderSize(strength_); }
    void encrypt(std::uint8_t *data, std::size_t n) override { cipher_.encrypt(data, n); }
    // The authentication code, written after the data.
    std::size_t trailer(std::uint8_t out[kCipherTrailerMax]) override {
        cipher_.code(out);
        return zipformat::kAesMacSize;
    }

private:
    zipformat::AesCipher cipher_;
    std::uint8_t strength_ = zipformat::kAesStrength256;
    std::uint8_t header_[aesHeaderSize(zipformat::kAesStrength256)] = {};
};

// The 0x9901 field of an AE-2 entry with keys of `strength` whose data,
// once decrypted, is packed with `method`; AE-2 leaves the CRC fields zero
// and lets the authentication code vouch for the data.
std::string aesExtraField(std::uint16_t method, std::uint8_t strength);

} // namespace zipwrite
