// An engine's argument vector as both engines read it: the password, the
// option elements up to the archive path, the archive path, then the file
// elements. What each option means is the reading engine's.
#pragma once

#include <cstdint>
#include <string_view>

namespace zipformat {

class ArgumentVector {
public:
    // False when it is not a vector of the ordinary form: fewer than two
    // elements (the password and the archive path), or a null one.
    bool open(std::int32_t argc, char **argv) noexcept;

    std::string_view password() const noexcept { return argv_[0]; }
    // The next element while it is an option ("-" and at least one more
    // character); false at the first one that is not.
    bool nextOption(std::string_view &out) noexcept;
    // The element after the one just read, taken as its value; false when
    // none is left.
    bool value(std::string_view &out) noexcept { return next(out); }
    // The next element: the archive path after the options, then the file
    // elements; false when none is left.
    bool next(std::string_view &out) noexcept;
    bool atEnd() const noexcept { return at_ >= argc_; }

private:
    std::int32_t argc_ = 0;
    char **argv_ = nullptr;
    std::int32_t at_ = 1;
};

} // namespace zipformat
