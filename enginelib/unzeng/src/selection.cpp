#include "selection.h"

#include <algorithm>

#include "zipformat/wildcard.h"

namespace zipread {
Selection::Selection(const std::vector<std::string> &names,
                     const std::vector<std::string> &excludes) {
    auto make = [](const std::string &s) {
        Pattern p;
        p.given = s;
        p.text = s;
        std::replace(p.text.begin(), p.text.end(), '\\', '/');
        p.wild = zipformat::hasWildcard(p.text);
        return p;
    };
    for (const auto &s : names)
        names_.push_back(make(s));
    for (const auto &s : excludes)
        excludes_.push_back(make(s));
}

bool Selection::matches(const Pattern &p, std::string_view name) noexcept {
    if (p.wild)
        return zipformat::wildcardMatch(p.text, name);
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

} // namespace zipread
