#include "zipformat/reader.h"

#include "decoder.h"
#include "zipformat/crc32.h"
#include "zipformat/pkcrypt.h"
#include "zipformat/records.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <libdeflate.h>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zipformat {
namespace {

constexpr std::size_t kStreamBuffer = std::size_t{256} << 10;
// Deflate cannot expand beyond about 1032:1; a directory claiming more is
// lying, and nothing is allocated on its word.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor *d) const noexcept { libdeflate_free_decompressor(d); }
};

libdeflate_decompressor *threadDecompressor() {
    thread_local std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> d(
        libdeflate_alloc_decompressor());
    return d.get();
}

// Scratch buffers reused across entries of one thread, so thousands of small
// entries do not each pay for fresh allocations; released when they grew
// past the streaming size, so one large entry does not pin its memory.
struct Scratch {
    std::vector<std::uint8_t> in, out;
    void trim() {
        if (in.capacity() > 4 * kStreamBuffer)
            std::vector<std::uint8_t>().swap(in);
        if (out.capacity() > 4 * kStreamBuffer)
            std::vector<std::uint8_t>().swap(out);
    }
};

Scratch &scratch() {
    thread_local Scratch s;
    return s;
}

// Where an entry's bytes are and how to decrypt them.
struct Prepared {
    EntryLocation loc;
    std::uint64_t pos = 0;  // first byte of compressed data (after any crypt header)
    std::uint64_t size = 0; // compressed bytes after any crypt header
    bool encrypted = false;
    PkKeys keys;
};

Error prepare(const Archive &archive, std::size_t index, std::string_view password, Prepared &p) {
    const Entry &e = archive.entry(index);
    if (index >= archive.size())
        return Error::BadLocalHeader;
    if ((e.flags & kFlagStrongCrypto) || e.method == kMethodAes)
        return Error::UnsupportedCrypto;
    if (!methodSupported(e.method))
        return Error::UnsupportedMethod;
    Error err = archive.locate(index, p.loc);
    if (err != Error::Ok)
        return err;
    p.pos = p.loc.dataPos;
    p.size = e.compressedSize;
    p.encrypted = e.isEncrypted();
    if (!p.encrypted)
        return Error::Ok;
    if (p.size < kCryptHeaderSize)
        return Error::Corrupted;
    if (password.empty())
        return Error::NeedPassword;
    std::uint8_t header[kCryptHeaderSize];
    if (!archive.source().readAt(p.pos, header, sizeof header))
        return Error::Corrupted;
    p.keys.init(password);
    // Info-ZIP checks the time byte for streamed entries; the local flags are
    // what the writer used.
    std::uint16_t flags =
        static_cast<std::uint16_t>(e.flags | (p.loc.localFlags & kFlagDescriptor));
    if (!cryptCheckHeader(p.keys, header, cryptCheckByte(flags, e.crc, e.dosTime))) {
        // Some writers set the descriptor bit yet check against the CRC.
        PkKeys again(password);
        std::uint8_t copy[kCryptHeaderSize];
        archive.source().readAt(p.pos, copy, sizeof copy);
        if (!cryptCheckHeader(again, copy, static_cast<std::uint8_t>(e.crc >> 24)))
            return Error::BadPassword;
        p.keys = again;
    }
    p.pos += kCryptHeaderSize;
    p.size -= kCryptHeaderSize;
    return Error::Ok;
}

// Compressed input read in chunks, decrypted on the way.
class Input {
public:
    Input(const Archive &a, Prepared &p) : src_(a.source()), p_(p), left_(p.size) {}
    std::uint64_t left() const { return left_; }
    bool read(std::uint8_t *buf, std::size_t n) {
        if (!src_.readAt(p_.pos, buf, n))
            return false;
        if (p_.encrypted)
            p_.keys.decrypt(buf, n);
        p_.pos += n;
        left_ -= n;
        return true;
    }

private:
    const Source &src_;
    Prepared &p_;
    std::uint64_t left_;
};

