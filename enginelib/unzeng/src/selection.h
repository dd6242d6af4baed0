// Which entries the file elements, the "-#" entries and the "-x" patterns
// select, and which of the first two matched nothing.
#pragma once

#include "zipformat/entry_refs.h"
#include "zipformat/name_patterns.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zipread {

struct Options;

class Selection {
public:
    explicit Selection(const Options &opt);

    // The entry at `index` (counted from 0) of the directory.
    bool selects(std::size_t index, std::string_view entryName);
    bool hasNames() const noexcept { return !names_.empty() || !entries_.empty(); }
    bool anyMatched() const noexcept { return anyMatched_; }
    // The file elements that selected no entry, as given, then the names of
    // the "-#" entries that are no longer where they were.
    std::vector<std::string> unmatched() const;

private:
    zipformat::NamePatterns names_, excludes_;
    zipformat::EntryRefs entries_;
    bool anyMatched_ = false;
};

} // namespace zipread
