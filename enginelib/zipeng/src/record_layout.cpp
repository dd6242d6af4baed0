#include "record_layout.h"

#include <algorithm>

namespace zipwrite {

void putLe16(std::string &out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void putLe32(std::string &out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putLe64(std::string &out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void patchLe32(std::string &out, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4 && at + i < out.size(); ++i)
        out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

namespace {

std::uint16_t clamp16(std::size_t n) {
    return static_cast<std::uint16_t>(std::min<std::size_t>(n, 0xFFFF));
}

std::uint32_t low32OrMark(std::uint64_t v) {
    return v >= zipformat::kZip64Limit ? zipformat::kZip64Limit : static_cast<std::uint32_t>(v);
}

} // namespace

std::string extendedTimestamp(std::time_t mtime) {
    std::string out;
    putLe16(out, zipformat::kExtraUnixTime);
    putLe16(out, 5);
    out.push_back(1); // modification time present
    // The field holds a signed 32-bit time; clamp rather than wrap.
    std::int64_t t = static_cast<std::int64_t>(mtime);
    t = std::clamp<std::int64_t>(t, INT32_MIN, INT32_MAX);
    putLe32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(t)));
    return out;
}

std::string centralHeader(const CentralRecord &rec) {
    std::string z64;
    if (rec.size >= zipformat::kZip64Limit)
        putLe64(z64, rec.size);
    if (rec.compressedSize >= zipformat::kZip64Limit)
        putLe64(z64, rec.compressedSize);
    if (rec.localOffset >= zipformat::kZip64Limit)
        putLe64(z64, rec.localOffset);
    if (rec.disk >= zipformat::kZip64Limit16)
        putLe32(z64, rec.disk);
    std::string extra;
    if (!z64.empty()) {
        putLe16(extra, zipformat::kExtraZip64);
        putLe16(extra, static_cast<std::uint16_t>(z64.size()));
        extra += z64;
    }
    extra += rec.extra;
    if (extra.size() > 0xFFFF)
        extra.resize(0xFFFF);

    std::string out;
    putLe32(out, zipformat::kSigCentral);
    putLe16(out, rec.madeBy);
    putLe16(out, z64.empty() ? rec.needed : std::max(rec.needed, zipformat::kVersionZip64));
    putLe16(out, rec.flags);
    putLe16(out, rec.method);
    putLe32(out, rec.dosTime);
    putLe32(out, rec.crc);
    putLe32(out, low32OrMark(rec.compressedSize));
    putLe32(out, low32OrMark(rec.size));
    putLe16(out, clamp16(rec.name.size()));
    putLe16(out, clamp16(extra.size()));
    putLe16(out, clamp16(rec.comment.size()));
    putLe16(out, static_cast<std::uint16_t>(
                     std::min<std::uint32_t>(rec.disk, zipformat::kZip64Limit16)));
    putLe16(out, rec.internalAttr);
    putLe32(out, rec.externalAttr);
    putLe32(out, low32OrMark(rec.localOffset));
    out.append(rec.name, 0, clamp16(rec.name.size()));
    out += extra;
    out.append(rec.comment, 0, clamp16(rec.comment.size()));
    return out;
}

CentralRecord centralRecordOf(const LocalFields &local, std::uint64_t localOffset) {
    CentralRecord rec;
    static_cast<HeaderFields &>(rec) = local;
    rec.name = *local.name;
    rec.localOffset = localOffset;
    rec.extra = local.extra;
    return rec;
}

LocalHeaderLayout localHeader(const LocalFields &f) {
    LocalHeaderLayout layout;
    std::string &out = layout.bytes;
    putLe32(out, zipformat::kSigLocal);
    putLe16(out, f.zip64 ? std::max(f.needed, zipformat::kVersionZip64) : f.needed);
    putLe16(out, f.flags);
    putLe16(out, f.method);
    putLe32(out, f.dosTime);
    putLe32(out, f.crc);
    putLe32(out, f.zip64 ? zipformat::kZip64Limit : static_cast<std::uint32_t>(f.compressedSize));
    putLe32(out, f.zip64 ? zipformat::kZip64Limit : static_cast<std::uint32_t>(f.size));
    const std::string &name = *f.name;
    std::string extra;
    if (f.zip64) {
        putLe16(extra, zipformat::kExtraZip64);
        putLe16(extra, 16);
        putLe64(extra, f.size);
        putLe64(extra, f.compressedSize);
    }
    extra += f.extra;
    putLe16(out, clamp16(name.size()));
    putLe16(out, clamp16(extra.size()));
    out.append(name, 0, clamp16(name.size()));
    if (f.zip64)
        layout.zip64SizesAt = out.size() + 4;
    out += extra;
    return layout;
}

std::string dataDescriptor(std::uint32_t crc, std::uint64_t compressedSize, std::uint64_t size,
                           bool zip64) {
    std::string out;
    putLe32(out, zipformat::kSigDescriptor);
    putLe32(out, crc);
    if (zip64) {
        putLe64(out, compressedSize);
        putLe64(out, size);
    } else {
        putLe32(out, static_cast<std::uint32_t>(compressedSize));
        putLe32(out, static_cast<std::uint32_t>(size));
    }
    return out;
}

std::string endRecords(std::uint64_t count, std::uint64_t cdOffset, std::uint64_t cdSize,
                       const std::string &comment) {
    std::string out;
    const bool zip64 = count >= zipformat::kZip64Limit16 || cdOffset >= zipformat::kZip64Limit ||
                       cdSize >= zipformat::kZip64Limit;
    if (zip64) {
        const std::uint64_t z64At = cdOffset + cdSize;
        putLe32(out, zipformat::kSigEnd64);
        putLe64(out, zipformat::kEnd64Size - 12); // size of the rest of this record
        putLe16(out, zipformat::kMadeByUnix);
        putLe16(out, zipformat::kVersionZip64);
        putLe32(out, 0); // this disk
        putLe32(out, 0); // disk with the directory
        putLe64(out, count);
        putLe64(out, count);
        putLe64(out, cdSize);
        putLe64(out, cdOffset);
        putLe32(out, zipformat::kSigEnd64Locator);
        putLe32(out, 0);
        putLe64(out, z64At);
        putLe32(out, 1); // total disks
    }
    putLe32(out, zipformat::kSigEnd);
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out,
            static_cast<std::uint16_t>(std::min<std::uint64_t>(count, zipformat::kZip64Limit16)));
    putLe16(out,
            static_cast<std::uint16_t>(std::min<std::uint64_t>(count, zipformat::kZip64Limit16)));
    putLe32(out, low32OrMark(cdSize));
    putLe32(out, low32OrMark(cdOffset));
    putLe16(out, clamp16(comment.size()));
    out.append(comment, 0, clamp16(comment.size()));
    return out;
}

std::string spanEndRecords(const SpanEnd &e, const std::string &comment) {
    std::string out;
    const bool zip64 = e.count >= zipformat::kZip64Limit16 ||
                       e.cdOffset >= zipformat::kZip64Limit || e.cdSize >= zipformat::kZip64Limit ||
                       e.lastDisk >= zipformat::kZip64Limit16;
    if (zip64) {
        putLe32(out, zipformat::kSigEnd64);
        putLe64(out, zipformat::kEnd64Size - 12);
        putLe16(out, zipformat::kMadeByUnix);
        putLe16(out, zipformat::kVersionZip64);
        putLe32(out, e.lastDisk);
        putLe32(out, e.cdDisk);
        putLe64(out, e.entriesHere);
        putLe64(out, e.count);
        putLe64(out, e.cdSize);
        putLe64(out, e.cdOffset);
        putLe32(out, zipformat::kSigEnd64Locator);
        putLe32(out, e.lastDisk); // the disk with the record above
        putLe64(out, e.endOffset);
        putLe32(out, e.lastDisk + 1);
    }
    const auto clampDisk = [](std::uint32_t d) {
        return static_cast<std::uint16_t>(std::min<std::uint32_t>(d, zipformat::kZip64Limit16));
    };
    putLe32(out, zipformat::kSigEnd);
    putLe16(out, clampDisk(e.lastDisk));
    putLe16(out, clampDisk(e.cdDisk));
    putLe16(out, static_cast<std::uint16_t>(
                     std::min<std::uint64_t>(e.entriesHere, zipformat::kZip64Limit16)));
    putLe16(out,
            static_cast<std::uint16_t>(std::min<std::uint64_t>(e.count, zipformat::kZip64Limit16)));
    putLe32(out, low32OrMark(e.cdSize));
    putLe32(out, low32OrMark(e.cdOffset));
    putLe16(out, clamp16(comment.size()));
    out.append(comment, 0, clamp16(comment.size()));
    return out;
}

std::size_t spanEndRecordsSize(const std::string &comment) {
    return zipformat::kEnd64Size + zipformat::kEnd64LocatorSize + zipformat::kEndSize +
           clamp16(comment.size());
}

std::string withoutZip64(const std::string &extra) {
    std::string out;
    std::size_t i = 0;
    while (i + 4 <= extra.size()) {
        const std::uint16_t tag = static_cast<std::uint16_t>(
            static_cast<std::uint8_t>(extra[i]) | (static_cast<std::uint8_t>(extra[i + 1]) << 8));
        const std::uint16_t len =
            static_cast<std::uint16_t>(static_cast<std::uint8_t>(extra[i + 2]) |
                                       (static_cast<std::uint8_t>(extra[i + 3]) << 8));
        if (i + 4 + len > extra.size())
            break;
        if (tag != zipformat::kExtraZip64)
            out.append(extra, i, 4 + len);
        i += 4 + len;
    }
    return out;
}

} // namespace zipwrite
