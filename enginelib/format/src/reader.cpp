#include "zipformat/reader.h"

#include "decoder.h"
#include "zipformat/aes.h"
#include "zipformat/aes_cipher.h"
#include "zipformat/crc32.h"
#include "zipformat/pkcrypt.h"
#include "zipformat/records.h"

#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <new>
#include <vector>

namespace zipformat {
namespace {

// Large deflated entries stream through these buffers: big enough that
// ISA-L runs at full speed and a progress or abort check comes every
// megabyte, small enough that memory stays flat whatever the entry's size.
constexpr std::size_t kStreamBuffer = std::size_t{1} << 20;
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
    std::uint64_t pos = 0;    // first byte of compressed data (after any crypt header)
    std::uint64_t size = 0;   // compressed bytes after any crypt header
    std::uint16_t method = 0; // of the data: for AES entries the one inside
    bool checkCrc = true;
    bool encrypted = false; // traditional encryption
    PkKeys keys;
    std::unique_ptr<AesCipher> aes;
    std::uint64_t macPos = 0; // AES: where the authentication code lies
};

// The AES field normally sits in both headers; some writers put it only in
// the local one.
bool aesFieldOf(const Archive &archive, const Entry &e, const EntryLocation &loc, AesField &f) {
    if (findAesField(e.extra, f))
        return true;
    std::string local(loc.localExtraSize, '\0');
    const std::uint64_t at = loc.headerPos + kLocalHeaderSize + loc.localNameSize;
    return archive.source().readAt(at, local.data(), local.size()) && findAesField(local, f);
}

Error prepareAes(const Archive &archive, const Entry &e, std::string_view password, Prepared &p) {
    AesField f;
    if (!aesFieldOf(archive, e, p.loc, f) || (f.version != 1 && f.version != 2))
        return Error::UnsupportedCrypto;
    if (f.method == kMethodAes || !methodSupported(f.method))
        return Error::UnsupportedMethod;
    p.method = f.method;
    p.checkCrc = f.version == 1;
    const std::size_t saltSize = aesSaltSize(f.strength);
    if (p.size < saltSize + kAesVerifierSize + kAesMacSize)
        return Error::Corrupted;
    if (password.empty())
        return Error::NeedPassword;
    std::uint8_t head[16 + kAesVerifierSize];
    if (!archive.source().readAt(p.pos, head, saltSize + kAesVerifierSize))
        return Error::Corrupted;
    p.aes = std::make_unique<AesCipher>();
    std::uint8_t verifier[kAesVerifierSize];
    if (!p.aes->init(f.strength, password, head, verifier) ||
        std::memcmp(verifier, head + saltSize, kAesVerifierSize) != 0)
        return Error::BadPassword;
    p.pos += saltSize + kAesVerifierSize;
    p.size -= saltSize + kAesVerifierSize + kAesMacSize;
    p.macPos = p.pos + p.size;
    return Error::Ok;
}

Error prepare(const Archive &archive, const Entry &e, std::string_view password, Prepared &p) {
    if (e.flags & kFlagStrongCrypto)
        return Error::UnsupportedCrypto;
    if (!isAes(e) && !methodSupported(e.method))
        return Error::UnsupportedMethod;
    Error err = archive.locate(e, p.loc);
    if (err != Error::Ok)
        return err;
    p.pos = p.loc.dataPos;
    p.size = e.compressedSize;
    p.method = e.method;
    if (isAes(e))
        return prepareAes(archive, e, password, p);
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
        if (p_.aes)
            p_.aes->decrypt(buf, n);
        else if (p_.encrypted)
            p_.keys.decrypt(buf, n);
        p_.pos += n;
        left_ -= n;
        return true;
    }
    // AES: runs what the decoder left unread through the authentication
    // code and compares it with the stored one.
    bool authentic() {
        std::uint8_t buf[1 << 14];
        while (left_ > 0) {
            auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left_, sizeof buf));
            if (!src_.readAt(p_.pos, buf, n))
                return false;
            p_.aes->authenticate(buf, n);
            p_.pos += n;
            left_ -= n;
        }
        std::uint8_t stored[kAesMacSize];
        return src_.readAt(p_.macPos, stored, sizeof stored) && p_.aes->verify(stored);
    }

private:
    const Source &src_;
    Prepared &p_;
    std::uint64_t left_;
};

class Output {
public:
    Output(OutputSink &sink, std::uint64_t expected, bool checkCrc)
        : sink_(sink), expected_(expected), checkCrc_(checkCrc) {}
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
        return (!checkCrc_ || crc_ == crc) ? Error::Ok : Error::BadCrc;
    }

private:
    OutputSink &sink_;
    std::uint64_t expected_;
    bool checkCrc_;
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

Error readStreamed(Input &in, Output &out, const Entry &e, std::uint16_t method) {
    Error err = Error::Ok;
    auto decoder = detail::makeDecoder(method, e.uncompressedSize, err);
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
    case kMethodDeflate64:
    case kMethodBzip2:
    case kMethodLzma:
    case kMethodZstd:
    case kMethodXz:
        return true;
    default:
        return false;
    }
}

Error checkEntry(const Archive &archive, const Entry &e, std::string_view password) noexcept {
    try {
        Prepared p;
        return prepare(archive, e, password, p);
    } catch (const std::bad_alloc &) {
        return Error::NoMemory;
    }
}

Error checkEntry(const Archive &archive, std::size_t index, std::string_view password) noexcept {
    if (index >= archive.size())
        return Error::BadLocalHeader;
    return checkEntry(archive, archive.entry(index), password);
}

Error readEntry(const Archive &archive, std::size_t index, OutputSink &sink,
                const ReadOptions &options) noexcept {
    if (index >= archive.size())
        return Error::BadLocalHeader;
    return readEntry(archive, archive.entry(index), sink, options);
}

Error readEntry(const Archive &archive, const Entry &e, OutputSink &sink,
                const ReadOptions &options) noexcept {
    try {
        Prepared p;
        Error err = prepare(archive, e, options.password, p);
        if (err != Error::Ok)
            return err;
        Input in(archive, p);
        Output out(sink, e.uncompressedSize, p.checkCrc);
        if (p.method == kMethodStored) {
            err = readStored(in, out, e);
        } else if (p.method == kMethodDeflate && p.size <= options.wholeBufferCap &&
                   e.uncompressedSize <= options.wholeBufferCap &&
                   e.uncompressedSize <= p.size * kMaxDeflateRatio + 64) {
            err = readWhole(in, out, e);
        } else {
            err = readStreamed(in, out, e, p.method);
        }
        scratch().trim();
        // The authentication code covers every stored byte: when it fails,
        // the data was altered, whatever the decoder made of it; when it
        // holds, a decoding failure is the writer's.
        if (p.aes && err != Error::Aborted && err != Error::DiskFull && err != Error::WriteFailed &&
            err != Error::NoMemory && !in.authentic())
            return Error::AuthFailed;
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
