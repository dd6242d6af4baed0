// Decryption and authentication of one WinZip AES entry, over Nettle's AES,
// PBKDF2 and HMAC-SHA1. The counter mode is the format's own (a 128-bit
// little-endian counter starting at 1), built here on single AES blocks.
#pragma once

#include <nettle/aes.h>
#include <nettle/hmac.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zipformat::detail {

class AesReader {
public:
    // Derives the keys from the password and the entry's salt; false when
    // the derived verifier differs from the stored one (a wrong password).
    bool init(std::uint8_t strength, std::string_view password, const std::uint8_t *salt,
              const std::uint8_t *verifier) noexcept;
    // Adds encrypted bytes to the authentication code, then decrypts them in
    // place.
    void decrypt(std::uint8_t *data, std::size_t size) noexcept;
    // Adds encrypted bytes to the authentication code only.
    void authenticate(const std::uint8_t *data, std::size_t size) noexcept;
    // True when the code of everything authenticated matches the stored one.
    bool verify(const std::uint8_t *stored) noexcept;

private:
    void refillStream() noexcept;

    static constexpr std::size_t kStreamBlocks = 64;
    std::uint8_t strength_ = 0;
    union {
        aes128_ctx a128;
        aes192_ctx a192;
        aes256_ctx a256;
    } aes_{};
    hmac_sha1_ctx mac_{};
    std::uint8_t counter_[16] = {};
    std::uint8_t stream_[kStreamBlocks * 16] = {};
    std::size_t used_ = sizeof stream_;
};

} // namespace zipformat::detail
