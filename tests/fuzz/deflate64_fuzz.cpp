// libFuzzer harness for the Deflate64 decoder on its own: the input is a
// raw stream, fed in pieces whose sizes the first byte chooses, into output
// buffers of varying room, so every place the decoder can pause is reached.
// Built by build.sh with clang.
#include "decoder.h"
#include "zipformat/records.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

using namespace zipformat;

namespace {
volatile std::uint64_t g_touch = 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t piece = std::size_t{1} << (data[0] & 15);
    const std::size_t room = std::size_t{1} << ((data[0] >> 4) + 8);
    ++data;
    --size;
    Error err = Error::Ok;
    auto decoder = detail::makeDecoder(kMethodDeflate64, 0, err);
    if (!decoder)
        __builtin_trap();
    std::vector<std::uint8_t> out(room);
    std::size_t given = 0, total = 0;
    const std::uint8_t *next = data;
    std::size_t have = 0;
    bool finished = false;
    // A megabyte of output is enough to reach every state.
    for (int rounds = 0; !finished && total < (std::size_t{1} << 20) && rounds < 100000; ++rounds) {
        if (have == 0 && given < size) {
            have = std::min(piece, size - given);
            next = data + given;
            given += have;
        }
        std::uint8_t *dst = out.data();
        std::size_t left = out.size();
        const std::uint8_t *before = next;
        err = decoder->run(next, have, given == size, dst, left, finished);
        const std::size_t made = out.size() - left;
        if (made > out.size() || next < before || next > data + size)
            __builtin_trap();
        total += made;
        if (made > 0)
            g_touch = g_touch + out[made - 1];
        if (err != Error::Ok)
            break;
        if (made == 0 && next == before && given == size)
            break;
    }
    return 0;
}
