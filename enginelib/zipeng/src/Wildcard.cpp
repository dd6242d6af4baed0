#include "Wildcard.h"

#include <cstddef>

namespace zipwrite {

bool hasWildcard(const std::string &s) {
    return s.find_first_of("*?[") != std::string::npos;
}

namespace {

// Matches one "[...]" set at pattern[p]; sets p past it. Returns false when
// the set is malformed (then "[" is an ordinary character).
bool matchSet(const std::string &pat, size_t &p, char c, bool &matched) {
    size_t q = p + 1;
    bool negate = false;
    if (q < pat.size() && (pat[q] == '!' || pat[q] == '^')) {
        negate = true;
        ++q;
    }
    bool any = false;
    bool first = true;
    while (q < pat.size() && (pat[q] != ']' || first)) {
        first = false;
        char lo = pat[q];
        char hi = lo;
        if (q + 2 < pat.size() && pat[q + 1] == '-' && pat[q + 2] != ']') {
            hi = pat[q + 2];
            q += 2;
        }
        if (c >= lo && c <= hi)
            any = true;
        ++q;
    }
    if (q >= pat.size())
        return false;
    p = q + 1;
    matched = any != negate;
    return true;
}

} // namespace

bool wildcardMatch(const std::string &pat, const std::string &name) {
    // Iterative matcher with one backtrack point for the last "*": linear in
    // practice and never recursive, whatever the pattern.
    size_t p = 0, n = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pat.size()) {
            const char pc = pat[p];
            if (pc == '*') {
                starP = p++;
                starN = n;
                continue;
            }
            if (pc == '?') {
                ++p;
                ++n;
                continue;
            }
            if (pc == '[') {
                size_t q = p;
                bool matched = false;
                if (matchSet(pat, q, name[n], matched)) {
                    if (matched) {
                        p = q;
                        ++n;
                        continue;
                    }
                } else if (name[n] == '[') {
                    ++p;
                    ++n;
                    continue;
                }
            } else if (pc == name[n]) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP == std::string::npos)
            return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < pat.size() && pat[p] == '*')
        ++p;
    return p == pat.size();
}

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
