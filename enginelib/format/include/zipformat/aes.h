// WinZip AES encryption (method 99): the extra field that describes an
// entry's encryption and the method of the data inside it. The entry's data
// is a salt, a 2-byte password verifier, the encrypted data and a 10-byte
// authentication code.
#pragma once

#include "zipformat/entry.h"
#include "zipformat/records.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zipformat {

struct AesField {
    // 1 (AE-1): the CRC-32 is stored and checked; 2 (AE-2): it is zero and
    // the authentication code alone vouches for the data.
    std::uint16_t version = 0;
    std::uint8_t strength = 0; // 1, 2, 3: keys of 128, 192, 256 bits
    std::uint16_t method = 0;  // compression method of the data
};

// The strength code of 256-bit keys, the one the writing side uses.
constexpr std::uint8_t kAesStrength256 = 3;
constexpr std::size_t kAesVerifierSize = 2;
constexpr std::size_t kAesMacSize = 10;

// The 0x9901 field of `extra`; false when there is none or it is malformed
// (vendor not "AE", strength other than 1 to 3).
bool findAesField(std::string_view extra, AesField &out) noexcept;

inline bool isAes(const Entry &e) noexcept {
    return e.method == kMethodAes;
}
constexpr std::size_t aesSaltSize(std::uint8_t strength) noexcept {
    return 4u + 4u * strength;
}
constexpr unsigned aesKeyBits(std::uint8_t strength) noexcept {
    return 64u + 64u * strength;
}

} // namespace zipformat
