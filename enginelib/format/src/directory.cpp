#include "directory.h"

#include "extra.h"
#include "record_header.h"
#include "zipformat/names.h"
#include "zipformat/records.h"

#include <algorithm>
#include <limits>

namespace zipformat::detail {
namespace {

// The end records as found, before the directory is located.
struct EndRecord {
    std::uint64_t pos = 0;         // of the classic end record
    std::uint64_t recordStart = 0; // where the directory must end
    std::uint64_t z64Pos = 0;
    std::uint32_t disk = 0, centralDisk = 0, totalDisks = 1;
    std::uint64_t entries = 0;
    std::uint64_t centralSize = 0;
    std::uint64_t centralOffset = 0;
    std::uint16_t commentSize = 0;
    bool zip64 = false;
};

bool hasSignature(const Source &src, std::uint64_t pos, std::uint32_t sig) {
    std::uint8_t b[4];
    return src.readAt(pos, b, 4) && le32(b) == sig;
}

// Reads the classic end record at `pos` (inside `tail`) and the ZIP64 records
// that may precede it.
Error readEnd(const Source &src, const std::uint8_t *e, std::uint64_t pos, EndRecord &out) {
    out.pos = pos;
    Cursor fields(e, kEndSize);
    fields.skip(4); // signature, seen by the caller
    out.disk = fields.u16();
    out.centralDisk = fields.u16();
    fields.skip(2); // entries on this disk
    out.entries = fields.u16();
    out.centralSize = fields.u32();
    out.centralOffset = fields.u32();
    out.commentSize = fields.u16();
    out.recordStart = pos;
    if (pos + kEndSize + out.commentSize > src.size())
        return Error::NotZip; // the comment would run past the file: not this one
    if (pos < kEnd64LocatorSize)
        return Error::Ok;
    std::uint8_t loc[kEnd64LocatorSize];
    Cursor locator(loc, sizeof loc);
    if (!src.readAt(pos - kEnd64LocatorSize, loc, sizeof loc) || locator.u32() != kSigEnd64Locator)
        return Error::Ok;
    // The offset counts from the start of the piece that holds the record.
    const std::uint32_t recordDisk = locator.u32();
    const std::uint64_t stored = src.positionOf(recordDisk, locator.u64());
    if (stored == UINT64_MAX)
        return Error::BadDirectory;
    out.totalDisks = locator.u32();
    // The ZIP64 end record sits where the locator says, or, in an archive with
    // data in front, right before the locator.
    std::uint64_t candidates[2] = {stored, pos - kEnd64LocatorSize - kEnd64Size};
    if (pos < kEnd64LocatorSize + kEnd64Size)
        candidates[1] = stored;
    std::uint8_t rec[kEnd64Size];
    bool found = false;
    for (std::uint64_t c : candidates) {
        if (c + kEnd64Size <= pos - kEnd64LocatorSize && src.readAt(c, rec, sizeof rec) &&
            le32(rec) == kSigEnd64) {
            out.z64Pos = c;
            found = true;
            break;
        }
    }
    if (!found)
        return Error::BadDirectory;
    out.zip64 = true;
    Cursor c64(rec, sizeof rec);
    c64.skip(4 + 8 + 2 + 2); // signature, record size, versions made by and needed
    out.disk = c64.u32();
    out.centralDisk = c64.u32();
    c64.skip(8); // entries on this disk
    out.entries = c64.u64();
    out.centralSize = c64.u64();
    out.centralOffset = c64.u64();
    out.recordStart = out.z64Pos;
    return Error::Ok;
}

// Finds the directory: at its stored offset, or shifted by data in front.
Error placeDirectory(const Source &src, const EndRecord &end, bool allowShift,
                     std::uint64_t &centralPos, std::uint64_t &shift) {
    const std::uint64_t limit = end.recordStart;
    // In a set the offset counts from the piece the directory starts on.
    const std::uint64_t offset = src.positionOf(end.centralDisk, end.centralOffset);
    if (offset == UINT64_MAX)
        return Error::BadDirectory;
    if (end.entries == 0) {
        shift = 0;
        centralPos = limit;
        if (offset <= limit && end.centralSize <= limit - offset)
            centralPos = offset;
        return Error::Ok;
    }
    if (offset < limit && hasSignature(src, offset, kSigCentral)) {
        shift = 0;
        centralPos = offset;
        return Error::Ok;
    }
    if (allowShift && !src.isSet() && end.centralSize <= limit) {
        std::uint64_t cand = limit - end.centralSize;
        if (cand >= offset && hasSignature(src, cand, kSigCentral)) {
            shift = cand - offset;
            centralPos = cand;
            return Error::Ok;
        }
    }
    return Error::BadDirectory;
}

// Fills one entry from its central record: the fixed part `h`, then the
// name, extra field and comment that follow it; false when it is damaged.
bool parseCentral(const ArchiveState &s, const RecordHeader &h, Cursor &c, std::uint64_t shift,
                  Entry &e) {
    e.versionMadeBy = h.versionMadeBy;
    e.versionNeeded = h.versionNeeded;
    e.flags = h.flags;
    e.method = h.method;
    e.dosTime = h.dosTime;
    e.crc = h.crc;
    e.compressedSize = h.compressedSize;
    e.uncompressedSize = h.uncompressedSize;
    e.diskStart = h.diskStart;
    e.internalAttributes = h.internalAttributes;
    e.externalAttributes = h.externalAttributes;
    e.localHeaderOffset = h.localHeaderOffset;
    e.rawName = c.bytes(h.nameSize);
    e.extra = c.bytes(h.extraSize);
    e.comment = c.bytes(h.commentSize);
    if (!c.ok())
        return false;
    e.centralSize = static_cast<std::uint32_t>(kCentralHeaderSize + std::size_t{h.nameSize} +
                                               h.extraSize + h.commentSize);

    if (e.compressedSize == kZip64Limit || e.uncompressedSize == kZip64Limit ||
        e.localHeaderOffset == kZip64Limit || e.diskStart == kZip64Limit16) {
        Zip64Fields f{&e.uncompressedSize, &e.compressedSize, &e.localHeaderOffset, &e.diskStart};
        bool used = false;
        if (!applyZip64(e.extra, f, used))
            return false;
        e.zip64 = used;
    }
    if (!e.extra.empty()) {
        ExtraTimes t = parseTimes(e.extra);
        e.mtime = t.mtime;
        e.atime = t.atime;
        e.hasExactMtime = t.hasMtime;
        e.hasAtime = t.hasAtime;
    }
    // The header position overflowing or lying outside the file makes the
    // entry unreadable, not the archive.
    std::uint64_t size = s.src.size();
    if (s.src.isSet())
        e.headerPos = s.src.positionOf(e.diskStart, e.localHeaderOffset); // UINT64_MAX: none
    else if (e.localHeaderOffset <= size && shift <= size - e.localHeaderOffset)
        e.headerPos = e.localHeaderOffset + shift;
    else
        e.headerPos = std::numeric_limits<std::uint64_t>::max();
    return true;
}

// Whether a local header can lie where the entry says: inside the file,
// with room for its fixed part.
bool headerInside(std::uint64_t size, const Entry &e) {
    return e.headerPos < size && size - e.headerPos >= kLocalHeaderSize;
}

// Sets limitPos for each entry: the next record after its header. Entries
// whose minimal extent (header plus data) crosses another entry's header
// overlap it; entries that run past the directory or the file are broken.
Error checkExtents(ArchiveState &s, bool refuseOverlap) {
    const std::uint64_t size = s.src.size();
    if (!refuseOverlap) {
        for (Entry &e : s.entries) {
            if (headerInside(size, e))
                e.limitPos = size;
        }
        return Error::Ok;
    }
    const std::uint32_t kBoundary = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::pair<std::uint64_t, std::uint32_t>> order;
    order.reserve(s.entries.size() + 2);
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
        const Entry &e = s.entries[i];
        if (headerInside(size, e))
            order.emplace_back(e.headerPos, static_cast<std::uint32_t>(i));
    }
    order.emplace_back(s.info.centralPos, kBoundary);
    order.emplace_back(size, kBoundary);
    if (!std::is_sorted(order.begin(), order.end()))
        std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        if (order[i].second == kBoundary)
            continue;
        Entry &e = s.entries[order[i].second];
        std::size_t j = i + 1;
        while (j < order.size() && order[j].first == e.headerPos && order[j].second == kBoundary)
            ++j; // a directory that starts at the header: the entry runs into it
        const auto &next = order[j < order.size() ? j : order.size() - 1];
        if (next.second != kBoundary && next.first == e.headerPos)
            return Error::Overlap; // two entries share one local header
        // Across pieces of a set whose sizes are not at hand the room is
        // unknown: the entry is taken at its word until its data is read.
        std::uint64_t room = 0;
        if (!s.src.distance(e.headerPos, next.first, room))
            room = std::numeric_limits<std::uint64_t>::max();
        bool fits = e.compressedSize <= room && room - e.compressedSize >= kLocalHeaderSize;
        if (!fits && next.second != kBoundary)
            return Error::Overlap;
        if (fits)
            e.limitPos = next.first;
    }
    return Error::Ok;
}