class Output {
public:
    Output(OutputSink &sink, std::uint64_t expected) : sink_(sink), expected_(expected) {}
    Error put(const std::uint8_t *data, std::size_t n) {
        if (n > expected_ - total_)
            return Error::Corrupted; // more data than the directory declared
        crc_ = crc32(crc_, data, n);
        total_ += n;
        return sink_.write(data, n);
    }
    Error finish(std::uint32_t crc) const {
        if (total_ != expected_)
            return Error::Corrupted;
        return crc_ == crc ? Error::Ok : Error::BadCrc;
    }

private:
    OutputSink &sink_;
    std::uint64_t expected_;
    std::uint64_t total_ = 0;
    std::uint32_t crc_ = 0;
};

Error readStored(Input &in, Output &out, const Entry &e) {
    if (in.left() != e.uncompressedSize)
        return Error::Corrupted;
    std::vector<std::uint8_t> &buf = scratch().in;
    buf.resize(static_cast<std::size_t>(std::min<std::uint64_t>(in.left(), kStreamBuffer)));
    while (in.left() > 0) {
        auto n = static_cast<std::size_t>(std::min<std::uint64_t>(in.left(), buf.size()));
        if (!in.read(buf.data(), n))
            return Error::Corrupted;
        Error err = out.put(buf.data(), n);
        if (err != Error::Ok)
            return err;
    }
    return out.finish(e.crc);
}

Error readWhole(Input &in, Output &out, const Entry &e) {
    Scratch &s = scratch();
    s.in.resize(static_cast<std::size_t>(in.left()));
    s.out.resize(static_cast<std::size_t>(e.uncompressedSize));
    if (!in.read(s.in.data(), s.in.size()))
        return Error::Corrupted;
    libdeflate_decompressor *d = threadDecompressor();
    if (d == nullptr)
        return Error::NoMemory;
    std::size_t usedIn = 0, made = 0;
    libdeflate_result rc = libdeflate_deflate_decompress_ex(
        d, s.in.data(), s.in.size(), s.out.data(), s.out.size(), &usedIn, &made);
    if (rc != LIBDEFLATE_SUCCESS || made != s.out.size() || usedIn != s.in.size())
        return Error::Corrupted;
    Error err = out.put(s.out.data(), made);
    if (err != Error::Ok)
        return err;
    return out.finish(e.crc);
}

// A read-only view of part of the archive, paged in as the decoder reads.
class MappedRange {
public:
    ~MappedRange() {
        if (base_ != nullptr)
            munmap(base_, length_);
    }
    bool map(int fd, std::uint64_t pos, std::uint64_t size) {
        const std::uint64_t page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
        const std::uint64_t start = pos - pos % page;
        length_ = static_cast<std::size_t>(size + (pos - start));
        void *b = mmap(nullptr, length_, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(start));
        if (b == MAP_FAILED)
            return false;
        base_ = b;
        madvise(base_, length_, MADV_SEQUENTIAL);
        data_ = static_cast<const std::uint8_t *>(base_) + (pos - start);
        return true;
    }
    const std::uint8_t *data() const { return data_; }

private:
    void *base_ = nullptr;
    std::size_t length_ = 0;
    const std::uint8_t *data_ = nullptr;
};

// Decodes a deflated entry in one call, from the mapped archive straight
// into the sink's mapped output. `handled` stays false when either side
// cannot be mapped; the caller then streams.
Error readMapped(const Archive &archive, const Prepared &p, OutputSink &sink, const Entry &e,
                 bool &handled) {
    handled = false;
    MappedRange in;
    if (p.size == 0 || !in.map(archive.source().fd(), p.pos, p.size))
        return Error::Ok;
    std::uint8_t *out = sink.mapOutput(e.uncompressedSize);
    if (out == nullptr)
        return Error::Ok;
    handled = true;
    libdeflate_decompressor *d = threadDecompressor();
    if (d == nullptr)
        return sink.unmapOutput(0, Error::NoMemory);
    std::size_t usedIn = 0, made = 0;
    const auto size = static_cast<std::size_t>(e.uncompressedSize);
    libdeflate_result rc = libdeflate_deflate_decompress_ex(
        d, in.data(), static_cast<std::size_t>(p.size), out, size, &usedIn, &made);
    Error result = Error::Ok;
    if (rc != LIBDEFLATE_SUCCESS || made != size || usedIn != p.size)
        result = Error::Corrupted;
    else if (crc32(0, out, size) != e.crc)
        result = Error::BadCrc;
    return sink.unmapOutput(result == Error::Ok ? size : 0, result);
}

