// Which entries the file elements and "-x" patterns select, and which
// file elements matched nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zipread {

class Selection {
public:
    Selection(const std::vector<std::string> &names, const std::vector<std::string> &excludes);

    bool selects(std::string_view entryName);
    bool hasNames() const noexcept { return !names_.empty(); }
    bool anyMatched() const noexcept { return anyMatched_; }
    // The file elements that selected no entry, as given.
    std::vector<std::string> unmatched() const;

private:
    struct Pattern {
        std::string text; // "\" turned into "/"
        std::string given;
        bool wild = false;
        bool matched = false;
    };
    static bool matches(const Pattern &p, std::string_view name) noexcept;
    std::vector<Pattern> names_, excludes_;
    bool anyMatched_ = false;
};

} // namespace zipread
