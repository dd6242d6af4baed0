// Table-driven decoding of the canonical Huffman codes of deflate streams.
// A code's first kBits bits index the main table; longer codewords continue
// in a subtable the main entry points to. Entries that no codeword reaches
// stay zero and decode as an error, so a damaged stream can never select a
// symbol that was not defined.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zipformat::detail {

// Entry layout: bits 0-7 the bits to consume (0: no such codeword),
// bit 8 set for a subtable pointer, bits 9-12 the subtable's index bits,
// bits 16-31 the symbol or the subtable's position.
constexpr std::uint32_t kHuffSub = 1u << 8;

inline std::uint32_t huffBits(std::uint32_t entry) noexcept {
    return entry & 0xffu;
}
inline std::uint32_t huffValue(std::uint32_t entry) noexcept {
    return entry >> 16;
}
inline std::uint32_t huffSubBits(std::uint32_t entry) noexcept {
    return (entry >> 9) & 0xfu;
}

// Builds the table for `count` codeword lengths (0 = unused, at most 15).
// False when the lengths over-subscribe the code space, leave it incomplete
// (except the two shapes deflate allows: no codes, or one code of one bit),
// or would need more than `capacity` entries.
bool buildHuffmanTable(const std::uint8_t *lengths, unsigned count, unsigned tableBits,
                       std::uint32_t *table, std::size_t capacity) noexcept;

} // namespace zipformat::detail
