#include "wildcard.h"

#include "zipformat/wildcard.h"

namespace zipwrite {

using zipformat::wildcardMatch;

bool matchesAny(const std::vector<std::string> &patterns, const std::string &name) {
    std::string base = name;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    const auto slash = base.rfind('/');
    const std::string last = slash == std::string::npos ? base : base.substr(slash + 1);
    for (const auto &pat : patterns) {
        if (wildcardMatch(pat, name) || wildcardMatch(pat, base))
            return true;
        if (pat.find('/') == std::string::npos && wildcardMatch(pat, last))
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
