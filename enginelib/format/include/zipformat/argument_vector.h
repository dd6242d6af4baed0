// An engine's argument vector as both engines read it: the password, the
// option elements up to the archive path, the archive path, then the file
// elements. What each option means is the reading engine's.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

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

// One option of an engine's vector and what it does to the options being
// read. An option with a value takes the next element; `apply` refuses a
// value that makes no sense. An option that chooses the operation has an
// `operation` number other than 0, shared by the options that choose the
// same one: a vector may repeat an operation but not name two.
template <class Options> struct OptionFlag {
    std::string_view element;
    bool (*apply)(Options &out, std::string_view value);
    bool takesValue = false;
    int operation = 0;
};

// The `apply` of an option that switches a bool member on, and of one whose
// value a string member takes.
template <auto Member, class Options> bool switchOn(Options &out, std::string_view) {
    out.*Member = true;
    return true;
}
template <auto Member, class Options> bool takeValue(Options &out, std::string_view value) {
    out.*Member = value;
    return true;
}

// The `apply` of an option that chooses the operation `op`, and the
// operation number of its row.
template <auto op, class Options> bool chooseOperation(Options &out, std::string_view) {
    out.operation = op;
    return true;
}
template <class Operation> constexpr int operationNumber(Operation op) {
    return 1 + static_cast<int>(op);
}

// Reads the option elements up to the archive path through `flags`; an
// element not in the table goes to `other` when given. False at an unknown
// option, a missing or refused value, or a second operation.
template <class Options, std::size_t N>
bool readOptions(ArgumentVector &args, const OptionFlag<Options> (&flags)[N], Options &out,
                 bool (*other)(Options &, std::string_view) = nullptr) {
    int operation = 0;
    std::string_view element;
    while (args.nextOption(element)) {
        const auto *flag = std::find_if(std::begin(flags), std::end(flags),
                                        [&](const auto &f) { return f.element == element; });
        if (flag == std::end(flags)) {
            if (other == nullptr || !other(out, element))
                return false;
            continue;
        }
        std::string_view value;
        if (flag->takesValue && !args.value(value))
            return false;
        if (!flag->apply(out, value))
            return false;
        if (flag->operation != 0) {
            if (operation != 0 && operation != flag->operation)
                return false;
            operation = flag->operation;
        }
    }
    return true;
}

// The password, the options through `flags` (and `other`), and the archive
// path: the head of every ordinary vector. False when one of them is
// wrong or missing.
template <class Options, std::size_t N>
bool readHead(ArgumentVector &args, std::int32_t argc, char **argv,
              const OptionFlag<Options> (&flags)[N], Options &out, std::string_view &archive,
              bool (*other)(Options &, std::string_view) = nullptr) {
    if (!args.open(argc, argv))
        return false;
    out.password = args.password();
    return readOptions(args, flags, out, other) && args.next(archive);
}

// One section of the elements after the archive path: the element that
// starts it, and the list its elements go to.
template <class Options> struct Section {
    std::string_view element;
    std::vector<std::string> Options::*list = nullptr;
    // Instead of `list`, for a list that may run to a million elements:
    // views of them, which live as long as the vector the engine was
    // called with, so that no element is copied.
    std::vector<std::string_view> Options::*views = nullptr;
};

// Reads the elements after the archive path into the list of the section
// they are in, `first` until a section starts. `other` may take an element
// (and the ones after it) first; true when it did.
template <class Options, std::size_t N>
void readSections(ArgumentVector &args, const Section<Options> (&sections)[N],
                  std::vector<std::string> Options::*first, Options &out,
                  bool (*other)(ArgumentVector &, Options &, std::string_view) = nullptr) {
    std::vector<std::string> *list = &(out.*first);
    std::vector<std::string_view> *views = nullptr;
    std::string_view element;
    while (args.next(element)) {
        const auto *section = std::find_if(std::begin(sections), std::end(sections),
                                           [&](const auto &s) { return s.element == element; });
        if (section != std::end(sections)) {
            list = section->list != nullptr ? &(out.*(section->list)) : nullptr;
            views = section->views != nullptr ? &(out.*(section->views)) : nullptr;
        } else if (other == nullptr || !other(args, out, element)) {
            if (views != nullptr)
                views->push_back(element);
            else
                list->emplace_back(element);
        }
    }
}

} // namespace zipformat