// The extent of one readable entry, or a boundary every entry must stop
// at (the directory, the end of the file), for the overlap check of a
// directory that is not kept.
struct Extent {
    std::uint64_t pos = 0;
    std::uint64_t size = 0;
    bool boundary = false;
    bool operator<(const Extent &o) const {
        return pos != o.pos ? pos < o.pos : boundary < o.boundary;
    }
};

// checkExtents for a directory that is not kept: the same rules over the
// extents, leaving the sorted positions as the limits to look up later.
Error checkStreamedExtents(ArchiveState &s, std::vector<Extent> &order) {
    order.push_back({s.info.centralPos, 0, true});
    order.push_back({s.src.size(), 0, true});
    if (!std::is_sorted(order.begin(), order.end()))
        std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        const Extent &e = order[i];
        if (e.boundary)
            continue;
        std::size_t j = i + 1;
        while (j < order.size() && order[j].pos == e.pos && order[j].boundary)
            ++j;
        const Extent &next = order[j < order.size() ? j : order.size() - 1];
        if (!next.boundary && next.pos == e.pos)
            return Error::Overlap;
        std::uint64_t room = 0;
        if (!s.src.distance(e.pos, next.pos, room))
            room = std::numeric_limits<std::uint64_t>::max();
        const bool fits = e.size <= room && room - e.size >= kLocalHeaderSize;
        if (!fits && !next.boundary)
            return Error::Overlap;
    }
    s.limits.reserve(order.size());
    for (const Extent &e : order)
        s.limits.push_back(e.pos);
    return Error::Ok;
}

