#include "decoder.h"

#include "deflate64.h"

#include "zipformat/records.h"

#include <algorithm>
#include <bzlib.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <isa-l/igzip_lib.h>
#include <lzma.h>
#include <zstd.h>
#include <zstd_errors.h>

namespace zipformat::detail {
namespace {

// Every library takes at most an unsigned int per call.
constexpr std::size_t kChunk = UINT_MAX / 2;
// The most an LZMA or xz decoder may hold for its dictionary: the header
// names the size, and a hostile one asks for gigabytes in a few bytes.
constexpr std::uint64_t kLzmaMemLimit = std::uint64_t{512} << 20;

// Moves the caller's input past what a step read and its output past what
// the step wrote.
void advance(const std::uint8_t *&in, std::size_t &inSize, std::size_t used, std::uint8_t *&out,
             std::size_t &outSize, std::size_t made) {
    in += used;
    inSize -= used;
    out += made;
    outSize -= made;
}

// ISA-L's inflate streams at about twice zlib's speed, on par with
// libdeflate's whole-buffer pass, while holding only its own state.
class InflateDecoder final : public Decoder {
public:
    Error start() {
        isal_inflate_init(&s_);
        s_.crc_flag = ISAL_DEFLATE; // raw deflate; the reader checks the CRC
        return Error::Ok;
    }
    Error run(const std::uint8_t *&in, std::size_t &inSize, bool, std::uint8_t *&out,
              std::size_t &outSize, bool &finished) override {
        std::size_t inTake = std::min(inSize, kChunk), outTake = std::min(outSize, kChunk);
        s_.next_in = const_cast<std::uint8_t *>(in);
        s_.avail_in = static_cast<std::uint32_t>(inTake);
        s_.next_out = out;
        s_.avail_out = static_cast<std::uint32_t>(outTake);
        int rc = isal_inflate(&s_);
        // After an error (an invalid distance, say) ISA-L can leave its
        // counters wrapped, avail_in at 0xffffffff; taking them at their word
        // would move the caller's pointers gigabytes away.
        if (s_.avail_in > inTake || s_.avail_out > outTake)
            return Error::Corrupted;
        std::size_t used = inTake - s_.avail_in, made = outTake - s_.avail_out;
        if (rc == ISAL_DECOMP_OK && s_.block_state == ISAL_BLOCK_FINISH) {
            finished = true;
            // ISA-L reads up to 8 bytes ahead into its bit buffer; whole
            // bytes still there lie past the end of the stream and are handed
            // back, so the caller sees them as trailing data.
            const auto ahead = static_cast<std::size_t>(s_.read_in_length / 8);
            if (ahead > used)
                return Error::Corrupted; // trailing bytes from an earlier buffer
            used -= ahead;
        }
        advance(in, inSize, used, out, outSize, made);
        return rc == ISAL_DECOMP_OK ? Error::Ok : Error::Corrupted;
    }

private:
    inflate_state s_{};
};

class Bzip2Decoder final : public Decoder {
public:
    ~Bzip2Decoder() override {
        if (ready_)
            BZ2_bzDecompressEnd(&b_);
    }
    Error start() {
        if (BZ2_bzDecompressInit(&b_, 0, 0) != BZ_OK)
            return Error::NoMemory;
        ready_ = true;
        return Error::Ok;
    }
    Error run(const std::uint8_t *&in, std::size_t &inSize, bool, std::uint8_t *&out,
              std::size_t &outSize, bool &finished) override {
        std::size_t inTake = std::min(inSize, kChunk), outTake = std::min(outSize, kChunk);
        b_.next_in = reinterpret_cast<char *>(const_cast<std::uint8_t *>(in));
        b_.avail_in = static_cast<unsigned>(inTake);
        b_.next_out = reinterpret_cast<char *>(out);
        b_.avail_out = static_cast<unsigned>(outTake);
        int rc = BZ2_bzDecompress(&b_);
        std::size_t used = inTake - b_.avail_in, made = outTake - b_.avail_out;
        advance(in, inSize, used, out, outSize, made);
        if (rc == BZ_STREAM_END) {
            finished = true;
            return Error::Ok;
        }
        if (rc == BZ_OK)
            return Error::Ok;
        return rc == BZ_MEM_ERROR ? Error::NoMemory : Error::Corrupted;
    }

private:
    bz_stream b_{};
    bool ready_ = false;
};

// Shared by xz (method 95) and the raw LZMA1 of method 14.
class LzmaDecoder final : public Decoder {
public:
    ~LzmaDecoder() override { lzma_end(&s_); }
    Error startXz() {
        // xz headers name their dictionary; a limit keeps a hostile one from
        // taking what the machine has.
        return map(lzma_stream_decoder(&s_, kLzmaMemLimit, 0));
    }
    // Method 14 starts with a 4-byte header (version, properties size) and
    // the 5 LZMA properties; they arrive with the data, so the decoder is
    // created once 9 bytes are in.
    void startRawLater(std::uint64_t uncompressedSize) {
        raw_ = true;
        expected_ = uncompressedSize;
    }
    Error run(const std::uint8_t *&in, std::size_t &inSize, bool inputEnd, std::uint8_t *&out,
              std::size_t &outSize, bool &finished) override {
        if (raw_ && !started_) {
            while (headerHave_ < sizeof header_ && inSize > 0) {
                header_[headerHave_++] = *in++;
                --inSize;
            }
            if (headerHave_ < sizeof header_)
                return inputEnd ? Error::Corrupted : Error::Ok;
            Error e = startRaw();
            if (e != Error::Ok)
                return e;
            started_ = true;
        }
        std::size_t inTake = inSize, outTake = outSize;
        s_.next_in = in;
        s_.avail_in = inTake;
        s_.next_out = out;
        s_.avail_out = outTake;
        lzma_ret rc = lzma_code(&s_, inputEnd ? LZMA_FINISH : LZMA_RUN);
        std::size_t used = inTake - s_.avail_in, made = outTake - s_.avail_out;
        advance(in, inSize, used, out, outSize, made);
        if (rc == LZMA_STREAM_END) {
            finished = true;
            return Error::Ok;
        }
        if (rc == LZMA_OK || rc == LZMA_BUF_ERROR)
            return Error::Ok;
        // A dictionary beyond our limit is a parameter of the method we do
        // not take on: that entry is passed over, the rest of the archive
        // goes on.
        if (rc == LZMA_MEMLIMIT_ERROR)
            return Error::UnsupportedMethod;
        return rc == LZMA_MEM_ERROR ? Error::NoMemory : Error::Corrupted;
    }

private:
    Error map(lzma_ret rc) {
        if (rc == LZMA_OK)
            return Error::Ok;
        return rc == LZMA_MEM_ERROR ? Error::NoMemory : Error::Corrupted;
    }
    Error startRaw() {
        if (le16(header_ + 2) != 5)
            return Error::Corrupted;
        lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
        if (lzma_properties_decode(&filters[0], nullptr, header_ + 4, 5) != LZMA_OK)
            return Error::Corrupted;
        auto *opt = static_cast<lzma_options_lzma *>(filters[0].options);
        // A dictionary larger than the whole output is never used; shrinking
        // it stops a 39-byte entry from asking for gigabytes.
        std::uint64_t want = std::max<std::uint64_t>(expected_, LZMA_DICT_SIZE_MIN);
        if (opt->dict_size > want)
            opt->dict_size = static_cast<std::uint32_t>(want);
        // What is left is allocated up front; an entry claiming gigabytes
        // of output does not get a dictionary that size on its word. It is
        // passed over like a method we cannot decode, not taken as the
        // machine running out of memory, which would end the whole run.
        if (opt->dict_size > kLzmaMemLimit) {
            std::free(opt);
            return Error::UnsupportedMethod;
        }
        // The size is known from the directory, so the decoder can stop at
        // it whether or not the writer put an end marker.
        filters[0].id = LZMA_FILTER_LZMA1EXT;
        opt->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
        opt->ext_size_low = static_cast<std::uint32_t>(expected_);
        opt->ext_size_high = static_cast<std::uint32_t>(expected_ >> 32);
        Error e = map(lzma_raw_decoder(&s_, filters));
        std::free(opt);
        return e;
    }

