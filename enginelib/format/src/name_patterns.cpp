#include "zipformat/name_patterns.h"

#include "zipformat/names.h"
#include "zipformat/wildcard.h"

#include <functional>

namespace zipformat {

NamePatterns::NamePatterns(const std::vector<std::string> &elements) {
    std::size_t total = 0;
    for (const std::string &e : elements)
        total += e.size();
    text_.reserve(total + total / 8);
    elements_.resize(elements.size());
    std::size_t size = 16;
    while (size < 2 * elements.size())
        size *= 2;
    slots_.resize(size);

    std::string slashed, literal;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        Element &e = elements_[i];
        e.owner = i;
        e.givenAt = text_.size();
        e.givenSize = elements[i].size();
        text_ += elements[i];
        slashed = elements[i];
        slashify(slashed);
        if (!patternLiteral(slashed, literal)) {
            patterns_.emplace_back(slashed, i);
            continue;
        }
        if (literal == elements[i]) {
            e.keyAt = e.givenAt;
        } else {
            e.keyAt = text_.size();
            text_ += literal;
        }
        e.keySize = literal.size();
        const std::uint64_t hash = std::hash<std::string_view>()(literal);
        Slot &slot = slotFor(literal, hash);
        if (slot.element != 0) {
            e.owner = slot.element - 1;
        } else {
            slot.hash = hash;
            slot.element = i + 1;
        }
    }
}

NamePatterns::Slot &NamePatterns::slotFor(std::string_view name, std::uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        Slot &slot = slots_[at];
        if (slot.element == 0 || (slot.hash == hash && key(elements_[slot.element - 1]) == name))
            return slot;
    }
}

bool NamePatterns::lookUp(std::string_view name) {
    if (slots_.empty())
        return false;
    const Slot &slot = slotFor(name, std::hash<std::string_view>()(name));
    if (slot.element == 0)
        return false;
    elements_[slot.element - 1].matched = true;
    return true;
}

bool NamePatterns::match(std::string_view entryName) {
    if (elements_.empty())
        return false; // no excludes: nothing to hash for every entry
    bool hit = lookUp(entryName);
    if (!entryName.empty() && entryName.back() == '/')
        hit = lookUp(entryName.substr(0, entryName.size() - 1)) || hit;
    for (const auto &[pattern, element] : patterns_) {
        if (patternSelects(pattern, entryName)) {
            elements_[element].matched = true;
            hit = true;
        }
    }
    return hit;
}

std::vector<std::string> NamePatterns::unmatched() const {
    std::vector<std::string> out;
    for (const Element &e : elements_) {
        if (!elements_[e.owner].matched)
            out.emplace_back(given(e));
    }
    return out;
}

} // namespace zipformat
