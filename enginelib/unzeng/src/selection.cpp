#include "selection.h"

#include "options.h"

namespace zipread {

Selection::Selection(const Options &opt)
    : names_(opt.names), excludes_(opt.excludes), entries_(opt.entries) {}

bool Selection::selects(std::size_t index, std::string_view entryName) {
    if (hasNames()) {
        // Both are asked, so that each marks what it names.
        const bool named = names_.match(entryName);
        if (!entries_.match(index, entryName) && !named)
            return false;
    }
    if (excludes_.match(entryName))
        return false;
    anyMatched_ = true;
    return true;
}

std::vector<std::string> Selection::unmatched() const {
    std::vector<std::string> out = names_.unmatched();
    for (std::string &name : entries_.unmatched())
        out.push_back(std::move(name));
    return out;
}

} // namespace zipread
