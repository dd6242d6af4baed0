#include "name_filters.h"

#include "zipformat/wildcard.h"

namespace zipwrite {

bool matchesAny(const std::vector<std::string> &patterns, const std::string &name) {
    for (const auto &pat : patterns) {
        if (zipformat::patternSelects(pat, name))
            return true;
    }
    return false;
}

bool passesFilters(const std::vector<std::string> &includes,
                   const std::vector<std::string> &excludes, const std::string &storedName) {
    if (!includes.empty() && !matchesAny(includes, storedName))
        return false;
    return !matchesAny(excludes, storedName);
}

} // namespace zipwrite
