#include "options.h"

#include "engine_contract.h"
#include "zipformat/aes.h"
#include "zipformat/argument_vector.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace zipwrite {

namespace {

std::string lower(std::string s) {
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

bool parseMmddyy(const std::string &text, std::time_t &out) {
    if (text.size() != 6)
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    const int month = std::stoi(text.substr(0, 2));
    const int day = std::stoi(text.substr(2, 2));
    int year = std::stoi(text.substr(4, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    // Two-digit years as the MS-DOS epoch reads them: 80..99 are 19xx.
    year += year >= 80 ? 1900 : 2000;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_isdst = -1;
    out = std::mktime(&tm);
    return out != static_cast<std::time_t>(-1);
}

std::vector<std::string> parseExtensionList(const std::string &text) {
    std::vector<std::string> result;
    std::string current;
    auto flush = [&] {
        std::string ext = current;
        while (!ext.empty() && ext.front() == '.')
            ext.erase(ext.begin());
        while (!ext.empty() && ext.back() == ' ')
            ext.pop_back();
        while (!ext.empty() && ext.front() == ' ')
            ext.erase(ext.begin());
        if (!ext.empty())
            result.push_back(lower(ext));
        current.clear();
    };
    for (char c : text) {
        if (c == ';' || c == ':')
            flush();
        else
            current.push_back(c);
    }
    flush();
    return result;
}

namespace {

using Flag = zipformat::OptionFlag<Options>;
using zipformat::chooseOperation;
using zipformat::operationNumber;
using zipformat::switchOn;

bool aggressiveFix(Options &out, std::string_view) {
    out.aggressiveFix = true;
    return chooseOperation<Operation::Fix>(out, {});
}

template <AddMode mode> bool addMode(Options &out, std::string_view) {
    out.mode = mode;
    return true;
}

bool encryption(Options &out, std::string_view value) {
    const std::string method = lower(std::string(value));
    if (method == "zipcrypto")
        out.aesStrength = 0;
    else if (method == "aes128")
        out.aesStrength = 1;
    else if (method == "aes192")
        out.aesStrength = 2;
    else if (method == "aes256")
        out.aesStrength = zipformat::kAesStrength256;
    else
        return false;
    return true;
}

bool pieceSize(Options &out, std::string_view value) {
    const std::string v(value);
    char *end = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(v.c_str(), &end, 10);
    // Info-ZIP's smallest split; anything less is mostly headers.
    if (v.empty() || !std::isdigit(static_cast<unsigned char>(v[0])) || *end != '\0' ||
        errno != 0 || n < 65536)
        return false;
    out.pieceSize = n;
    return true;
}

bool storedExtensions(Options &out, std::string_view value) {
    out.storedExtensions = parseExtensionList(std::string(value));
    return true;
}

bool earliest(Options &out, std::string_view value) {
    return out.hasEarliest = parseMmddyy(std::string(value), out.earliest);
}

// No volume labels on this system: accepted, without effect.
bool volumeLabel(Options &, std::string_view) {
    return true;
}

// "-0" to "-9": the compression level.
bool level(Options &out, std::string_view element) {
    if (element.size() != 2 || element[1] < '0' || element[1] > '9')
        return false;
    out.level = element[1] - '0';
    return true;
}

// Each option before the archive path and what it sets.
const Flag kFlags[] = {
    {"-f", addMode<AddMode::Freshen>},
    {"-u", addMode<AddMode::Update>},
    {"-e", switchOn<&Options::encrypt>},
    {"-Y", encryption, true},
    {"-m", switchOn<&Options::move>},
    {"-S", switchOn<&Options::hidden>},
    {"-D", switchOn<&Options::dirEntries>},
    {"-$", volumeLabel},
    {"-!", switchOn<&Options::multidisk>},
    {"-&", switchOn<&Options::clearDisks>},
    {"-s", pieceSize, true},
    {"-r", switchOn<&Options::recurse>},
    {"-j", switchOn<&Options::junkPaths>},
    {"-g", switchOn<&Options::grow>},
    {"-y", switchOn<&Options::storeLinks>},
    {"-b", zipformat::takeValue<&Options::tempDir>, true},
    {"-n", storedExtensions, true},
    {"-t", earliest, true},
    {"-d", chooseOperation<Operation::Delete>, false, operationNumber(Operation::Delete)},
    {"-F", chooseOperation<Operation::Fix>, false, operationNumber(Operation::Fix)},
    {"-FF", aggressiveFix, false, operationNumber(Operation::Fix)},
    {"-o", chooseOperation<Operation::Date>, false, operationNumber(Operation::Date)},
    {"-z", chooseOperation<Operation::Comment>, false, operationNumber(Operation::Comment)},
};

// After the archive path, the file elements come first.
const zipformat::Section<Options> kSections[] = {
    {"-#", nullptr, &Options::entries},
    {"-i", &Options::includes},
    {"-x", &Options::excludes},
};

// Empty elements name nothing.
bool dropEmpty(zipformat::ArgumentVector &, Options &, std::string_view element) {
    return element.empty();
}

} // namespace

zipformat::Status parseOptions(std::int32_t argc, char **argv, Options &out) {
    const zipformat::Status bad(ENGINE_BAD_ARGUMENTS);
    zipformat::ArgumentVector args;
    Options opt;
    std::string_view archive;
    if (!zipformat::readHead(args, argc, argv, kFlags, opt, archive, level) || archive.empty())
        return bad;
    opt.archive = archive;
    zipformat::readSections(args, kSections, &Options::files, opt, dropEmpty);
    out = std::move(opt);
    return {};
}

} // namespace zipwrite
