// The names and patterns of a request (file elements, exclude sections)
// against the entry names of an archive. Names, and patterns that can match
// one name only, are found by hashing, so naming every entry of a large
// archive costs little more than naming none; real patterns are tried one
// by one against each entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zipformat {

class NamePatterns {
public:
    NamePatterns() = default;
    // "\" in an element stands for "/", as in entry names.
    explicit NamePatterns(const std::vector<std::string> &elements);

    bool empty() const noexcept { return elements_.empty(); }

    // True when an element selects `entryName`: a name equal to it, or to
    // it without the "/" of a folder entry ("dir" names "dir/"), or a
    // pattern matching it. Every element that does is marked as used.
    bool match(std::string_view entryName);

    // The elements that selected nothing so far, as given, in their order.
    std::vector<std::string> unmatched() const;

private:
    struct Element {
        std::size_t givenAt = 0, givenSize = 0; // in text_
        std::size_t keyAt = 0, keySize = 0;     // the name it stands for, in text_
        std::size_t owner = 0; // whose mark counts: itself, or the first with the same name
        bool matched = false;
    };
    // Open addressing over the names: a slot holds the name's hash and its
    // element + 1 (0: empty). One block for the table and one for the text
    // keep a list of 100,000 names to a few allocations.
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t element = 0;
    };

    std::string_view given(const Element &e) const {
        return {text_.data() + e.givenAt, e.givenSize};
    }
    std::string_view key(const Element &e) const { return {text_.data() + e.keyAt, e.keySize}; }
    // The slot holding `name`, or the empty slot where it would go.
    Slot &slotFor(std::string_view name, std::uint64_t hash);
    bool lookUp(std::string_view name);

    std::string text_;
    std::vector<Element> elements_;
    std::vector<Slot> slots_;
    std::vector<std::pair<std::string, std::size_t>> patterns_; // text, element
};

} // namespace zipformat
