// An open ZIP archive: the end records found and checked, the whole
// central directory parsed into Entries in one pass, entry extents checked
// against each other (overlapping entries are refused).
#pragma once

#include "zipformat/entry.h"
#include "zipformat/error.h"
#include "zipformat/source.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace zipformat {

namespace detail {
struct ArchiveState; // opaque
}

struct ArchiveInfo {
    // For a set: the end of its positions (Source::size()), not a byte count.
    std::uint64_t fileSize = 0;
    // Bytes in front of the archive proper (self-extractor stub): stored
    // offsets plus this give file positions.
    std::uint64_t shift = 0;
    std::uint64_t centralPos = 0; // absolute
    std::uint64_t centralSize = 0;
    std::uint64_t entryCount = 0;
    std::uint64_t endPos = 0;   // absolute position of the end record
    std::uint64_t end64Pos = 0; // absolute position of the ZIP64 end record, 0 if none
    std::uint64_t trailing = 0; // bytes after the end record and its comment
    std::uint32_t diskNumber = 0;
    std::uint32_t centralDisk = 0;
    bool zip64 = false;
    std::string_view comment; // archive comment, raw bytes
};

struct OpenOptions {
    // Read a multi-disk set: the archive named (or, for "NAME.z01", the set's
    // last piece "NAME.zip") is the last piece, the others are found beside
    // it. Without this a set is Error::Multidisk.
    bool allowMultidisk = false;
    // With allowMultidisk: how a missing piece is asked for. Without it a
    // missing piece fails the open.
    PieceRequest askForPiece;
    // With allowMultidisk: a set stops at its end record, whose entry count
    // (info().entryCount) is all that is wanted; no other piece is needed.
    bool countOnly = false;
    // Refuse entries whose data would overlap another's. Always on for
    // extraction; a repair tool may turn it off to look at a broken file.
    bool checkOverlap = true;
    // Keep no entries: the directory is checked as it is read (count,
    // records, overlaps) and only the sorted header positions are kept, 8
    // bytes an entry, so that a million entries fit in a few megabytes. The
    // entries are then read with an EntryWalk; entry() and locate() by
    // index know none. A multi-disk set is read whole as before, so no piece
    // is asked for twice.
    bool streamEntries = false;
};

// The local header of one entry, read and checked against the directory.
struct EntryLocation {
    std::uint64_t headerPos = 0; // absolute
    std::uint64_t dataPos = 0;   // first byte of the data (encryption header included)
    std::uint64_t dataEnd = 0;   // dataPos + compressedSize
    std::uint64_t end = 0;       // after the data descriptor, if any
    std::uint16_t localFlags = 0;
    std::uint16_t localMethod = 0;
    std::uint16_t localNameSize = 0;
    std::uint16_t localExtraSize = 0;
};

class Archive {
public:
    Archive();
    ~Archive();
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;
    Archive(Archive &&) noexcept;
    Archive &operator=(Archive &&) noexcept;

    Error open(const std::string &path, const OpenOptions &options = {}) noexcept;
    // Opens the file of `checked` again and takes its directory as it was
    // checked instead of reading it: `checked` is a single file opened with
    // streamEntries (and maybe released since) that the caller knows to be
    // unchanged. NotAccessible when it is none such, or the file cannot be
    // opened or has another size now.
    Error reopen(const Archive &checked) noexcept;
    void close() noexcept;
    // Closes the file and keeps the parsed directory, for a holder that
    // only answers questions about entries: locate() and reads through
    // source() fail from then on.
    void releaseFile() noexcept;

    const Source &source() const noexcept;
    const ArchiveInfo &info() const noexcept;
    std::size_t size() const noexcept;
    const Entry &entry(std::size_t index) const noexcept;
    std::span<const Entry> entries() const noexcept;
    // False when the directory was opened with streamEntries and is walked
    // rather than held.
    bool holdsEntries() const noexcept;

    // Reads the entry's local header and computes where its data lies;
    // BadLocalHeader when the header is missing or its method or name
    // disagree with the directory, Overlap when its data would run into the
    // next record.
    Error locate(std::size_t index, EntryLocation &out) const noexcept;
    // The same for an entry of this archive met on an EntryWalk.
    Error locate(const Entry &entry, EntryLocation &out) const noexcept;

private:
    friend class EntryWalk;
    std::unique_ptr<detail::ArchiveState> s_;
};

} // namespace zipformat
