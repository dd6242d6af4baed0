#include "zipformat/argument_vector.h"

namespace zipformat {

bool ArgumentVector::open(std::int32_t argc, char **argv) noexcept {
    if (argc < 2 || argv == nullptr)
        return false;
    for (std::int32_t i = 0; i < argc; ++i) {
        if (argv[i] == nullptr)
            return false;
    }
    argc_ = argc;
    argv_ = argv;
    at_ = 1;
    return true;
}

bool ArgumentVector::nextOption(std::string_view &out) noexcept {
    if (atEnd())
        return false;
    const std::string_view e = argv_[at_];
    if (e.size() < 2 || e[0] != '-')
        return false;
    out = e;
    ++at_;
    return true;
}

bool ArgumentVector::next(std::string_view &out) noexcept {
    if (atEnd())
        return false;
    out = argv_[at_++];
    return true;
}

} // namespace zipformat
