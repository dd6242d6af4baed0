// The encryption of one new entry, whichever method the options chose: a
// header before the data, the data encrypted in place, and a trailer after
// it. The writer asks nothing else of either method.
#pragma once

#include "options.h"
#include "zipformat/status.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zipwrite {

// The longest trailer of any method (AES's authentication code).
constexpr std::size_t kCipherTrailerMax = 10;

class EntryCipher {
public:
    virtual ~EntryCipher() = default;

    // Written before the data.
    virtual const std::uint8_t *header() const = 0;
    virtual std::size_t headerSize() const = 0;
    virtual void encrypt(std::uint8_t *data, std::size_t n) = 0;
    // Fills `out` with what is written after the data; returns its size.
    virtual std::size_t trailer(std::uint8_t out[kCipherTrailerMax]) = 0;
};

// The cipher of a new entry for `opt` (PKWARE's, or AES with its strength),
// with fresh random bytes. `checkByte` is PKWARE's check byte
// (zipformat::cryptCheckByte); AES has none. ENGINE_NO_MEMORY when the
// random source fails.
zipformat::Status startEntryCipher(const Options &opt, std::uint8_t checkByte,
                                   std::unique_ptr<EntryCipher> &out);

// Bytes the cipher of `opt` adds before the data, and in all; 0 without
// encryption.
std::uint64_t cipherHeaderSize(const Options &opt);
std::uint64_t cipherOverhead(const Options &opt);

} // namespace zipwrite
