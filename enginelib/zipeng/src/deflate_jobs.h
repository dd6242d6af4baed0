// Compression of one piece ("chunk") of an entry's data. Small entries are
// one chunk compressed as a whole buffer with libdeflate; large entries are
// cut into chunks that are compressed independently on several cores and
// then joined into one deflate stream, as pigz does: every chunk but the
// last has its final-block bit cleared and ends with an empty stored block,
// which leaves it byte-aligned for the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct libdeflate_compressor;

namespace zipwrite {

// Per-thread tools, created once per worker and reused for every chunk.
class DeflateTools {
public:
    DeflateTools();
    ~DeflateTools();
    DeflateTools(const DeflateTools &) = delete;
    DeflateTools &operator=(const DeflateTools &) = delete;

    // Compresses in[0, n) at level 1..9 into out. finalChunk: the stream ends
    // here; otherwise it is left open for the next chunk. Returns false when
    // compression failed (out of memory or an inconsistent stream).
    bool compress(const std::uint8_t *in, std::size_t n, int level, bool finalChunk,
                  std::vector<std::uint8_t> &out);

private:
    bool makeJoinable(std::vector<std::uint8_t> &out, std::size_t inputLength);

    libdeflate_compressor *compressors_[10] = {};
    std::vector<std::uint8_t> scratch_;
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
};

} // namespace zipwrite
