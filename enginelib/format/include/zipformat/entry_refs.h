// Entries named by their identity instead of their name: the elements of a
// "-#" section, each "POSITION:NAME", the entry's position in the central
// directory counted from 1 (as the queries count) and its name as the
// engines report it. Names that decode alike (a CP437 name beside its UTF-8
// twin, "q\r" beside "q/r", "x" beside the folder "x/") stay apart this
// way. An element selects the entry at its position only while that entry
// still bears its name, so a list read before another program changed the
// archive selects nothing rather than a different entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zipformat {

class EntryRefs {
public:
    EntryRefs() = default;
    // Elements that are not of the form are kept and select nothing. The
    // names are views into the elements, which must outlive this.
    explicit EntryRefs(const std::vector<std::string_view> &elements);

    bool empty() const noexcept { return refs_.empty(); }

    // True when an element names the entry at `index` (counted from 0)
    // under `name`; every such element is marked as used.
    bool match(std::size_t index, std::string_view name);

    // The names of the elements that selected nothing so far, in their
    // order (the whole element when it is not of the form).
    std::vector<std::string> unmatched() const;

private:
    struct Ref {
        std::uint64_t position = 0; // 0: not of the form
        std::string_view name;
        std::uint32_t givenAt = 0; // an argument vector's elements fit
        bool matched = false;
    };
    std::vector<Ref> refs_; // sorted by position, then by order given
};

// "POSITION:NAME" split; false when `element` is not of that form.
bool parseEntryRef(std::string_view element, std::uint64_t &position, std::string_view &name);

} // namespace zipformat
