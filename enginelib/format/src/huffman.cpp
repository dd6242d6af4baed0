#include "huffman.h"

#include "deflate_constants.h"

#include <algorithm>

namespace zipformat::detail {
namespace {

constexpr unsigned kMaxTableBits = 12;

unsigned reverseBits(unsigned code, unsigned length) noexcept {
    unsigned r = 0;
    for (unsigned i = 0; i < length; ++i) {
        r = (r << 1) | (code & 1u);
        code >>= 1;
    }
    return r;
}

} // namespace

bool buildHuffmanTable(const std::uint8_t *lengths, unsigned count, unsigned tableBits,
                       std::uint32_t *table, std::size_t capacity) noexcept {
    const std::size_t mainSize = std::size_t{1} << tableBits;
    if (count > kMaxSymbols || tableBits > kMaxTableBits || mainSize > capacity)
        return false;
    unsigned perLength[kMaxCodewordLength + 1] = {};
    for (unsigned s = 0; s < count; ++s) {
        if (lengths[s] > kMaxCodewordLength)
            return false;
        ++perLength[lengths[s]];
    }
    perLength[0] = 0;
    // Code space left, in units of 2^-15 of the whole.
    long left = 1;
    unsigned used = 0;
    for (unsigned len = 1; len <= kMaxCodewordLength; ++len) {
        left = (left << 1) - perLength[len];
        if (left < 0)
            return false; // over-subscribed
        used += perLength[len];
    }
    std::fill(table, table + mainSize, 0u);
    if (left > 0 && used == 0)
        return true; // no codes: every lookup is an error
    if (left > 0 && !(used == 1 && perLength[1] == 1))
        return false;

    // Canonical codes: shorter first, then by symbol.
    unsigned next[kMaxCodewordLength + 2] = {};
    unsigned code = 0;
    for (unsigned len = 1; len <= kMaxCodewordLength; ++len) {
        code = (code + perLength[len - 1]) << 1;
        next[len] = code;
    }
    std::uint16_t reversed[kMaxSymbols];
    std::uint8_t subBits[std::size_t{1} << kMaxTableBits] = {};
    const unsigned mask = static_cast<unsigned>(mainSize - 1);
    for (unsigned s = 0; s < count; ++s) {
        const unsigned len = lengths[s];
        if (len == 0)
            continue;
        reversed[s] = static_cast<std::uint16_t>(reverseBits(next[len]++, len));
        if (len > tableBits) {
            std::uint8_t &b = subBits[reversed[s] & mask];
            b = std::max<std::uint8_t>(b, static_cast<std::uint8_t>(len - tableBits));
        }
    }
    std::uint32_t subPos[std::size_t{1} << kMaxTableBits];
    std::size_t pos = mainSize;
    for (unsigned p = 0; p <= mask; ++p) {
        if (subBits[p] == 0)
            continue;
        const std::size_t size = std::size_t{1} << subBits[p];
        if (size > capacity - pos)
            return false;
        std::fill(table + pos, table + pos + size, 0u);
        subPos[p] = static_cast<std::uint32_t>(pos);
        table[p] = (static_cast<std::uint32_t>(pos) << 16) |
                   (static_cast<std::uint32_t>(subBits[p]) << 9) | kHuffSub | tableBits;
        pos += size;
    }
    for (unsigned s = 0; s < count; ++s) {
        const unsigned len = lengths[s];
        if (len == 0)
            continue;
        const unsigned r = reversed[s];
        if (len <= tableBits) {
            const std::uint32_t entry = (s << 16) | len;
            for (std::size_t j = r; j < mainSize; j += std::size_t{1} << len)
                table[j] = entry;
        } else {
            const unsigned extra = len - tableBits;
            const std::size_t size = std::size_t{1} << subBits[r & mask];
            const std::uint32_t entry = (s << 16) | extra;
            for (std::size_t j = r >> tableBits; j < size; j += std::size_t{1} << extra)
                table[subPos[r & mask] + j] = entry;
        }
    }
    return true;
}

} // namespace zipformat::detail
