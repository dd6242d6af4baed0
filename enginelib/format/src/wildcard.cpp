#include "zipformat/wildcard.h"

#include <cstddef>

namespace zipformat {

bool hasWildcard(std::string_view text) noexcept {
    return text.find_first_of("*?[") != std::string_view::npos;
}

namespace {

// Matches one "[...]" class at p (just after "["); advances p past "]".
// Returns false in `ok` when the class is not closed: "[" is then literal.
bool classMatch(std::string_view pat, std::size_t &p, char c, bool &ok) {
    std::size_t i = p;
    bool negate = false;
    if (i < pat.size() && (pat[i] == '!' || pat[i] == '^')) {
        negate = true;
        ++i;
    }
    bool hit = false;
    bool first = true;
    while (i < pat.size() && (pat[i] != ']' || first)) {
        first = false;
        char lo = pat[i];
        if (i + 2 < pat.size() && pat[i + 1] == '-' && pat[i + 2] != ']') {
            char hi = pat[i + 2];
            if (static_cast<unsigned char>(lo) <= static_cast<unsigned char>(c) &&
                static_cast<unsigned char>(c) <= static_cast<unsigned char>(hi))
                hit = true;
            i += 3;
        } else {
            if (lo == c)
                hit = true;
            ++i;
        }
    }
    if (i >= pat.size()) {
        ok = false;
        return false;
    }
    ok = true;
    p = i + 1;
    return hit != negate;
}

} // namespace

bool wildcardMatch(std::string_view pat, std::string_view name) noexcept {
    // Iterative matching with one backtrack point for the last "*": linear
    // in practice, never exponential.
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pat.size()) {
            char pc = pat[p];
            if (pc == '*') {
                starP = ++p;
                starN = n;
                continue;
            }
            if (pc == '?') {
                ++p;
                ++n;
                continue;
            }
            if (pc == '[') {
                std::size_t q = p + 1;
                bool ok = true;
                bool hit = classMatch(pat, q, name[n], ok);
                if (ok) {
                    if (hit) {
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
        if (starP == std::string_view::npos)
            return false;
        p = starP;
        n = ++starN;
    }
    while (p < pat.size() && pat[p] == '*')
        ++p;
    return p == pat.size();
}

bool patternSelects(std::string_view pattern, std::string_view name) noexcept {
    if (wildcardMatch(pattern, name))
        return true;
    return !name.empty() && name.back() == '/' &&
           wildcardMatch(pattern, name.substr(0, name.size() - 1));
}

bool patternLiteral(std::string_view pat, std::string &out) {
    // One pass over the name: find_first_of with a set of three searches the
    // set once per character, which shows when 100,000 names are requested.
    std::size_t i = 0;
    while (i < pat.size() && pat[i] != '*' && pat[i] != '?' && pat[i] != '[')
        ++i;
    out.assign(pat.substr(0, i));
    for (; i < pat.size(); ++i) {
        const char c = pat[i];
        if (c == '*' || c == '?')
            return false;
        if (c != '[') {
            out.push_back(c);
            continue;
        }
        const std::size_t close = pat.find(']', i + 1);
        if (close == std::string_view::npos) {
            out.push_back('[');
        } else if (close == i + 2 && pat[i + 1] != '!' && pat[i + 1] != '^') {
            out.push_back(pat[i + 1]);
            i = close;
        } else {
            // A class of several characters, a range, a negation or "[]...]".
            return false;
        }
    }
    return true;
}

} // namespace zipformat