    lzma_stream s_ = LZMA_STREAM_INIT;
    bool raw_ = false, started_ = false;
    std::uint64_t expected_ = 0;
    std::uint8_t header_[9] = {};
    std::size_t headerHave_ = 0;
};

class ZstdDecoder final : public Decoder {
public:
    ~ZstdDecoder() override { ZSTD_freeDCtx(d_); }
    Error start() {
        d_ = ZSTD_createDCtx();
        if (d_ == nullptr)
            return Error::NoMemory;
        // 2^27 is zstd's own default ceiling; frames asking for more are
        // refused instead of allocated.
        ZSTD_DCtx_setParameter(d_, ZSTD_d_windowLogMax, 27);
        return Error::Ok;
    }
    Error run(const std::uint8_t *&in, std::size_t &inSize, bool inputEnd, std::uint8_t *&out,
              std::size_t &outSize, bool &finished) override {
        ZSTD_inBuffer ib{in, inSize, 0};
        ZSTD_outBuffer ob{out, outSize, 0};
        std::size_t rc = ZSTD_decompressStream(d_, &ob, &ib);
        advance(in, inSize, ib.pos, out, outSize, ob.pos);
        if (ZSTD_isError(rc))
            return ZSTD_getErrorCode(rc) == ZSTD_error_memory_allocation ? Error::NoMemory
                                                                         : Error::Corrupted;
        if (rc == 0 && inSize == 0 && inputEnd)
            finished = true;
        return Error::Ok;
    }

private:
    ZSTD_DCtx *d_ = nullptr;
};

class StoredDecoder final : public Decoder {
public:
    Error run(const std::uint8_t *&in, std::size_t &inSize, bool inputEnd, std::uint8_t *&out,
              std::size_t &outSize, bool &finished) override {
        std::size_t n = std::min(inSize, outSize);
        std::memcpy(out, in, n);
        advance(in, inSize, n, out, outSize, n);
        finished = inputEnd && inSize == 0;
        return Error::Ok;
    }
};

template <class D> std::unique_ptr<Decoder> started(std::unique_ptr<D> d, Error &err) {
    err = d->start();
    if (err != Error::Ok)
        return nullptr;
    return d;
}

} // namespace

std::unique_ptr<Decoder> makeDecoder(std::uint16_t method, std::uint64_t uncompressedSize,
                                     Error &err) {
    err = Error::Ok;
    switch (method) {
    case kMethodStored:
        return std::make_unique<StoredDecoder>();
    case kMethodDeflate:
        return started(std::make_unique<InflateDecoder>(), err);
    case kMethodDeflate64:
        return makeDeflate64Decoder();
    case kMethodBzip2:
        return started(std::make_unique<Bzip2Decoder>(), err);
    case kMethodZstd:
        return started(std::make_unique<ZstdDecoder>(), err);
    case kMethodXz: {
        auto d = std::make_unique<LzmaDecoder>();
        err = d->startXz();
        if (err != Error::Ok)
            return nullptr;
        return d;
    }
    case kMethodLzma: {
        auto d = std::make_unique<LzmaDecoder>();
        d->startRawLater(uncompressedSize);
        return d;
    }
    default:
        err = Error::UnsupportedMethod;
        return nullptr;
    }
}

} // namespace zipformat::detail
