// The Deflate64 decoder and the Huffman table builder under it, fed raw
// streams written bit by bit: each rejected stream breaks one rule of the
// format and differs from an accepted one in little more than that.
#include "decoder.h"
#include "deflate_constants.h"
#include "zipformat/records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

using namespace zipformat;
using namespace zipformat::detail;
using namespace std::string_literals;

namespace {

// Packs bits as deflate does: fields from their least significant bit,
// Huffman codewords from their first bit.
class BitWriter {
public:
    BitWriter &bits(std::uint32_t value, unsigned n) {
        for (unsigned i = 0; i < n; ++i)
            put((value >> i) & 1u);
        return *this;
    }
    BitWriter &code(std::uint32_t codeword, unsigned n) {
        for (unsigned i = n; i-- > 0;)
            put((codeword >> i) & 1u);
        return *this;
    }
    BitWriter &header(bool final, unsigned type) { return bits(final ? 1 : 0, 1).bits(type, 2); }
    // A symbol of the fixed literal/length code.
    BitWriter &fixed(unsigned s) {
        if (s < 144)
            return code(0x30 + s, 8);
        if (s < 256)
            return code(0x190 + s - 144, 9);
        if (s < 280)
            return code(s - 256, 7);
        return code(0xc0 + s - 280, 8);
    }
    BitWriter &bytes(const std::string &data) {
        align();
        out_ += data;
        return *this;
    }
    std::string done() {
        align();
        return out_;
    }

private:
    void put(unsigned bit) {
        if (used_ == 0)
            out_.push_back('\0');
        out_.back() = static_cast<char>(out_.back() | (bit << used_));
        used_ = (used_ + 1) & 7u;
    }
    void align() { used_ = 0; }
    std::string out_;
    unsigned used_ = 0;
};

using Lengths = std::map<unsigned, unsigned>; // symbol -> codeword length

// The canonical codewords of a code given its lengths.
std::map<unsigned, std::uint32_t> canonical(const Lengths &lengths) {
    std::map<unsigned, std::uint32_t> codes;
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= kMaxCodewordLength; ++len) {
        for (const auto &[symbol, l] : lengths) {
            if (l == len)
                codes[symbol] = code++;
        }
        code <<= 1;
    }
    return codes;
}

// A final dynamic block's header up to the precode's lengths; `emit` then
// writes precode symbols with their extra bits.
struct Dynamic {
    BitWriter w;
    Lengths precode;
    Dynamic(unsigned litCount, unsigned distCount, Lengths pre) : precode(std::move(pre)) {
        unsigned count = 4;
        for (unsigned i = 0; i < kPrecodeSymbols; ++i) {
            if (precode.count(kPrecodeOrder[i]) != 0)
                count = std::max(count, i + 1);
        }
        w.header(true, kBlockDynamic)
            .bits(litCount - kFirstLengthSymbol, kLitlenCountBits)
            .bits(distCount - 1, kDistCountBits)
            .bits(count - 4, kPrecodeCountBits);
        for (unsigned i = 0; i < count; ++i) {
            const auto it = precode.find(kPrecodeOrder[i]);
            w.bits(it == precode.end() ? 0 : it->second, kPrecodeLengthBits);
        }
    }
    Dynamic &emit(unsigned symbol, std::uint32_t extra = 0, unsigned extraBits = 0) {
        w.code(canonical(precode).at(symbol), precode.at(symbol)).bits(extra, extraBits);
        return *this;
    }
    // A run of zero lengths through symbol 18 (11 to 138).
    Dynamic &zeros(unsigned n) { return emit(kRepeatZeroLong, n - 11, 7); }
    // The block's data, coded with a literal/length code of these lengths.
    std::string data(const Lengths &litlen, const std::vector<unsigned> &symbols) {
        const auto codes = canonical(litlen);
        for (unsigned s : symbols)
            w.code(codes.at(s), litlen.at(s));
        return w.done();
    }
};

