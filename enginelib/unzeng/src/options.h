// The argument vector of an ordinary call, read into options.
#pragma once

#include "zipformat/status.h"
#include "zipformat/wipe.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zipread {

enum class Operation { Extract, List, Test, Comment };

struct Options {
    Operation operation = Operation::Extract;
    zipformat::SecretString password;
    std::string archive;
    std::string directory; // empty: the current folder
    bool directoryGiven = false;
    std::vector<std::string> names;
    // "-#": entries by position and name, views of the call's elements
    std::vector<std::string_view> entries;
    std::vector<std::string> excludes;
    bool freshen = false;       // -f
    bool update = false;        // -u
    bool junkPaths = false;     // -j
    bool neverReplace = false;  // -n
    bool alwaysReplace = false; // -o
    bool multidisk = false;     // -!
};

// Reads elements 0..argc-1: password, options, archive path, file elements,
// "-#" and the entries it names by identity, "-x" and its patterns, "-d"
// and its folder (the last three may follow the file elements). ENGINE_BAD_ARGUMENTS when the
// vector makes no sense.
zipformat::Status parseOptions(std::int32_t argc, char **argv, Options &out);

} // namespace zipread
