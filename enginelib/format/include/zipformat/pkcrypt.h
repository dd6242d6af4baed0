// Traditional PKWARE encryption ("ZipCrypto"). The key schedule is shared by
// both directions: decrypting an entry and encrypting a new one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zipformat {

constexpr std::size_t kCryptHeaderSize = 12;

class PkKeys {
public:
    PkKeys() = default;
    explicit PkKeys(std::string_view password) noexcept { init(password); }
    PkKeys(const PkKeys &) = default;
    PkKeys &operator=(const PkKeys &) = default;
    // The keys, which stand for the password, are wiped.
    ~PkKeys();

    void init(std::string_view password) noexcept;
    void update(std::uint8_t plain) noexcept;
    std::uint8_t streamByte() const noexcept;

    std::uint8_t decryptByte(std::uint8_t c) noexcept {
        std::uint8_t p = static_cast<std::uint8_t>(c ^ streamByte());
        update(p);
        return p;
    }
    std::uint8_t encryptByte(std::uint8_t p) noexcept {
        std::uint8_t c = static_cast<std::uint8_t>(p ^ streamByte());
        update(p);
        return c;
    }
    void decrypt(std::uint8_t *data, std::size_t size) noexcept;
    void encrypt(std::uint8_t *data, std::size_t size) noexcept;

private:
    std::uint32_t k0_ = 0x12345678u, k1_ = 0x23456789u, k2_ = 0x34567890u;
};

// The byte the last byte of the decrypted 12-byte header must equal: the
// high byte of the CRC, or with a data descriptor (flag bit 3) the high byte
// of the DOS time. Info-ZIP writes the latter whenever bit 3 is set.
std::uint8_t cryptCheckByte(std::uint16_t flags, std::uint32_t crc, std::uint32_t dosTime) noexcept;

// Decrypts `header` (12 bytes) in place with `keys` freshly initialised from
// the password; true when its check byte matches. The keys are then ready
// for the entry's data.
bool cryptCheckHeader(PkKeys &keys, std::uint8_t *header, std::uint8_t check) noexcept;

} // namespace zipformat
