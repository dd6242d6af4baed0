#include "zipformat/aes_cipher.h"
#include "zipformat/wipe.h"

#include <nettle/memops.h>
#include <nettle/pbkdf2.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace zipformat {
namespace {

constexpr unsigned kIterations = 1000;
constexpr std::size_t kMaxKey = 32;

// Checking an entry and then reading it derive the same keys; the second
// derivation (a thousand rounds of HMAC-SHA1) is spared. A writer's salts
// are fresh every time, so it never finds its keys here.
struct DerivedKeys {
    bool valid = false;
    std::uint8_t strength = 0;
    std::string password;
    std::uint8_t salt[16] = {};
    std::uint8_t keys[2 * kMaxKey + kAesVerifierSize] = {};

    DerivedKeys() = default;
    DerivedKeys(const DerivedKeys &) = delete;
    DerivedKeys &operator=(const DerivedKeys &) = delete;
    // A worker thread's keys go with it.
    ~DerivedKeys() { forget(); }
    void forget() noexcept {
        valid = false;
        wipe(password);
        wipe(salt, sizeof salt);
        wipe(keys, sizeof keys);
    }
};

DerivedKeys &lastKeys() {
    thread_local DerivedKeys k;
    return k;
}

} // namespace

void forgetDerivedKeys() noexcept {
    lastKeys().forget();
}

AesCipher::~AesCipher() {
    wipe(&aes_, sizeof aes_);
    wipe(&mac_, sizeof mac_);
    wipe(counter_, sizeof counter_);
    wipe(stream_, sizeof stream_);
}

bool AesCipher::init(std::uint8_t strength, std::string_view password, const std::uint8_t *salt,
                     std::uint8_t verifier[kAesVerifierSize], bool remember) noexcept {
    if (strength < 1 || strength > 3)
        return false;
    const std::size_t keyLen = aesKeyBits(strength) / 8, saltLen = aesSaltSize(strength);
    DerivedKeys &k = lastKeys();
    if (!k.valid || k.strength != strength || k.password != password ||
        std::memcmp(k.salt, salt, saltLen) != 0) {
        k.forget();
        pbkdf2_hmac_sha1(password.size(), reinterpret_cast<const std::uint8_t *>(password.data()),
                         kIterations, saltLen, salt, 2 * keyLen + kAesVerifierSize, k.keys);
        try {
            if (remember) {
                k.password.assign(password);
                std::memcpy(k.salt, salt, saltLen);
                k.strength = strength;
                k.valid = true;
            }
        } catch (...) {
            // Not remembered; the keys just derived are still good.
        }
    }
    std::memcpy(verifier, k.keys + 2 * keyLen, kAesVerifierSize);
    strength_ = strength;
    switch (strength) {
    case 1:
        aes128_set_encrypt_key(&aes_.a128, k.keys);
        break;
    case 2:
        aes192_set_encrypt_key(&aes_.a192, k.keys);
        break;
    default:
        aes256_set_encrypt_key(&aes_.a256, k.keys);
        break;
    }
    hmac_sha1_set_key(&mac_, keyLen, k.keys + keyLen);
    if (!k.valid)
        k.forget();
    std::memset(counter_, 0, sizeof counter_);
    used_ = sizeof stream_;
    return true;
}

void AesCipher::refillStream() noexcept {
    for (std::size_t b = 0; b < kStreamBlocks; ++b) {
        for (std::uint8_t &byte : counter_) {
            if (++byte != 0)
                break;
        }
        std::memcpy(stream_ + 16 * b, counter_, 16);
    }
    switch (strength_) {
    case 1:
        aes128_encrypt(&aes_.a128, sizeof stream_, stream_, stream_);
        break;
    case 2:
        aes192_encrypt(&aes_.a192, sizeof stream_, stream_, stream_);
        break;
    default:
        aes256_encrypt(&aes_.a256, sizeof stream_, stream_, stream_);
        break;
    }
    used_ = 0;
}

void AesCipher::applyStream(std::uint8_t *data, std::size_t size) noexcept {
    while (size > 0) {
        if (used_ == sizeof stream_)
            refillStream();
        const std::size_t n = std::min(size, sizeof stream_ - used_);
        const std::uint8_t *key = stream_ + used_;
        for (std::size_t i = 0; i < n; ++i)
            data[i] ^= key[i];
        data += n;
        size -= n;
        used_ += n;
    }
}

void AesCipher::encrypt(std::uint8_t *data, std::size_t size) noexcept {
    applyStream(data, size);
    hmac_sha1_update(&mac_, size, data);
}

void AesCipher::decrypt(std::uint8_t *data, std::size_t size) noexcept {
    hmac_sha1_update(&mac_, size, data);
    applyStream(data, size);
}

void AesCipher::authenticate(const std::uint8_t *data, std::size_t size) noexcept {
    hmac_sha1_update(&mac_, size, data);
}

void AesCipher::code(std::uint8_t out[kAesMacSize]) noexcept {
    hmac_sha1_digest(&mac_, kAesMacSize, out);
}

bool AesCipher::verify(const std::uint8_t *stored) noexcept {
    std::uint8_t digest[kAesMacSize];
    code(digest);
    return memeql_sec(digest, stored, sizeof digest) != 0;
}

} // namespace zipformat
