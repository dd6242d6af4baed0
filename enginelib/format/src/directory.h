// The parts of Archive that read the end records, the central directory
// and the local headers.
#pragma once

#include "zipformat/archive.h"

#include <string>
#include <vector>

namespace zipformat::detail {

struct ArchiveState {
    Source src;
    std::string path; // of the file opened (the last piece of a set)
    ArchiveInfo info;
    std::vector<std::uint8_t> central; // the directory bytes, names point here
    std::string comment;
    std::string names; // converted (non-ASCII or "\"-separated) names
    std::vector<Entry> entries;
    // With OpenOptions::streamEntries: no entries, but every readable
    // entry's header position and the directory's and the file's end,
    // sorted, for the limit of each entry as it is walked.
    bool streamed = false;
    bool checkOverlap = true;
    std::uint64_t shift = 0;
    std::uint64_t centralEnd = 0; // the end records, where the directory stops
    std::vector<std::uint64_t> limits;
};

// Reads the central records of a single file one after another through a
// bounded buffer, so that the directory is never held whole.
class CentralReader {
public:
    CentralReader(const ArchiveState &s, std::uint64_t shift) noexcept;
    // Fills `e` from the next record (its texts valid until the next
    // call; name as stored, no limit); false at the end of the records or
    // on failure (error()).
    bool next(Entry &e);
    // Ok, NotAccessible (a read failed) or BadDirectory (a damaged record).
    Error error() const noexcept { return error_; }

private:
    bool ensure(std::size_t n);

    const ArchiveState &s_;
    std::uint64_t shift_;
    std::uint64_t pos_;
    std::uint64_t end_;
    std::vector<std::uint8_t> buf_;
    std::uint64_t bufPos_ = 0;
    Error error_ = Error::Ok;
};

Error readDirectory(ArchiveState &s, const OpenOptions &options);
// The name of `e` as UTF-8 with "/" separators: its stored bytes, or
// `scratch` when they had to be converted. Sets nameFromUnicodeExtra.
void nameEntry(Entry &e, std::string &scratch);
// The limit of a streamed archive's entry (Entry::limitPos), 0 when it
// cannot be read.
std::uint64_t limitOf(const ArchiveState &s, const Entry &e) noexcept;
Error locateEntry(const ArchiveState &s, const Entry &e, EntryLocation &out) noexcept;
// Decodes a stored name to UTF-8 with "/" separators into `out`; returns
// false when the raw bytes can be used unchanged.
bool decodeName(std::string_view raw, std::string_view extra, std::uint16_t flags,
                std::string &out);

} // namespace zipformat::detail
