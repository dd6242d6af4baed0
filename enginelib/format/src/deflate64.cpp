#include "deflate64.h"

#include "deflate_constants.h"
#include "huffman.h"
#include "zipformat/records.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zipformat::detail {
namespace {

constexpr std::size_t kWindow = kDeflate64Window;
constexpr std::size_t kMaxMatch = kDeflate64MaxMatch;
// Output made between two slides of the window; the history the next
// match may reach stays in front of it.
constexpr std::size_t kRoom = std::size_t{1} << 20;
constexpr std::size_t kOutSize = kWindow + kRoom;
// Matches are copied in 8-byte words and may write this far past their end.
constexpr std::size_t kSlack = 16;
// Compressed bytes held at once, and the least a step may start with unless
// the input has ended: a dynamic block header needs at most about 570.
constexpr std::size_t kInSize = std::size_t{1} << 16;
constexpr std::size_t kInMargin = 1024;
// Bytes kept behind the read position, so whole bytes already in the bit
// buffer can be handed back when a stored block starts.
constexpr std::size_t kKeep = 8;

constexpr unsigned kLitBits = 11, kDistBits = 8, kPreBits = 7;
// What refill() leaves in the bit buffer at least (56 to 64 bits).
constexpr unsigned kBitsAfterRefill = 56;
// Every subtable of a complete code holds at least two codewords, so these
// bound the main table plus subtables of at most 2^(15 - bits) entries each.
constexpr std::size_t kLitCapacity = (std::size_t{1} << kLitBits) + std::size_t{144} * 16;
constexpr std::size_t kDistCapacity = (std::size_t{1} << kDistBits) + std::size_t{16} * 128;
constexpr std::size_t kPreCapacity = std::size_t{1} << kPreBits;

class Deflate64Decoder final : public Decoder {
public:
    // The buffers are not cleared: nothing is read from them before it is
    // written (a match may only reach back to what was decoded).
    Deflate64Decoder()
        : in_(std::make_unique_for_overwrite<std::uint8_t[]>(kKeep + kInSize)),
          window_(std::make_unique_for_overwrite<std::uint8_t[]>(kOutSize + kSlack)),
          lit_(kLitCapacity), dist_(kDistCapacity), pre_(kPreCapacity) {}

    Error run(const std::uint8_t *&in, std::size_t &inSize, bool inputEnd, std::uint8_t *&out,
              std::size_t &outSize, bool &finished) override;

private:
    enum class State { Header, Stored, Codes, Done };
    enum class Step { Ok, Starved, Failed };

    void accept(const std::uint8_t *&in, std::size_t &inSize, bool inputEnd);
    void flush(std::uint8_t *&out, std::size_t &outSize);
    Step step();
    Step header();
    Step storedHeader();
    Step dynamicTables();
    Step stored();
    Step codes();
    Error trailing() const;

    std::size_t available() const { return end_ - ip_; }
    bool starved() const { return !complete_ && available() < kInMargin; }
    // Bytes past the input's end read as zeros; whether any of them were
    // consumed is checked where a block or the stream ends. Afterwards the
    // buffer holds kBitsAfterRefill bits at least: each caller states with
    // a static_assert that what it takes before the next refill fits.
    void refill() {
        if (available() >= 8) {
            bits_ |= le64(in_.get() + ip_) << count_;
            const unsigned bytes = (63 - count_) >> 3;
            ip_ += bytes;
            count_ += bytes * 8;
            return;
        }
        while (count_ <= 56) {
            if (ip_ < end_)
                bits_ |= std::uint64_t{in_[ip_++]} << count_;
            else
                ++overread_;
            count_ += 8;
        }
    }
    std::uint32_t peek(unsigned n) const {
        return static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
    }
    void drop(unsigned n) {
        bits_ >>= n;
        count_ -= n;
    }
    std::uint32_t take(unsigned n) {
        std::uint32_t v = peek(n);
        drop(n);
        return v;
    }
    // The symbol, or -1 for a bit pattern the code does not define.
    int decode(const std::vector<std::uint32_t> &table, unsigned tableBits) {
        std::uint32_t e = table[peek(tableBits)];
        if (e & kHuffSub) {
            drop(tableBits);
            e = table[huffValue(e) + peek(huffSubBits(e))];
        }
        const unsigned n = huffBits(e);
        if (n == 0)
            return -1;
        drop(n);
        return static_cast<int>(huffValue(e));
    }
    bool overran() const { return overread_ > (count_ >> 3); }

    std::unique_ptr<std::uint8_t[]> in_;
    std::size_t ip_ = kKeep, end_ = kKeep;
    bool complete_ = false;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0, overread_ = 0;

    std::unique_ptr<std::uint8_t[]> window_;
    std::size_t pos_ = 0, flushed_ = 0;