// Decodes a deflated entry in one libdeflate call when nobody needs the
// data, only its check: the output goes to an address range that never
// holds more than a window of it. A helper thread follows the decoder (the
// pages it has touched, as mincore() tells), checksums the pages well behind
// it and hands them back to the kernel. Deflate refers back at most 32 KiB,
// so pages megabytes behind the decoder are final and never read again.
Error readWindowed(const Archive &archive, const Prepared &p, const Entry &e, std::uint32_t &crc,
                   bool &handled) {
    handled = false;
    MappedRange in;
    if (p.size == 0 || !in.map(archive.source().fd(), p.pos, p.size))
        return Error::Ok;
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const auto size = static_cast<std::size_t>(e.uncompressedSize);
    const std::size_t length = (size + page - 1) / page * page;
    void *region = mmap(nullptr, length, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region == MAP_FAILED)
        return Error::Ok;
    // Huge pages would make whole 2 MiB steps resident at the first touch.
    madvise(region, length, MADV_NOHUGEPAGE);
    auto *base = static_cast<std::uint8_t *>(region);
    libdeflate_decompressor *d = threadDecompressor();
    if (d == nullptr) {
        munmap(region, length);
        return Error::Ok;
    }
    handled = true;
    constexpr std::size_t kMargin = std::size_t{8} << 20;
    constexpr std::size_t kProbe = std::size_t{4} << 20;
    std::atomic<bool> done{false};
    std::size_t checked = 0; // the helper's until joined
    crc = 0;
    std::thread helper([&] {
        std::vector<unsigned char> resident(kProbe / page);
        while (!done.load(std::memory_order_acquire)) {
            // The frontier: the end of the touched pages after `checked`.
            std::size_t frontier = checked;
            while (frontier < length) {
                std::size_t span = std::min(kProbe, length - frontier);
                if (mincore(base + frontier, span, resident.data()) != 0)
                    break;
                std::size_t n = 0;
                while (n < span / page && (resident[n] & 1))
                    ++n;
                frontier += n * page;
                if (n < span / page)
                    break;
            }
            if (frontier >= checked + kMargin + kProbe) {
                std::size_t upto = frontier - kMargin;
                crc = crc32(crc, base + checked, upto - checked);
                madvise(base + checked, upto - checked, MADV_DONTNEED);
                checked = upto;
            } else {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        }
    });
    std::size_t usedIn = 0, made = 0;
    libdeflate_result rc = libdeflate_deflate_decompress_ex(
        d, in.data(), static_cast<std::size_t>(p.size), base, size, &usedIn, &made);
    done.store(true, std::memory_order_release);
    helper.join();
    Error result = Error::Ok;
    if (rc != LIBDEFLATE_SUCCESS || made != size || usedIn != p.size)
        result = Error::Corrupted;
    else
        crc = crc32(crc, base + checked, size - checked);
    munmap(region, length);
    return result;
}

Error readStreamed(Input &in, Output &out, const Entry &e) {
    Error err = Error::Ok;
    auto decoder = detail::makeDecoder(e.method, e.uncompressedSize, err);
    if (!decoder)
        return err;
    Scratch &s = scratch();
    s.in.resize(kStreamBuffer);
    s.out.resize(kStreamBuffer);
    const std::uint8_t *next = s.in.data();
    std::size_t have = 0;
    bool finished = false;
    while (!finished) {
        if (have == 0 && in.left() > 0) {
            auto n = static_cast<std::size_t>(std::min<std::uint64_t>(in.left(), s.in.size()));
            if (!in.read(s.in.data(), n))
                return Error::Corrupted;
            next = s.in.data();
            have = n;
        }
        const bool inputEnd = in.left() == 0;
        const std::uint8_t *before = next;
        std::uint8_t *dst = s.out.data();
        std::size_t room = s.out.size();
        err = decoder->run(next, have, inputEnd, dst, room, finished);
        std::size_t made = s.out.size() - room;
        if (made > 0) {
            Error w = out.put(s.out.data(), made);
            if (w != Error::Ok)
                return w;
        }
        if (err != Error::Ok)
            return err;
        if (!finished && made == 0 && next == before) {
            // No progress with all input given: the stream is cut short,
            // unless everything declared has arrived (streams without an
            // end marker); out.finish() tells which.
            if (inputEnd)
                break;
            if (have > 0)
                return Error::Corrupted;
        }
    }
    if (finished && (have > 0 || in.left() > 0))
        return Error::Corrupted; // bytes after the end of the compressed stream
    return out.finish(e.crc);
}

} // namespace