// parseDirectory without keeping the entries: one pass that checks every
// record, the count and the extents.
Error streamDirectory(ArchiveState &s, const EndRecord &end, std::uint64_t shift,
                      const OpenOptions &options) {
    s.streamed = true;
    s.checkOverlap = options.checkOverlap;
    s.shift = shift;
    s.centralEnd = end.recordStart;
    std::vector<Extent> extents;
    if (options.checkOverlap)
        extents.reserve(static_cast<std::size_t>(end.entries) + 2);
    CentralReader reader(s, shift);
    const std::uint64_t size = s.src.size();
    std::uint64_t found = 0;
    Entry e;
    while (reader.next(e)) {
        ++found;
        if (options.checkOverlap && headerInside(size, e))
            extents.push_back({e.headerPos, e.compressedSize, false});
    }
    if (reader.error() != Error::Ok)
        return reader.error();
    const bool countOk =
        found == end.entries || (!end.zip64 && found > 0xffffu && (found & 0xffffu) == end.entries);
    if (!countOk)
        return Error::BadDirectory;
    s.info.entryCount = found;
    return options.checkOverlap ? checkStreamedExtents(s, extents) : Error::Ok;
}

Error parseDirectory(ArchiveState &s, const EndRecord &end, std::uint64_t shift,
                     const OpenOptions &options) {
    // A count the directory's bytes cannot hold is refused before anything
    // is allocated per entry (and, when its size is known, before it is read).
    std::uint64_t regionSize = 0;
    if (s.src.distance(s.info.centralPos, end.recordStart, regionSize) &&
        end.entries > regionSize / kCentralHeaderSize)
        return Error::BadDirectory;
    if (options.streamEntries && !s.src.isSet())
        return streamDirectory(s, end, shift, options);
    // In a set, only the pieces that hold the directory are read.
    if (!s.src.readRange(s.info.centralPos, end.recordStart, s.central))
        return s.src.aborted() ? Error::Aborted : Error::NotAccessible;
    if (end.entries > s.central.size() / kCentralHeaderSize)
        return Error::BadDirectory;
    s.entries.reserve(static_cast<std::size_t>(end.entries));

    std::vector<std::pair<std::size_t, std::size_t>> converted; // entry, offset in names
    std::string scratch;
    Cursor c(s.central.data(), s.central.size());
    while (c.left() >= 4 && le32(s.central.data() + c.offset()) == kSigCentral) {
        Entry e;
        e.centralPos = s.info.centralPos + c.offset();
        RecordHeader h;
        if (!readRecordHeader(c, HeaderKind::Central, h) || !parseCentral(s, h, c, shift, e))
            return Error::BadDirectory;
        nameEntry(e, scratch);
        if (e.name.data() == scratch.data()) {
            converted.emplace_back(s.entries.size(), s.names.size());
            s.names += scratch;
            s.names.push_back('\0');
        }
        s.entries.push_back(e);
    }
    for (auto [index, offset] : converted) {
        const char *start = s.names.data() + offset;
        s.entries[index].name = std::string_view(start);
    }
    // The 16-bit count of an archive without ZIP64 records wraps past 65,535
    // entries; every other mismatch means a damaged directory.
    std::uint64_t found = s.entries.size();
    bool countOk =
        found == end.entries || (!end.zip64 && found > 0xffffu && (found & 0xffffu) == end.entries);
    if (!countOk)
        return Error::BadDirectory;
    s.info.entryCount = found;
    return checkExtents(s, options.checkOverlap);
}

