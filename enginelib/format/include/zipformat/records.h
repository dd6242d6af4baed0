// Signatures, fixed record sizes, flag bits, method numbers and
// little-endian field access, shared by the reading and writing sides.
#pragma once

#include <cstdint>
#include <cstring>

namespace zipformat {

constexpr std::uint32_t kSigLocal = 0x04034b50u;
constexpr std::uint32_t kSigCentral = 0x02014b50u;
constexpr std::uint32_t kSigEnd = 0x06054b50u;
constexpr std::uint32_t kSigEnd64 = 0x06064b50u;
constexpr std::uint32_t kSigEnd64Locator = 0x07064b50u;
constexpr std::uint32_t kSigDescriptor = 0x08074b50u;
constexpr std::uint32_t kSigSpanMarker = 0x08074b50u; // same bytes at file start

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kEnd64Size = 56;
constexpr std::size_t kEnd64LocatorSize = 20;
constexpr std::size_t kMaxCommentSize = 0xffff;

// A 32-bit size or offset at kZip64Limit (a 16-bit count or disk number at
// kZip64Limit16) stands for the real value in a ZIP64 field; a value that
// large needs ZIP64.
constexpr std::uint32_t kZip64Limit = 0xffffffffu;
constexpr std::uint16_t kZip64Limit16 = 0xffffu;

// "Version needed to extract": stored, deflate or traditional encryption,
// ZIP64, WinZip AES.
constexpr std::uint16_t kVersionStored = 10;
constexpr std::uint16_t kVersionDeflate = 20;
constexpr std::uint16_t kVersionZip64 = 45;
constexpr std::uint16_t kVersionAes = 51;

// General-purpose flag bits.
constexpr std::uint16_t kFlagEncrypted = 1u << 0;
constexpr std::uint16_t kFlagDescriptor = 1u << 3;
constexpr std::uint16_t kFlagStrongCrypto = 1u << 6;
constexpr std::uint16_t kFlagUtf8 = 1u << 11;
constexpr std::uint16_t kFlagMaskedHeader = 1u << 13;

// Compression methods.
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflate = 8;
constexpr std::uint16_t kMethodDeflate64 = 9;
constexpr std::uint16_t kMethodBzip2 = 12;
constexpr std::uint16_t kMethodLzma = 14;
constexpr std::uint16_t kMethodZstd = 93;
constexpr std::uint16_t kMethodXz = 95;
constexpr std::uint16_t kMethodAes = 99;

// Extra field tags.
constexpr std::uint16_t kExtraZip64 = 0x0001;
constexpr std::uint16_t kExtraNtfs = 0x000a;
constexpr std::uint16_t kExtraUnixTime = 0x5455; // "UT"
constexpr std::uint16_t kExtraUnix1 = 0x5855;    // "UX", old Info-ZIP Unix
constexpr std::uint16_t kExtraUnix2 = 0x7855;    // "Ux", uid/gid
constexpr std::uint16_t kExtraUnixN = 0x7875;    // "ux", uid/gid any width
constexpr std::uint16_t kExtraUnicodePath = 0x7075;
constexpr std::uint16_t kExtraUnicodeComment = 0x6375;
constexpr std::uint16_t kExtraAes = 0x9901;

// Host systems (high byte of "version made by").
constexpr std::uint8_t kHostDos = 0;
constexpr std::uint8_t kHostUnix = 3;
constexpr std::uint8_t kHostNtfs = 10;
constexpr std::uint8_t kHostVfat = 14;
constexpr std::uint8_t kHostOsx = 19;

// "Version made by" of what the writing side stores: Unix, format version
// 3.0; MS-DOS, version 2.0 where repair knows nothing of the host.
constexpr std::uint16_t kMadeByUnix = (kHostUnix << 8) | 30u;
constexpr std::uint16_t kMadeByDos = (kHostDos << 8) | 20u;

inline std::uint16_t le16(const std::uint8_t *p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t *p) noexcept {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t le64(const std::uint8_t *p) noexcept {
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}
inline void put16(std::uint8_t *p, std::uint16_t v) noexcept {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t *p, std::uint32_t v) noexcept {
    put16(p, static_cast<std::uint16_t>(v));
    put16(p + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void put64(std::uint8_t *p, std::uint64_t v) noexcept {
    put32(p, static_cast<std::uint32_t>(v));
    put32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

} // namespace zipformat
