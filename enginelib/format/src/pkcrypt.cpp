#include "zipformat/pkcrypt.h"
#include "zipformat/wipe.h"

#include <array>

namespace zipformat {
namespace {

constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (0xedb88320u ^ (c >> 1)) : (c >> 1);
        t[i] = c;
    }
    return t;
}

constexpr auto kTable = makeTable();

inline std::uint32_t crcByte(std::uint32_t crc, std::uint8_t b) noexcept {
    return kTable[(crc ^ b) & 0xff] ^ (crc >> 8);
}

} // namespace

PkKeys::~PkKeys() {
    wipe(&k0_, sizeof k0_);
    wipe(&k1_, sizeof k1_);
    wipe(&k2_, sizeof k2_);
}

void PkKeys::init(std::string_view password) noexcept {
    k0_ = 0x12345678u;
    k1_ = 0x23456789u;
    k2_ = 0x34567890u;
    for (char c : password)
        update(static_cast<std::uint8_t>(c));
}

void PkKeys::update(std::uint8_t plain) noexcept {
    k0_ = crcByte(k0_, plain);
    k1_ = (k1_ + (k0_ & 0xff)) * 134775813u + 1;
    k2_ = crcByte(k2_, static_cast<std::uint8_t>(k1_ >> 24));
}

std::uint8_t PkKeys::streamByte() const noexcept {
    std::uint32_t temp = (k2_ | 2u) & 0xffffu;
    return static_cast<std::uint8_t>((temp * (temp ^ 1u)) >> 8);
}

void PkKeys::decrypt(std::uint8_t *data, std::size_t size) noexcept {
    for (std::size_t i = 0; i < size; ++i)
        data[i] = decryptByte(data[i]);
}

void PkKeys::encrypt(std::uint8_t *data, std::size_t size) noexcept {
    for (std::size_t i = 0; i < size; ++i)
        data[i] = encryptByte(data[i]);
}

std::uint8_t cryptCheckByte(std::uint16_t flags, std::uint32_t crc,
                            std::uint32_t dosTime) noexcept {
    if (flags & 8u)
        return static_cast<std::uint8_t>((dosTime >> 8) & 0xff);
    return static_cast<std::uint8_t>(crc >> 24);
}

bool cryptCheckHeader(PkKeys &keys, std::uint8_t *header, std::uint8_t check) noexcept {
    keys.decrypt(header, kCryptHeaderSize);
    return header[kCryptHeaderSize - 1] == check;
}

} // namespace zipformat