// The literal/length code of most dynamic rows: 'a' and the end of block.
const Lengths kTwoSymbols = {{'a', 1}, {kEndOfBlock, 1}};

// A final dynamic block of that code (and one 1-bit distance code) as
// `precode` writes it, decoding to "aa": 'a' and 256 have lengths 1,
// `litCount` (257 or more) lengths in all.
std::string twoSymbolBlock(Lengths precode = {{1, 1}, {17, 2}, {18, 2}}, unsigned litCount = 257) {
    Dynamic d(litCount, 1, std::move(precode));
    d.zeros('a').emit(1).zeros(138).zeros(kEndOfBlock - 'a' - 1 - 138).emit(1);
    if (litCount > 257)
        d.zeros(litCount - 257);
    return d.emit(1).data(kTwoSymbols, {'a', 'a', kEndOfBlock});
}

struct Outcome {
    Error error = Error::Ok;
    bool finished = false;
    std::string out;
};

// Decodes a whole stream handed over `piece` bytes at a time.
Outcome inflate64(const std::string &stream, std::size_t piece) {
    Outcome r;
    auto decoder = makeDecoder(kMethodDeflate64, 0, r.error);
    if (!decoder)
        return r;
    const auto *data = reinterpret_cast<const std::uint8_t *>(stream.data());
    const std::uint8_t *next = data;
    std::size_t have = 0, given = 0;
    for (int rounds = 0; rounds < 100000; ++rounds) {
        if (have == 0 && given < stream.size()) {
            have = std::min(piece, stream.size() - given);
            next = data + given;
            given += have;
        }
        std::uint8_t buffer[4096];
        std::uint8_t *dst = buffer;
        std::size_t room = sizeof buffer;
        const std::uint8_t *before = next;
        r.error = decoder->run(next, have, given == stream.size(), dst, room, r.finished);
        r.out.append(reinterpret_cast<const char *>(buffer),
                     static_cast<std::size_t>(dst - buffer));
        if (r.error != Error::Ok || r.finished)
            break;
        if (dst == buffer && next == before && given == stream.size())
            break; // no progress and nothing left to give: stuck
    }
    return r;
}

struct Row {
    const char *rule;
    std::string stream;
};

constexpr std::size_t kPieces[] = {1, 1 << 20};

TEST(Deflate64Decoder, AcceptsTheStreamsTheRejectedOnesAreMadeFrom) {
    struct Accepted {
        const char *what;
        std::string stream;
        std::string out;
    };
    const Accepted accepted[] = {
        {"empty stored block", BitWriter().header(true, kBlockStored).bytes("\0\0\xff\xff"s).done(),
         ""},
        {"stored block",
         BitWriter()
             .header(true, kBlockStored)
             .bytes("\x01\0\xfe\xff"
                    "a"s)
             .done(),
         "a"},
        {"fixed block",
         BitWriter().header(true, kBlockFixed).fixed('a').fixed('b').fixed(256).done(), "ab"},
        {"match one back",
         BitWriter().header(true, kBlockFixed).fixed('a').fixed(257).code(0, 5).fixed(256).done(),
         "aaaa"},
        {"fixed block, then a final stored one",
         BitWriter()
             .header(false, kBlockFixed)
             .fixed('a')
             .fixed(256)
             .header(true, kBlockStored)
             .bytes("\x01\0\xfe\xff"
                    "b"s)
             .done(),
         "ab"},
        {"dynamic block", twoSymbolBlock(), "aa"},
    };
    for (const auto &a : accepted) {
        for (std::size_t piece : kPieces) {
            const Outcome r = inflate64(a.stream, piece);
            EXPECT_EQ(r.error, Error::Ok) << a.what << ", pieces of " << piece;
            EXPECT_TRUE(r.finished) << a.what << ", pieces of " << piece;
            EXPECT_EQ(r.out, a.out) << a.what << ", pieces of " << piece;
        }
    }
}

