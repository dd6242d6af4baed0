// One central-directory entry, every field as stored plus what the library
// derives from it (UTF-8 name, times, Unix mode, absolute positions).
#pragma once

#include <cstdint>
#include <ctime>
#include <string_view>

namespace zipformat {

struct Entry {
    // Text fields point into storage owned by the Archive and live as long
    // as it stays open.
    std::string_view name;    // UTF-8, "/" separators
    std::string_view rawName; // the bytes of the central directory
    std::string_view comment; // raw bytes, as stored
    std::string_view extra;   // central extra field, raw

    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosTime = 0; // packed: date in the high 16 bits, time low
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;   // ZIP64 value when present
    std::uint64_t uncompressedSize = 0; // ZIP64 value when present
    std::uint32_t diskStart = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;

    // The local header offset as the directory stores it (relative to the
    // start of the archive proper) and as an absolute file position, which
    // differ by the size of data prefixed to the archive (SFX stubs).
    std::uint64_t localHeaderOffset = 0;
    std::uint64_t headerPos = 0;
    // Absolute position and size of this entry's central-directory record,
    // so a writer can copy it raw.
    std::uint64_t centralPos = 0;
    std::uint32_t centralSize = 0;
    // Absolute position of whatever record follows this entry in the file
    // (the next local header or the central directory): the entry's data
    // and descriptor must end at or before it.
    std::uint64_t limitPos = 0;

    // From the extended timestamp ("UT"), NTFS or old Unix extra fields,
    // when hasExactMtime; otherwise modifiedTime() converts the DOS time,
    // which costs a time-zone lookup, so listing does not pay for it.
    std::time_t mtime = 0;
    std::time_t atime = 0;
    bool hasExactMtime = false; // mtime came from an extra field
    bool hasAtime = false;
    bool nameFromUnicodeExtra = false;
    bool zip64 = false; // a ZIP64 extra field was used

    // Unix seconds: the exact time from an extra field, else the DOS time.
    std::time_t modifiedTime() const noexcept;
    // Broken entries (local header outside the file, sizes running past
    // it) stay listed but cannot be read: locate() refuses them.
    bool isReadable() const noexcept { return limitPos != 0; }

    std::uint8_t hostSystem() const noexcept {
        return static_cast<std::uint8_t>(versionMadeBy >> 8);
    }
    bool isEncrypted() const noexcept { return (flags & 1u) != 0; }
    bool hasDescriptor() const noexcept { return (flags & 8u) != 0; }
    // Unix st_mode bits when the entry was made on a Unix-like host, else 0.
    std::uint32_t unixMode() const noexcept;
    bool isDirectory() const noexcept;
    bool isSymlink() const noexcept;
    // The attribute bits 0..5 (read-only, hidden, system, volume, directory,
    // archive), from DOS attributes or derived from the Unix mode.
    std::uint8_t dosAttributes() const noexcept;
};

} // namespace zipformat