bool methodSupported(std::uint16_t method) noexcept {
    switch (method) {
    case kMethodStored:
    case kMethodDeflate:
    case kMethodBzip2:
    case kMethodLzma:
    case kMethodZstd:
    case kMethodXz:
        return true;
    default:
        return false;
    }
}

Error checkEntry(const Archive &archive, std::size_t index, std::string_view password) noexcept {
    Prepared p;
    return prepare(archive, index, password, p);
}

Error readEntry(const Archive &archive, std::size_t index, OutputSink &sink,
                const ReadOptions &options) noexcept {
    try {
        Prepared p;
        Error err = prepare(archive, index, options.password, p);
        if (err != Error::Ok)
            return err;
        const Entry &e = archive.entry(index);
        Input in(archive, p);
        Output out(sink, e.uncompressedSize);
        if (e.method == kMethodStored) {
            err = readStored(in, out, e);
        } else if (e.method == kMethodDeflate && p.size <= options.wholeBufferCap &&
                   e.uncompressedSize <= options.wholeBufferCap &&
                   e.uncompressedSize <= p.size * kMaxDeflateRatio + 64) {
            err = readWhole(in, out, e);
        } else {
            bool handled = false;
            const bool whole = e.method == kMethodDeflate && !p.encrypted &&
                               e.uncompressedSize <= options.mappedCap &&
                               e.uncompressedSize <= p.size * kMaxDeflateRatio + 64;
            if (whole && !sink.needsData()) {
                std::uint32_t crc = 0;
                err = readWindowed(archive, p, e, crc, handled);
                if (handled && err == Error::Ok)
                    err = crc == e.crc ? sink.verified(e.uncompressedSize) : Error::BadCrc;
            } else if (whole) {
                err = readMapped(archive, p, sink, e, handled);
            }
            if (!handled)
                err = readStreamed(in, out, e);
        }
        scratch().trim();
        return err;
    } catch (const std::bad_alloc &) {
        scratch().trim();
        return Error::NoMemory;
    } catch (...) {
        return Error::Corrupted;
    }
}

Error copyRaw(const Archive &archive, std::uint64_t begin, std::uint64_t end,
              OutputSink &sink) noexcept {
    try {
        const Source &src = archive.source();
        if (end < begin || !src.contains(begin, end - begin))
            return Error::BadLocalHeader;
        std::vector<std::uint8_t> buf(
            static_cast<std::size_t>(std::min<std::uint64_t>(end - begin, kStreamBuffer)));
        while (begin < end) {
            auto n = static_cast<std::size_t>(std::min<std::uint64_t>(end - begin, buf.size()));
            if (!src.readAt(begin, buf.data(), n))
                return Error::NotAccessible;
            Error err = sink.write(buf.data(), n);
            if (err != Error::Ok)
                return err;
            begin += n;
        }
        return Error::Ok;
    } catch (const std::bad_alloc &) {
        return Error::NoMemory;
    }
}

} // namespace zipformat
