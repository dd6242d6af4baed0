// Turns the file elements of an add into the files and folders to store:
// recursion, wildcards in the last component, hidden files, include and
// exclude sections, stored-name rules and the "-j" duplicate check.
#pragma once

#include "options.h"
#include "zipformat/status.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace zipwrite {

struct Candidate {
    std::string diskPath;   // path to open, as reachable from the current folder
    std::string storedName; // name in the archive; folders end with "/"
    bool isDir = false;
    bool named = false; // named by an element itself, not found by recursion or wildcard
    struct stat st {};
};

struct Skip {
    std::string name;
    std::uint8_t reason;
};

struct Collection {
    std::vector<Candidate> items;
    std::vector<Skip> skips;
    // Folders entered by recursion, parents before children (for "-m").
    std::vector<std::string> walkedDirs;
};

// Stored name of a disk path: no leading "/", no "." or ".." components.
std::string storedNameOf(const std::string &path);

// ENGINE_DUPLICATE_NAMES for clashing names under "-j".
zipformat::Status collectFiles(const Options &opt, Collection &out);

} // namespace zipwrite
