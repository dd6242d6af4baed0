// Which entries the file elements and "-x" patterns select, and which
// file elements matched nothing.
#pragma once

#include "zipformat/name_patterns.h"

#include <string>
#include <string_view>
#include <vector>

namespace zipread {

class Selection {
public:
    Selection(const std::vector<std::string> &names, const std::vector<std::string> &excludes);

    bool selects(std::string_view entryName);
    bool hasNames() const noexcept { return !names_.empty(); }
    bool anyMatched() const noexcept { return anyMatched_; }
    // The file elements that selected no entry, as given.
    std::vector<std::string> unmatched() const { return names_.unmatched(); }

private:
    zipformat::NamePatterns names_, excludes_;
    bool anyMatched_ = false;
};

} // namespace zipread
