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

zipformat::Status parseOptions(std::int32_t argc, char **argv, Options &out) {
    const zipformat::Status bad(ENGINE_BAD_ARGUMENTS);
    zipformat::ArgumentVector args;
    if (!args.open(argc, argv))
        return bad;

    Options opt;
    opt.password = args.password();
    bool sawDelete = false, sawFix = false, sawDate = false, sawComment = false;
    std::string_view element;
    while (args.nextOption(element)) {
        const std::string a(element);
        // An option's value, the next element; false when there is none.
        std::string v;
        auto value = [&]() {
            if (!args.value(element))
                return false;
            v = element;
            return true;
        };
        if (a.size() == 2 && a[1] >= '0' && a[1] <= '9') {
            opt.level = a[1] - '0';
        } else if (a == "-f") {
            opt.mode = AddMode::Freshen;
        } else if (a == "-u") {
            opt.mode = AddMode::Update;
        } else if (a == "-e") {
            opt.encrypt = true;
        } else if (a == "-Y") {
            if (!value())
                return bad;
            const std::string method = lower(v);
            if (method == "zipcrypto")
                opt.aesStrength = 0;
            else if (method == "aes128")
                opt.aesStrength = 1;
            else if (method == "aes192")
                opt.aesStrength = 2;
            else if (method == "aes256")
                opt.aesStrength = zipformat::kAesStrength256;
            else
                return bad;
        } else if (a == "-m") {
            opt.move = true;
        } else if (a == "-S") {
            opt.hidden = true;
        } else if (a == "-D") {
            opt.dirEntries = true;
        } else if (a == "-$") {
            // No volume labels on this system: accepted, without effect.
        } else if (a == "-!") {
            opt.multidisk = true;
        } else if (a == "-&") {
            opt.clearDisks = true;
        } else if (a == "-s") {
            if (!value())
                return bad;
            char *end = nullptr;
            errno = 0;
            const unsigned long long n = std::strtoull(v.c_str(), &end, 10);
            // Info-ZIP's smallest split; anything less is mostly headers.
            if (v.empty() || !std::isdigit(static_cast<unsigned char>(v[0])) || *end != '\0' ||
                errno != 0 || n < 65536)
                return bad;
            opt.pieceSize = n;
        } else if (a == "-r") {
            opt.recurse = true;
        } else if (a == "-j") {
            opt.junkPaths = true;
        } else if (a == "-y") {
            opt.storeLinks = true;
        } else if (a == "-g") {
            opt.grow = true;
        } else if (a == "-b") {
            if (!value())
                return bad;
            opt.tempDir = v;
        } else if (a == "-n") {
            if (!value())
                return bad;
            opt.storedExtensions = parseExtensionList(v);
        } else if (a == "-t") {
            if (!value() || !parseMmddyy(v, opt.earliest))
                return bad;
            opt.hasEarliest = true;
        } else if (a == "-d") {
            sawDelete = true;
        } else if (a == "-F") {
            sawFix = true;
        } else if (a == "-FF") {
            sawFix = true;
            opt.aggressiveFix = true;
        } else if (a == "-o") {
            sawDate = true;
        } else if (a == "-z") {
            sawComment = true;
        } else {
            return bad;
        }
    }
    if (!args.next(element))
        return bad;
    opt.archive = element;
    if (opt.archive.empty())
        return bad;

    const int operations = int(sawDelete) + int(sawFix) + int(sawDate) + int(sawComment);
    if (operations > 1)
        return bad;
    if (sawDelete)
        opt.operation = Operation::Delete;
    else if (sawFix)
        opt.operation = Operation::Fix;
    else if (sawDate)
        opt.operation = Operation::Date;
    else if (sawComment)
        opt.operation = Operation::Comment;

    // File elements, then optional sections: entries by identity, includes,
    // excludes.
    std::vector<std::string> *target = &opt.files;
    while (args.next(element)) {
        if (element == "-#") {
            target = &opt.entries;
        } else if (element == "-i") {
            target = &opt.includes;
        } else if (element == "-x") {
            target = &opt.excludes;
        } else if (!element.empty()) {
            target->emplace_back(element);
        }
    }
    out = std::move(opt);
    return {};
}

} // namespace zipwrite
