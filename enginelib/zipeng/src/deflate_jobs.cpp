#include "deflate_jobs.h"

#include <libdeflate.h>
#include <zlib.h>

namespace zipwrite {

struct DeflateTools::Inflater {
    z_stream zs{};
    bool ready = false;
    Inflater() { ready = inflateInit2(&zs, -15) == Z_OK; }
    ~Inflater() {
        if (ready)
            inflateEnd(&zs);
    }
};

DeflateTools::DeflateTools() : inflater_(std::make_unique<Inflater>()) {}

DeflateTools::~DeflateTools() {
    for (auto *c : compressors_)
        if (c != nullptr)
            libdeflate_free_compressor(c);
}

bool DeflateTools::compress(const std::uint8_t *in, std::size_t n, int level, bool finalChunk,
                            std::vector<std::uint8_t> &out) {
    if (level < 1 || level > 9)
        return false;
    auto *&c = compressors_[level];
    if (c == nullptr)
        // libdeflate's levels 1 to 9 match zlib's in intent; at 6 its output
        // is about that of zlib (and Info-ZIP) at 6, in a third of the time.
        c = libdeflate_alloc_compressor(level);
    if (c == nullptr)
        return false;
    // Room for the compressed data plus the empty stored block a joinable
    // chunk ends with.
    out.resize(libdeflate_deflate_compress_bound(c, n) + 8);
    const std::size_t got = libdeflate_deflate_compress(c, in, n, out.data(), out.size());
    if (got == 0)
        return false;
    out.resize(got);
    if (finalChunk)
        return true;
    return makeJoinable(out, n);
}

// libdeflate always ends its output with a final block. To continue the
// stream with the next chunk, find where that block's header begins (zlib
// stops at every block boundary with Z_BLOCK and says how many bits of the
// last byte it has not used), clear its BFINAL bit, and end the piece with an
// empty non-final stored block, so that it ends on a byte boundary. Walking
// the stream also proves that it inflates to exactly the input length.
bool DeflateTools::makeJoinable(std::vector<std::uint8_t> &out, std::size_t inputLength) {
    if (!inflater_->ready)
        return false;
    z_stream &zs = inflater_->zs;
    if (inflateReset(&zs) != Z_OK)
        return false;
    scratch_.resize(inputLength > 0 ? inputLength : 1);
    zs.next_in = out.data();
    zs.avail_in = static_cast<uInt>(out.size());
    zs.next_out = scratch_.data();
    zs.avail_out = static_cast<uInt>(scratch_.size());
    std::uint64_t lastHeaderBit = 0;
    std::uint64_t endBit = 0;
    bool sawEnd = false;
    for (;;) {
        const int r = inflate(&zs, Z_BLOCK);
        if (r == Z_STREAM_END)
            break;
        if (r != Z_OK)
            return false;
        // At a block boundary the bits zlib holds but has not used are the
        // low six bits of data_type. Before the final block that is where
        // its header starts; after it, where the stream ends (the position
        // at Z_STREAM_END is rounded up to the byte).
        const bool boundary = (zs.data_type & 128) != 0;
        const std::uint64_t bitHere =
            static_cast<std::uint64_t>(zs.total_in) * 8 - (zs.data_type & 63);
        if (boundary && (zs.data_type & 64) == 0) {
            lastHeaderBit = bitHere;
        } else if (boundary) {
            endBit = bitHere;
            sawEnd = true;
        } else if (zs.avail_in == 0) {
            return false; // ran out of input without reaching the end
        }
    }
    if (zs.total_out != inputLength || !sawEnd)
        return false;
    if (lastHeaderBit / 8 >= out.size() || endBit > out.size() * 8)
        return false;
    out[lastHeaderBit / 8] &= static_cast<std::uint8_t>(~(1u << (lastHeaderBit % 8)));
    // Clear the padding after the end-of-block code, then append the three
    // zero bits of a non-final stored block header, pad to the byte and add
    // LEN 0 / NLEN 0xFFFF.
    if (endBit % 8 != 0)
        out[endBit / 8] &= static_cast<std::uint8_t>((1u << (endBit % 8)) - 1);
    const std::size_t alignedBytes = static_cast<std::size_t>((endBit + 3 + 7) / 8);
    out.resize(alignedBytes, 0);
    if (endBit / 8 + 1 < alignedBytes)
        out[alignedBytes - 1] = 0;
    out.push_back(0x00);
    out.push_back(0x00);
    out.push_back(0xFF);
    out.push_back(0xFF);
    return true;
}

} // namespace zipwrite
