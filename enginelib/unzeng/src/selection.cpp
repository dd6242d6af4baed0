#include "selection.h"

#include <algorithm>

namespace unz {
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

Selection::Selection(const std::vector<std::string> &names,
                     const std::vector<std::string> &excludes) {
    auto make = [](const std::string &s) {
        Pattern p;
        p.given = s;
        p.text = s;
        std::replace(p.text.begin(), p.text.end(), '\\', '/');
        p.wild = p.text.find_first_of("*?[") != std::string::npos;
        return p;
    };
    for (const auto &s : names)
        names_.push_back(make(s));
    for (const auto &s : excludes)
        excludes_.push_back(make(s));
}

bool Selection::matches(const Pattern &p, std::string_view name) noexcept {
    if (p.wild)
        return wildcardMatch(p.text, name);
    if (p.text == name)
        return true;
    // "dir" names the folder entry "dir/".
    return name.size() == p.text.size() + 1 && name.back() == '/' &&
           name.substr(0, p.text.size()) == p.text;
}

bool Selection::selects(std::string_view entryName) {
    bool in = names_.empty();
    for (Pattern &p : names_) {
        if (matches(p, entryName)) {
            p.matched = true;
            in = true;
        }
    }
    if (!in)
        return false;
    for (const Pattern &p : excludes_) {
        if (matches(p, entryName))
            return false;
    }
    anyMatched_ = true;
    return true;
}

std::vector<std::string> Selection::unmatched() const {
    std::vector<std::string> out;
    for (const Pattern &p : names_) {
        if (!p.matched)
            out.push_back(p.given);
    }
    return out;
}

} // namespace unz
