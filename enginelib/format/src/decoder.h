// Streaming decompressors behind one interface, one per method.
#pragma once

#include "zipformat/error.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zipformat::detail {

class Decoder {
public:
    virtual ~Decoder() = default;
    // Consumes from [in, in + inSize) and writes into [out, out + outSize),
    // advancing both. `inputEnd` says no input follows what is given.
    // Sets `finished` once the compressed stream has ended.
    virtual Error run(const std::uint8_t *&in, std::size_t &inSize, bool inputEnd,
                      std::uint8_t *&out, std::size_t &outSize, bool &finished) = 0;
};

// Null with `err` set when the method is unknown or the decoder cannot start.
// `uncompressedSize` bounds what some decoders allocate (LZMA dictionary).
std::unique_ptr<Decoder> makeDecoder(std::uint16_t method, std::uint64_t uncompressedSize,
                                     Error &err);

} // namespace zipformat::detail