Error tryEnd(ArchiveState &s, const std::vector<std::uint8_t> &tail, std::uint64_t tailStart,
             std::size_t i, bool allowShift, const OpenOptions &options) {
    const Source &src = s.src;
    EndRecord end;
    Error e = readEnd(src, tail.data() + i, tailStart + i, end);
    if (e != Error::Ok)
        return e;
    const bool spanned = end.disk != 0 || end.centralDisk != 0 || end.totalDisks > 1;
    if (spanned && !options.allowMultidisk)
        return Error::Multidisk;
    if (spanned && options.countOnly) {
        s.entries.clear();
        s.info = ArchiveInfo{};
        s.info.fileSize = src.size();
        s.info.entryCount = end.entries;
        s.info.diskNumber = end.disk;
        return Error::Ok;
    }
    if (spanned && !s.src.isSet()) {
        // This file is the last piece: its number tells how many there are.
        if (end.disk >= UINT32_MAX || (end.totalDisks > 1 && end.totalDisks != end.disk + 1) ||
            end.centralDisk > end.disk)
            return Error::BadDirectory;
        e = s.src.attachPieces(s.path, end.disk + 1, options.askForPiece);
        if (e != Error::Ok)
            return e;
        // From here on positions are those of the whole set.
        e = readEnd(src, tail.data() + i, src.positionOf(end.disk, tailStart + i), end);
        if (e != Error::Ok)
            return e;
    }
    std::uint64_t centralPos = 0, shift = 0;
    e = placeDirectory(src, end, allowShift, centralPos, shift);
    if (e != Error::Ok)
        return e;
    s.entries.clear();
    s.names.clear();
    s.limits.clear();
    s.streamed = false;
    s.info = ArchiveInfo{};
    s.info.fileSize = src.size();
    s.info.shift = shift;
    s.info.centralPos = centralPos;
    s.info.centralSize = end.centralSize;
    s.info.endPos = end.pos;
    s.info.end64Pos = end.z64Pos;
    s.info.diskNumber = end.disk;
    s.info.centralDisk = end.centralDisk;
    s.info.zip64 = end.zip64;
    s.info.trailing = src.size() - (end.pos + kEndSize + end.commentSize);
    e = parseDirectory(s, end, shift, options);
    if (e != Error::Ok)
        return e;
    s.comment.assign(reinterpret_cast<const char *>(tail.data()) + i + kEndSize, end.commentSize);
    s.info.comment = s.comment;
    return Error::Ok;
}

} // namespace

