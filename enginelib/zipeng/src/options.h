// The argument vector of the compressing side, parsed into one structure.
#pragma once

#include "zipformat/status.h"
#include "zipformat/wipe.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace zipwrite {

enum class Operation { Add, Delete, Fix, Date, Comment };
enum class AddMode { Plain, Freshen, Update };

struct Options {
    Operation operation = Operation::Add;
    AddMode mode = AddMode::Plain;
    zipformat::SecretString password;
    bool encrypt = false;
    // "-Y" "aes256" ("zipcrypto" is the default): encrypted entries are
    // written as WinZip AE-2 with 256-bit keys instead of PKWARE's
    // traditional encryption; "aes128" and "aes192" give the shorter keys,
    // so that an entry put back keeps the strength it had. The strength
    // code of the 0x9901 field (1 to 3), 0 for PKWARE's.
    std::uint8_t aesStrength = 0;
    int level = 6;
    bool move = false;
    bool hidden = false;
    bool dirEntries = false;
    bool recurse = false;
    bool junkPaths = false;
    // "-y": a symbolic link is stored as the link itself (its text as the
    // entry's data, mode 0120000), not as the file it names.
    bool storeLinks = false;
    bool grow = false;
    bool aggressiveFix = false;
    bool multidisk = false;      // "-!": a new archive written as a set of pieces
    bool clearDisks = false;     // "-&": an older set's pieces go first
    std::uint64_t pieceSize = 0; // "-s": pieces end at this size (0: at a full medium)
    std::string tempDir;
    std::vector<std::string> storedExtensions; // lower case, without the dot
    bool hasEarliest = false;
    std::time_t earliest = 0; // local midnight of the "-t" date
    std::string archive;
    std::vector<std::string> files;
    // "-#": entries by position and name (delete), views of the call's
    // elements
    std::vector<std::string_view> entries;
    std::vector<std::string> includes;
    std::vector<std::string> excludes;
};

// Parses argv (argc >= 2). ENGINE_BAD_ARGUMENTS when the vector makes no
// sense.
zipformat::Status parseOptions(std::int32_t argc, char **argv, Options &out);

// "mmddyy" to local midnight of that day; false when malformed.
bool parseMmddyy(const std::string &text, std::time_t &out);

// Splits ".ZIP;.lzh:arc" into {"zip", "lzh", "arc"}.
std::vector<std::string> parseExtensionList(const std::string &text);

} // namespace zipwrite
