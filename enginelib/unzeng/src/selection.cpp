#include "selection.h"

namespace zipread {

Selection::Selection(const std::vector<std::string> &names,
                     const std::vector<std::string> &excludes)
    : names_(names), excludes_(excludes) {}

bool Selection::selects(std::string_view entryName) {
    if (!names_.empty() && !names_.match(entryName))
        return false;
    if (excludes_.match(entryName))
        return false;
    anyMatched_ = true;
    return true;
}

} // namespace zipread
