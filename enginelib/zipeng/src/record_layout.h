// Byte layouts of the records the engine writes: local header, data
// descriptor, central header, ZIP64 end records and end of central directory.
#pragma once

#include "zipformat/records.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace zipwrite {

void putLe16(std::string &out, std::uint16_t v);
void putLe32(std::string &out, std::uint32_t v);
void putLe64(std::string &out, std::uint64_t v);
void patchLe32(std::string &out, std::size_t at, std::uint32_t v);

// What a local header and a central record of an entry both say.
struct HeaderFields {
    std::uint16_t needed = zipformat::kVersionDeflate;
    std::uint16_t flags = 0;
    std::uint16_t method = zipformat::kMethodDeflate;
    std::uint32_t dosTime = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
};

// The central directory entry of one entry, as it will be written.
struct CentralRecord : HeaderFields {
    std::string name; // raw bytes
    std::uint16_t madeBy = zipformat::kMadeByUnix;
    std::uint64_t localOffset = 0;
    std::uint32_t disk = 0; // piece of a set that holds the local header
    std::uint16_t internalAttr = 0;
    std::uint32_t externalAttr = 0;
    std::string extra;   // extra fields other than ZIP64 (0x0001)
    std::string comment; // raw bytes
};

std::string centralHeader(const CentralRecord &rec);

// Extended-timestamp extra field (0x5455) holding the modification time.
std::string extendedTimestamp(std::time_t mtime);

// The fields of a new local header. When zip64 is set, the header carries a
// ZIP64 extra field with both sizes (needed when they may reach 4 GiB).
struct LocalFields : HeaderFields {
    const std::string *name = nullptr;
    bool zip64 = false;
    std::string extra; // other extra fields
};

struct LocalHeaderLayout {
    std::string bytes;
    std::size_t crcAt = 14;       // CRC, then 32-bit compressed and uncompressed sizes
    std::size_t zip64SizesAt = 0; // 64-bit uncompressed then compressed size; 0: none
    std::size_t methodAt = 8;
};

LocalHeaderLayout localHeader(const LocalFields &f);

// Data descriptor with signature; 64-bit sizes when the entry is ZIP64.
std::string dataDescriptor(std::uint32_t crc, std::uint64_t compressedSize, std::uint64_t size,
                           bool zip64);

// ZIP64 end record and locator when needed, then the end record.
std::string endRecords(std::uint64_t count, std::uint64_t cdOffset, std::uint64_t cdSize,
                       const std::string &comment);

// The end records of a multi-disk set, all written on its last piece:
// `lastDisk` is that piece's number (0-based), the directory starts on
// `cdDisk` at `cdOffset`, `entriesHere` of its records lie on the last
// piece, and the records themselves start at `endOffset` there.
struct SpanEnd {
    std::uint32_t lastDisk = 0;
    std::uint32_t cdDisk = 0;
    std::uint64_t cdOffset = 0;
    std::uint64_t cdSize = 0;
    std::uint64_t count = 0;
    std::uint64_t entriesHere = 0;
    std::uint64_t endOffset = 0;
};
std::string spanEndRecords(const SpanEnd &end, const std::string &comment);
// Their greatest size, ZIP64 records included.
std::size_t spanEndRecordsSize(const std::string &comment);

// Removes every ZIP64 (0x0001) field from a raw extra-field block; keeps the
// rest. Malformed trailing bytes are dropped.
std::string withoutZip64(const std::string &extra);

// The one way a central record is made: from the fields of the entry's local
// header, which starts at `localOffset`. The host system, the attributes and
// the comment are the caller's to add.
CentralRecord centralRecordOf(const LocalFields &local, std::uint64_t localOffset);

// The header fields of an entry read back by the format library (a
// directory's zipformat::Entry or a scanned zipformat::LocalRecord), under
// `name`, its raw bytes; ZIP64 fields are left out of the extra block, since
// the record writers add their own.
template <class Header> LocalFields headerFieldsOf(const Header &h, const std::string &name) {
    LocalFields f;
    f.name = &name;
    f.needed = h.versionNeeded;
    f.flags = h.flags;
    f.method = h.method;
    f.dosTime = h.dosTime;
    f.crc = h.crc;
    f.compressedSize = h.compressedSize;
    f.size = h.uncompressedSize;
    f.zip64 = f.size >= zipformat::kZip64Limit || f.compressedSize >= zipformat::kZip64Limit;
    f.extra = withoutZip64(std::string(h.extra.data(), h.extra.size()));
    return f;
}

} // namespace zipwrite
