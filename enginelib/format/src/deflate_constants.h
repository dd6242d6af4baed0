// The numbers of the deflate format (RFC 1951) and of Deflate64, its variant
// with a 64 KiB window, named once for the Huffman table builder and the
// Deflate64 decoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zipformat::detail {

// The two bits after BFINAL; 3 is reserved and never valid.
constexpr unsigned kBlockStored = 0;
constexpr unsigned kBlockFixed = 1;
constexpr unsigned kBlockDynamic = 2;

constexpr unsigned kMaxCodewordLength = 15;

// Literal/length symbols: 0-255 literals, 256 ends the block, 257-285
// lengths. 286 and 287 only complete the fixed code and never occur.
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kFirstLengthSymbol = 257;
constexpr unsigned kLengthSymbols = 29;
constexpr unsigned kMaxLitlenCodes = 286; // the most a dynamic block may declare
constexpr unsigned kLitlenSymbols = 288;
// Deflate64 uses distance codes 30 and 31 as well.
constexpr unsigned kDistSymbols = 32;
// Both codes' lengths in one array, the literal/length code first.
constexpr unsigned kMaxSymbols = kLitlenSymbols + kDistSymbols;

// A dynamic block's header: the counts of the codes it declares, then the
// precode's lengths, which code the two codes' lengths.
constexpr unsigned kLitlenCountBits = 5;
constexpr unsigned kDistCountBits = 5;
constexpr unsigned kPrecodeCountBits = 4;
constexpr unsigned kPrecodeSymbols = 19;
constexpr unsigned kPrecodeLengthBits = 3;
constexpr unsigned kMaxPrecodeLength = (1u << kPrecodeLengthBits) - 1;
inline constexpr std::uint8_t kPrecodeOrder[kPrecodeSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                11, 4,  12, 3, 13, 2, 14, 1, 15};
// Precode symbols 16-18 repeat a length: the previous one 3-6 times, zero
// 3-10 times, zero 11-138 times.
constexpr unsigned kRepeatPrevious = 16;
constexpr unsigned kRepeatZero = 17;
constexpr unsigned kRepeatZeroLong = 18;
constexpr unsigned kMaxRepeatExtraBits = 7;

// The fixed code's lengths, literal/length code then distance code.
inline constexpr std::array<std::uint8_t, kMaxSymbols> kFixedLengths = [] {
    std::array<std::uint8_t, kMaxSymbols> lengths{};
    for (unsigned s = 0; s < kMaxSymbols; ++s)
        lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : s < kLitlenSymbols ? 8 : 5;
    return lengths;
}();

// Deflate64: a 64 KiB window, and length symbol 285 takes 16 extra bits
// where deflate's means 258.
constexpr std::size_t kDeflate64Window = std::size_t{1} << 16;
constexpr std::size_t kDeflate64MaxMatch = 3 + 0xffff;
constexpr unsigned kMaxLengthExtraBits = 16;
constexpr unsigned kMaxDistExtraBits = 14;
inline constexpr std::uint32_t kDeflate64LengthBase[kLengthSymbols] = {
    3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 3};
inline constexpr std::uint8_t kDeflate64LengthExtra[kLengthSymbols] = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 16};
inline constexpr std::uint32_t kDistBase[kDistSymbols] = {
    1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
    49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
inline constexpr std::uint8_t kDistExtra[kDistSymbols] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3, 4,
                                                          4,  5,  5,  6,  6,  7,  7,  8,  8,  9, 9,
                                                          10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

} // namespace zipformat::detail