    std::vector<std::uint32_t> lit_, dist_, pre_;
    State state_ = State::Header;
    bool final_ = false;
    std::uint32_t storedLeft_ = 0;
    Error failed_ = Error::Ok;
};

void Deflate64Decoder::accept(const std::uint8_t *&in, std::size_t &inSize, bool inputEnd) {
    const std::size_t from = ip_ - kKeep;
    if (from > 0) {
        std::memmove(in_.get(), in_.get() + from, end_ - from);
        ip_ -= from;
        end_ -= from;
    }
    const std::size_t n = std::min(inSize, kKeep + kInSize - end_);
    if (n > 0)
        std::memcpy(in_.get() + end_, in, n);
    end_ += n;
    in += n;
    inSize -= n;
    complete_ = inputEnd && inSize == 0;
}

void Deflate64Decoder::flush(std::uint8_t *&out, std::size_t &outSize) {
    const std::size_t n = std::min(pos_ - flushed_, outSize);
    if (n > 0)
        std::memcpy(out, window_.get() + flushed_, n);
    flushed_ += n;
    out += n;
    outSize -= n;
}

Error Deflate64Decoder::run(const std::uint8_t *&in, std::size_t &inSize, bool inputEnd,
                            std::uint8_t *&out, std::size_t &outSize, bool &finished) {
    accept(in, inSize, inputEnd);
    for (;;) {
        flush(out, outSize);
        if (flushed_ < pos_)
            return Error::Ok; // the caller's buffer is full
        if (failed_ != Error::Ok)
            return failed_;
        if (state_ == State::Done) {
            finished = true;
            return trailing();
        }
        if (pos_ + kMaxMatch > kOutSize) {
            // Everything is flushed: keep only the history a match may reach.
            std::memmove(window_.get(), window_.get() + pos_ - kWindow, kWindow);
            pos_ = flushed_ = kWindow;
        }
        const Step s = step();
        if (s == Step::Failed)
            failed_ = Error::Corrupted; // reported once what came before is out
        else if (s == Step::Starved && pos_ == flushed_)
            return Error::Ok;
    }
}

Deflate64Decoder::Step Deflate64Decoder::step() {
    switch (state_) {
    case State::Header:
        return header();
    case State::Stored:
        return stored();
    case State::Codes:
        return codes();
    case State::Done:
        break;
    }
    return Step::Ok;
}

Deflate64Decoder::Step Deflate64Decoder::header() {
    if (starved())
        return Step::Starved;
    if (overran())
        return Step::Failed;
    refill();
    static_assert(1 + 2 <= kBitsAfterRefill);
    final_ = take(1) != 0;
    switch (take(2)) {
    case kBlockStored:
        return storedHeader();
    case kBlockFixed: {
        const std::uint8_t *lengths = kFixedLengths.data();
        if (!buildHuffmanTable(lengths, kLitlenSymbols, kLitBits, lit_.data(), lit_.size()) ||
            !buildHuffmanTable(lengths + kLitlenSymbols, kDistSymbols, kDistBits, dist_.data(),
                               dist_.size()))
            return Step::Failed;
        state_ = State::Codes;
        return Step::Ok;
    }
    case kBlockDynamic:
        return dynamicTables();
    default:
        return Step::Failed;
    }
}

Deflate64Decoder::Step Deflate64Decoder::storedHeader() {
    // Stored data starts on a byte boundary: the bits up to it are padding,
    // whole bytes still in the bit buffer go back to the input.
    drop(count_ & 7u);
    const unsigned whole = count_ >> 3;
    if (overread_ > whole)
        return Step::Failed;
    ip_ -= whole - overread_;
    bits_ = 0;
    count_ = overread_ = 0;
    if (available() < 4)
        return Step::Failed;
    const std::uint16_t len = le16(in_.get() + ip_);
    const std::uint16_t nlen = le16(in_.get() + ip_ + 2);
    if (len != static_cast<std::uint16_t>(~nlen))
        return Step::Failed;
    ip_ += 4;
    storedLeft_ = len;
    state_ = State::Stored;
    return Step::Ok;
}

Deflate64Decoder::Step Deflate64Decoder::dynamicTables() {
    refill();
    static_assert(kLitlenCountBits + kDistCountBits + kPrecodeCountBits <= kBitsAfterRefill);
    const unsigned litCount = take(kLitlenCountBits) + kFirstLengthSymbol;
    const unsigned distCount = take(kDistCountBits) + 1;
    const unsigned preCount = take(kPrecodeCountBits) + 4;
    if (litCount > kMaxLitlenCodes)
        return Step::Failed;
    std::uint8_t lengths[kMaxSymbols] = {};
    for (unsigned i = 0; i < preCount; ++i) {
        static_assert(kPrecodeLengthBits <= kBitsAfterRefill);
        if (count_ < kPrecodeLengthBits)
            refill();
        lengths[kPrecodeOrder[i]] = static_cast<std::uint8_t>(take(kPrecodeLengthBits));
    }
    if (!buildHuffmanTable(lengths, kPrecodeSymbols, kPreBits, pre_.data(), pre_.size()))
        return Step::Failed;
    const unsigned total = litCount + distCount;
    std::fill(lengths, lengths + kPrecodeSymbols, 0);
    // What one code length takes at most: a precode codeword and a repeat's
    // extra bits.
    constexpr unsigned kLengthStepBits = 16;
    static_assert(kMaxPrecodeLength + kMaxRepeatExtraBits <= kLengthStepBits);
    static_assert(kLengthStepBits <= kBitsAfterRefill);
    for (unsigned i = 0; i < total;) {
        if (count_ < kLengthStepBits)
            refill();
        const int sym = decode(pre_, kPreBits);
        if (sym < 0)
            return Step::Failed;
        if (sym < static_cast<int>(kRepeatPrevious)) {
            lengths[i++] = static_cast<std::uint8_t>(sym);
            continue;
        }
        std::uint8_t value = 0;
        unsigned repeat;
        if (sym == kRepeatPrevious) {
            if (i == 0)
                return Step::Failed;
            value = lengths[i - 1];
            repeat = 3 + take(2);
        } else if (sym == kRepeatZero) {
            repeat = 3 + take(3);
        } else {
            static_assert(kRepeatZeroLong == kPrecodeSymbols - 1);
            repeat = 11 + take(kMaxRepeatExtraBits);
        }
        if (repeat > total - i)
            return Step::Failed;
        std::fill(lengths + i, lengths + i + repeat, value);
        i += repeat;
    }
    if (overran() || lengths[kEndOfBlock] == 0) // no end-of-block code: the block could never end
        return Step::Failed;
    if (!buildHuffmanTable(lengths, litCount, kLitBits, lit_.data(), lit_.size()) ||
        !buildHuffmanTable(lengths + litCount, distCount, kDistBits, dist_.data(), dist_.size()))
        return Step::Failed;
    state_ = State::Codes;
    return Step::Ok;
}

Deflate64Decoder::Step Deflate64Decoder::stored() {
    while (storedLeft_ > 0 && pos_ < kOutSize) {
        if (available() == 0)
            return complete_ ? Step::Failed : Step::Starved;
        const std::size_t n = std::min({std::size_t{storedLeft_}, available(), kOutSize - pos_});
        std::memcpy(window_.get() + pos_, in_.get() + ip_, n);
        pos_ += n;
        ip_ += n;
        storedLeft_ -= static_cast<std::uint32_t>(n);
    }
    if (storedLeft_ == 0)
        state_ = final_ ? State::Done : State::Header;
    return Step::Ok;
}

Deflate64Decoder::Step Deflate64Decoder::codes() {
    std::uint8_t *const w = window_.get();
    while (pos_ + kMaxMatch <= kOutSize) {
        if (starved())
            return Step::Starved;
        if (overread_ != 0 && overran())
            return Step::Failed;
        // A symbol and a length's extra bits, then a distance code and its
        // extra bits: 60 bits, more than one refill promises.
        refill();
        static_assert(kMaxCodewordLength + kMaxLengthExtraBits <= kBitsAfterRefill);
        static_assert(kMaxCodewordLength + kMaxDistExtraBits <= kBitsAfterRefill);
        const int sym = decode(lit_, kLitBits);
        if (sym < 0)
            return Step::Failed;
        if (sym < static_cast<int>(kEndOfBlock)) {
            w[pos_++] = static_cast<std::uint8_t>(sym);
            continue;
        }
        if (sym == kEndOfBlock) {
            state_ = final_ ? State::Done : State::Header;
            return overran() ? Step::Failed : Step::Ok;
        }
        const unsigned code = static_cast<unsigned>(sym) - kFirstLengthSymbol;
        if (code >= kLengthSymbols)
            return Step::Failed; // 286 and 287 exist only in the fixed code
        const std::size_t length = kDeflate64LengthBase[code] + take(kDeflate64LengthExtra[code]);
        refill();
        const int d = decode(dist_, kDistBits);
        if (d < 0)
            return Step::Failed;
        const std::size_t distance = kDistBase[d] + take(kDistExtra[d]);
        if (distance > pos_)
            return Step::Failed; // before the start of the data
        std::uint8_t *dst = w + pos_;
        const std::uint8_t *src = dst - distance;
        if (distance >= 8) {
            // Each word's source lies wholly before its destination.
            for (std::size_t i = 0; i < length; i += 8)
                std::memcpy(dst + i, src + i, 8);
        } else if (distance == 1) {
            std::memset(dst, *src, length);
        } else {
            for (std::size_t i = 0; i < length; ++i)
                dst[i] = src[i];
        }
        pos_ += length;
    }
    return Step::Ok;
}

Error Deflate64Decoder::trailing() const {
    // Whole bytes left after the end of the stream are not ours to ignore.
    if (overran())
        return Error::Corrupted;
    const std::size_t unused = available() + (count_ >> 3) - overread_;
    return unused == 0 ? Error::Ok : Error::Corrupted;
}

} // namespace

std::unique_ptr<Decoder> makeDeflate64Decoder() {
    return std::make_unique<Deflate64Decoder>();
}

} // namespace zipformat::detail
