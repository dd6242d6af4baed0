// The WinZip AES cipher of one entry, shared by reading and writing: keys
// from PBKDF2-HMAC-SHA1 over the password and the entry's salt, the
// format's own counter mode (a 128-bit little-endian counter starting at 1,
// built here on single AES blocks) and HMAC-SHA1 over the encrypted bytes.
// Nettle does the arithmetic.
#pragma once

#include "zipformat/aes.h"

#include <nettle/aes.h>
#include <nettle/hmac.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zipformat {

class AesCipher {
public:
    AesCipher() = default;
    AesCipher(const AesCipher &) = delete;
    AesCipher &operator=(const AesCipher &) = delete;
    // The keys, the HMAC state and the key stream are wiped.
    ~AesCipher();

    // Derives the keys from the password and `salt` (aesSaltSize(strength)
    // bytes) and writes the password verifier they give to `verifier`.
    // False for a strength other than 1 to 3.
    // With `remember`, the keys stay for the next init with the same
    // password and salt (until forgetDerivedKeys()); a writer's salts are
    // new every time, so it has no use for that.
    bool init(std::uint8_t strength, std::string_view password, const std::uint8_t *salt,
              std::uint8_t verifier[kAesVerifierSize], bool remember = true) noexcept;
    // Encrypts in place, then adds the encrypted bytes to the code.
    void encrypt(std::uint8_t *data, std::size_t size) noexcept;
    // Adds encrypted bytes to the code, then decrypts them in place.
    void decrypt(std::uint8_t *data, std::size_t size) noexcept;
    // Adds encrypted bytes to the code only.
    void authenticate(const std::uint8_t *data, std::size_t size) noexcept;
    // The authentication code of everything seen so far; ends the entry.
    void code(std::uint8_t out[kAesMacSize]) noexcept;
    // True when that code matches the stored one (compared in constant time).
    bool verify(const std::uint8_t *stored) noexcept;

private:
    void applyStream(std::uint8_t *data, std::size_t size) noexcept;
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

} // namespace zipformat
