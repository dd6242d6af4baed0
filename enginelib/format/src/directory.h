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
};

Error readDirectory(ArchiveState &s, const OpenOptions &options);
Error locateEntry(const ArchiveState &s, const Entry &e, EntryLocation &out) noexcept;
// Decodes a stored name to UTF-8 with "/" separators into `out`; returns
// false when the raw bytes can be used unchanged.
bool decodeName(std::string_view raw, std::string_view extra, std::uint16_t flags,
                std::string &out);

} // namespace zipformat::detail