bool decodeName(std::string_view raw, std::string_view extra, std::uint16_t flags,
                std::string &out) {
    bool plain = true;
    for (char c : raw) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\\' || c == '\0') {
            plain = false;
            break;
        }
    }
    std::string_view unicode;
    if ((flags & kFlagUtf8) == 0 && !extra.empty()) {
        unicode = unicodePath(extra, raw);
        if (!isValidUtf8(unicode))
            unicode = {};
    }
    if (plain && unicode.empty())
        return false;
    out.clear();
    if (!unicode.empty()) {
        out.assign(unicode);
    } else if (isValidUtf8(raw)) {
        // Flagged UTF-8, or unflagged bytes that are well-formed UTF-8: many
        // Unix tools write UTF-8 without setting the flag, and real legacy
        // names are almost never valid UTF-8.
        out.assign(raw);
    } else {
        appendLegacyAsUtf8(out, raw);
    }
    // A NUL ends the name as every C string consumer would read it; keep
    // that visible instead of hiding what follows.
    std::replace(out.begin(), out.end(), '\0', '?');
    slashify(out);
    return true;
}

void nameEntry(Entry &e, std::string &scratch) {
    if (decodeName(e.rawName, e.extra, e.flags, scratch)) {
        e.name = scratch;
        e.nameFromUnicodeExtra =
            (e.flags & kFlagUtf8) == 0 && !unicodePath(e.extra, e.rawName).empty();
    } else {
        e.name = e.rawName;
    }
}

namespace {
// Read at a time: enough that the reads cost little beside the parsing.
constexpr std::size_t kChunk = std::size_t{1} << 20;
// The longest record there can be: the fixed part and three 16-bit fields.
constexpr std::size_t kMaxRecord = kCentralHeaderSize + 3 * std::size_t{0xffff};
} // namespace

CentralReader::CentralReader(const ArchiveState &s, std::uint64_t shift) noexcept
    : s_(s), shift_(shift), pos_(s.info.centralPos), end_(s.centralEnd) {
    if (end_ < pos_)
        end_ = pos_;
}

// Makes at least `n` bytes from pos_ on (fewer at the end of the
// directory) available in the buffer.
bool CentralReader::ensure(std::size_t n) {
    const std::uint64_t want = std::min<std::uint64_t>(n, end_ - pos_);
    if (pos_ >= bufPos_ && pos_ - bufPos_ + want <= buf_.size())
        return true;
    const auto len = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end_ - pos_));
    buf_.resize(std::max<std::size_t>(len, static_cast<std::size_t>(want)));
    if (!s_.src.readAt(pos_, buf_.data(), buf_.size())) {
        error_ = Error::NotAccessible;
        return false;
    }
    bufPos_ = pos_;
    return true;
}

bool CentralReader::next(Entry &e) {
    if (error_ != Error::Ok || end_ - pos_ < 4)
        return false;
    if (!ensure(kMaxRecord))
        return false;
    const std::uint8_t *at = buf_.data() + (pos_ - bufPos_);
    if (le32(at) != kSigCentral)
        return false;
    Cursor c(at, static_cast<std::size_t>(
                     std::min<std::uint64_t>(end_ - pos_, buf_.size() - (pos_ - bufPos_))));
    e = Entry{};
    e.centralPos = pos_;
    RecordHeader h;
    if (!readRecordHeader(c, HeaderKind::Central, h) || !parseCentral(s_, h, c, shift_, e)) {
        error_ = Error::BadDirectory;
        return false;
    }
    pos_ += c.offset();
    return true;
}

std::uint64_t limitOf(const ArchiveState &s, const Entry &e) noexcept {
    const std::uint64_t size = s.src.size();
    if (!headerInside(size, e))
        return 0;
    if (!s.checkOverlap)
        return size;
    auto next = std::upper_bound(s.limits.begin(), s.limits.end(), e.headerPos);
    if (next == s.limits.end())
        return 0;
    std::uint64_t room = 0;
    if (!s.src.distance(e.headerPos, *next, room))
        room = std::numeric_limits<std::uint64_t>::max();
    const bool fits = e.compressedSize <= room && room - e.compressedSize >= kLocalHeaderSize;
    return fits ? *next : 0;
}