TEST(Deflate64Decoder, RejectsEveryBrokenRule) {
    const std::string emptyFixed = BitWriter().header(true, kBlockFixed).fixed(256).done();
    const Row rows[] = {
        {"block type 3", BitWriter().header(true, 3).bytes("\0\0\xff\xff"s).done()},
        {"stored length and its complement disagree", BitWriter()
                                                          .header(true, kBlockStored)
                                                          .bytes("\x01\0\0\0"
                                                                 "a"s)
                                                          .done()},
        {"stored data cut short", BitWriter()
                                      .header(true, kBlockStored)
                                      .bytes("\x05\0\xfa\xff"
                                             "ab"s)
                                      .done()},
        {"distance before the start of the data",
         BitWriter().header(true, kBlockFixed).fixed('a').fixed(257).code(1, 5).fixed(256).done()},
        {"literal/length symbol 286",
         BitWriter().header(true, kBlockFixed).fixed('a').fixed(286).code(0, 5).fixed(256).done()},
        {"literal/length symbol 287",
         BitWriter().header(true, kBlockFixed).fixed('a').fixed(287).code(0, 5).fixed(256).done()},
        {"more than 286 literal/length codes declared",
         twoSymbolBlock({{1, 1}, {17, 2}, {18, 2}}, 287)},
        {"no end-of-block code", Dynamic(257, 1, {{1, 1}, {17, 2}, {18, 2}})
                                     .zeros('a')
                                     .emit(1)
                                     .zeros(138)
                                     .zeros(kEndOfBlock - 'a' - 138)
                                     .emit(1)
                                     .data({{'a', 1}}, {'a', 'a'})},
        {"over-subscribed precode", twoSymbolBlock({{1, 1}, {17, 1}, {18, 1}})},
        {"incomplete precode", twoSymbolBlock({{1, 2}, {18, 2}})},
        {"over-subscribed literal/length code",
         Dynamic(257, 1, {{1, 1}, {17, 2}, {18, 2}})
             .zeros('a')
             .emit(1)
             .emit(1)
             .zeros(138)
             .zeros(kEndOfBlock - 'b' - 1 - 138)
             .emit(1)
             .emit(1)
             .data({{'a', 1}, {'b', 1}, {kEndOfBlock, 1}}, {'a', 'b', kEndOfBlock})},
        {"incomplete literal/length code",
         Dynamic(257, 1, {{1, 2}, {2, 2}, {18, 1}})
             .zeros('a')
             .emit(2)
             .zeros(138)
             .zeros(kEndOfBlock - 'a' - 1 - 138)
             .emit(2)
             .emit(1)
             .data({{'a', 2}, {kEndOfBlock, 2}}, {'a', 'a', kEndOfBlock})},
        {"repeat of a length before the first", Dynamic(257, 1, {{1, 1}, {16, 2}, {18, 2}})
                                                    .emit(kRepeatPrevious, 0, 2)
                                                    .zeros('a' - 3)
                                                    .emit(1)
                                                    .zeros(138)
                                                    .zeros(kEndOfBlock - 'a' - 1 - 138)
                                                    .emit(1)
                                                    .emit(1)
                                                    .data(kTwoSymbols, {'a', kEndOfBlock})},
        {"repeat past the last length", Dynamic(257, 1, {{1, 1}, {17, 2}, {18, 2}})
                                            .zeros('a')
                                            .emit(1)
                                            .zeros(138)
                                            .zeros(kEndOfBlock - 'a' - 1 - 138)
                                            .emit(1)
                                            .zeros(11)
                                            .data(kTwoSymbols, {'a', kEndOfBlock})},
        {"end-of-block code cut short", BitWriter().header(true, kBlockFixed).done()},
        {"the last block is not final", BitWriter().header(false, kBlockFixed).fixed(256).done()},
        {"bytes after the final block", emptyFixed + '\0'},
    };
    for (const auto &row : rows) {
        for (std::size_t piece : kPieces) {
            EXPECT_EQ(inflate64(row.stream, piece).error, Error::Corrupted)
                << row.rule << ", pieces of " << piece;
        }
    }
}

} // namespace
