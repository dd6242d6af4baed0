#include "zipformat/scan.h"

#include "directory.h"
#include "extra.h"
#include "record_header.h"
#include "zipformat/names.h"
#include "zipformat/records.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <zlib.h>

namespace zipformat {
namespace {

constexpr std::size_t kWindow = std::size_t{64} * 1024;

// Position of the next `sig` at or after `from`, or the file size.
std::uint64_t findSignature(const Source &src, std::uint64_t from, std::uint32_t sig) {
    std::vector<std::uint8_t> buf(kWindow + 3);
    std::uint8_t want[4];
    put32(want, sig);
    while (from < src.size()) {
        auto n = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), src.size() - from));
        if (n < 4 || !src.readAt(from, buf.data(), n))
            break;
        auto it =
            std::search(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n), want, want + 4);
        if (it != buf.begin() + static_cast<std::ptrdiff_t>(n))
            return from + static_cast<std::uint64_t>(it - buf.begin());
        from += n - 3;
    }
    return src.size();
}

// Inflates from `pos` without keeping the output, to find where the stream
// ends. False when it does not end cleanly inside the file.
bool deflateEnd(const Source &src, std::uint64_t pos, std::uint64_t &end) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    std::vector<std::uint8_t> in(kWindow), out(kWindow);
    std::uint64_t at = pos;
    bool ok = false;
    for (;;) {
        if (z.avail_in == 0) {
            auto n = static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), src.size() - at));
            if (n == 0 || !src.readAt(at, in.data(), n))
                break;
            at += n;
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
        }
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            end = at - z.avail_in;
            ok = true;
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            break;
    }
    inflateEnd(&z);
    return ok;
}

} // namespace

Error LocalScanner::next(LocalRecord &out) noexcept {
    try {
        return step(out);
    } catch (...) {
        resync_ = true;
        return Error::NoMemory;
    }
}

Error LocalScanner::step(LocalRecord &out) {
    const std::uint64_t size = source_.size();
    std::uint8_t h[kLocalHeaderSize];
    detail::RecordHeader fixed;
    for (;;) {
        if (pos_ >= size || size - pos_ < kLocalHeaderSize)
            return Error::NotZip;
        if (!source_.readAt(pos_, h, sizeof h))
            return Error::NotAccessible;
        detail::Cursor c(h, sizeof h);
        if (!resync_ && detail::readRecordHeader(c, detail::HeaderKind::Local, fixed))
            break;
        // Junk between entries, or a header that failed: skip to the next
        // local header, unless the directory comes first.
        std::uint64_t from = resync_ ? pos_ + 1 : pos_;
        resync_ = false;
        std::uint64_t local = findSignature(source_, from, kSigLocal);
        std::uint64_t central = findSignature(source_, from, kSigCentral);
        if (local >= size || central < local)
            return Error::NotZip;
        pos_ = local;
    }
    out = LocalRecord{};
    out.headerPos = pos_;
    out.versionNeeded = fixed.versionNeeded;
    out.flags = fixed.flags;
    out.method = fixed.method;
    out.dosTime = fixed.dosTime;
    out.crc = fixed.crc;
    out.compressedSize = fixed.compressedSize;
    out.uncompressedSize = fixed.uncompressedSize;
    const std::uint16_t n = fixed.nameSize, m = fixed.extraSize;
    out.dataPos = pos_ + kLocalHeaderSize + n + m;
    resync_ = true; // until the record is complete
    if (out.dataPos > size)
        return Error::BadLocalHeader;
    out.rawName.resize(n);
    out.extra.resize(m);
    if (!source_.readAt(pos_ + kLocalHeaderSize, out.rawName.data(), n) ||
        !source_.readAt(pos_ + kLocalHeaderSize + n, out.extra.data(), m))
        return Error::BadLocalHeader;
    if (!detail::decodeName(out.rawName, out.extra, out.flags, out.name))
        out.name = out.rawName;
    bool wide = false;
    detail::Zip64Fields f{&out.uncompressedSize, &out.compressedSize, nullptr, nullptr};
    if (!detail::applyZip64(out.extra, f, wide))
        return Error::BadLocalHeader;
    detail::forEachExtra(
        out.extra, [&](std::uint16_t tag, std::string_view) { wide = wide || tag == kExtraZip64; });

    const bool descriptor = (out.flags & kFlagDescriptor) != 0;
    if (!descriptor || out.compressedSize != 0) {
        if (out.compressedSize > size - out.dataPos)
            return Error::BadLocalHeader;
        out.dataEnd = out.dataPos + out.compressedSize;
    } else if (out.method == kMethodDeflate && !(out.flags & kFlagEncrypted)) {
        if (!deflateEnd(source_, out.dataPos, out.dataEnd))
            return Error::BadLocalHeader;
    } else {
        // Look for a signed descriptor whose size field matches the distance.
        std::uint64_t at = out.dataPos;
        for (;;) {
            at = findSignature(source_, at, kSigDescriptor);
            if (at >= size)
                return Error::BadLocalHeader;
            std::uint8_t d[24];
            std::size_t need = wide ? 24 : 16;
            if (source_.readAt(at, d, need)) {
                std::uint64_t csize = wide ? le64(d + 8) : le32(d + 8);
                if (csize == at - out.dataPos)
                    break;
            }
            ++at;
        }
        out.dataEnd = at;
    }
    out.end = out.dataEnd;
    if (descriptor) {
        std::uint8_t d[24] = {};
        std::size_t sigSize = 0;
        if (source_.readAt(out.dataEnd, d, 4) && le32(d) == kSigDescriptor)
            sigSize = 4;
        std::size_t body = wide ? 20 : 12;
        if (source_.readAt(out.dataEnd + sigSize, d, body)) {
            std::uint32_t crc = le32(d);
            std::uint64_t csize = wide ? le64(d + 4) : le32(d + 4);
            std::uint64_t usize = wide ? le64(d + 12) : le32(d + 8);
            if (csize == out.dataEnd - out.dataPos) {
                out.crc = crc;
                out.compressedSize = csize;
                out.uncompressedSize = usize;
                out.fromDescriptor = true;
                out.end = out.dataEnd + sigSize + body;
            }
        }
    }
    if (!out.fromDescriptor)
        out.compressedSize = out.dataEnd - out.dataPos;
    pos_ = out.end;
    resync_ = false;
    return Error::Ok;
}

} // namespace zipformat