Error readDirectory(ArchiveState &s, const OpenOptions &options) {
    const Source &src = s.src;
    const std::uint64_t size = src.size();
    if (size < kEndSize)
        return Error::NotZip;
    const std::uint64_t tailSize = std::min<std::uint64_t>(size, kEndSize + kMaxCommentSize);
    const std::uint64_t tailStart = size - tailSize;
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(tailSize));
    if (!src.readAt(tailStart, tail.data(), tail.size()))
        return Error::NotAccessible;

    // Walk back from the end: the last end record whose directory checks
    // out wins. A first pass takes offsets as stored; only when none fits is
    // data in front of the archive assumed, so an end record hidden in a
    // comment cannot take over by way of a made-up shift.
    Error firstError = Error::NotZip;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = tail.size() - kEndSize + 1; i-- > 0;) {
            if (le32(tail.data() + i) != kSigEnd)
                continue;
            Error e = tryEnd(s, tail, tailStart, i, pass == 1, options);
            // Once the pieces of a set are joined, the tail no longer says
            // where other candidates would be.
            if (e == Error::Ok || e == Error::Multidisk || e == Error::NoMemory || src.isSet())
                return e;
            if (firstError == Error::NotZip)
                firstError = e;
        }
    }
    // A piece of a set other than the last starts with the split signature.
    std::uint8_t head[4];
    if (firstError == Error::NotZip && src.readAt(0, head, 4) && le32(head) == kSigSpanMarker)
        return Error::Multidisk;
    return firstError;
}

Error locateEntry(const ArchiveState &s, const Entry &e, EntryLocation &out) noexcept {
    if (!e.isReadable())
        return Error::BadLocalHeader;
    std::uint8_t bytes[kLocalHeaderSize];
    Cursor c(bytes, sizeof bytes);
    RecordHeader h;
    if (!s.src.readAt(e.headerPos, bytes, sizeof bytes) ||
        !readRecordHeader(c, HeaderKind::Local, h))
        return Error::BadLocalHeader;
    out.headerPos = e.headerPos;
    out.localFlags = h.flags;
    out.localMethod = h.method;
    out.localNameSize = h.nameSize;
    out.localExtraSize = h.extraSize;
    out.dataPos = e.headerPos + kLocalHeaderSize + out.localNameSize + out.localExtraSize;
    const std::uint64_t limit = e.limitPos;
    std::uint64_t room = 0;
    if (!s.src.distance(out.dataPos, limit, room)) {
        // Pieces of a set not at hand: the data is checked as it is read.
        if (out.dataPos > limit || !s.src.isSet())
            return Error::BadLocalHeader;
        room = s.src.size() - out.dataPos;
    }
    if (e.compressedSize > room)
        return Error::BadLocalHeader;
    out.dataEnd = out.dataPos + e.compressedSize;
    out.end = out.dataEnd;
    if (e.flags & kFlagDescriptor) {
        std::uint8_t d[4];
        std::uint64_t size = 12;
        if (s.src.readAt(out.dataEnd, d, 4) && le32(d) == kSigDescriptor)
            size += 4;
        bool wide = e.zip64;
        if (!wide && out.localExtraSize > 0) {
            // A ZIP64 record in the local header means 8-byte descriptor sizes.
            static thread_local std::uint8_t extra[0x10000];
            std::string_view ev(reinterpret_cast<const char *>(extra), out.localExtraSize);
            if (s.src.readAt(out.dataPos - out.localExtraSize, extra, out.localExtraSize)) {
                forEachExtra(ev, [&](std::uint16_t tag, std::string_view) {
                    wide = wide || tag == kExtraZip64;
                });
            }
        }
        if (wide)
            size += 8;
        std::uint64_t after = 0;
        if (!s.src.distance(out.dataEnd, limit, after))
            after = s.src.isSet() && out.dataEnd <= limit ? size : 0;
        if (size <= after)
            out.end = out.dataEnd + size;
    }
    return Error::Ok;
}

} // namespace zipformat::detail
