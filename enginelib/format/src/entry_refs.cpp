#include "zipformat/entry_refs.h"

#include <algorithm>
#include <limits>

namespace zipformat {

bool parseEntryRef(std::string_view element, std::uint64_t &position, std::string_view &name) {
    const std::size_t colon = element.find(':');
    if (colon == 0 || colon == std::string_view::npos || colon > 19)
        return false;
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = element[i];
        if (c < '0' || c > '9')
            return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (n > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return false;
        n = n * 10 + digit;
    }
    if (n == 0)
        return false;
    position = n;
    name = element.substr(colon + 1);
    return true;
}

EntryRefs::EntryRefs(const std::vector<std::string_view> &elements) {
    refs_.reserve(elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i) {
        Ref r;
        r.givenAt = static_cast<std::uint32_t>(i);
        if (!parseEntryRef(elements[i], r.position, r.name))
            r.name = elements[i];
        refs_.push_back(r);
    }
    std::stable_sort(refs_.begin(), refs_.end(),
                     [](const Ref &a, const Ref &b) { return a.position < b.position; });
}

bool EntryRefs::match(std::size_t index, std::string_view name) {
    const std::uint64_t position = static_cast<std::uint64_t>(index) + 1;
    auto it = std::lower_bound(refs_.begin(), refs_.end(), position,
                               [](const Ref &r, std::uint64_t p) { return r.position < p; });
    bool hit = false;
    for (; it != refs_.end() && it->position == position; ++it) {
        if (it->name == name) {
            it->matched = true;
            hit = true;
        }
    }
    return hit;
}

std::vector<std::string> EntryRefs::unmatched() const {
    std::vector<const Ref *> left;
    for (const Ref &r : refs_)
        if (!r.matched)
            left.push_back(&r);
    std::sort(left.begin(), left.end(),
              [](const Ref *a, const Ref *b) { return a->givenAt < b->givenAt; });
    std::vector<std::string> out;
    out.reserve(left.size());
    for (const Ref *r : left)
        out.emplace_back(r->name);
    return out;
}

} // namespace zipformat
