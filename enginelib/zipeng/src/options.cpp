#include "options.h"

#include "engine_contract.h"

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

Status parseOptions(int argc, char **argv, Options &out) {
    const Status bad(ENGINE_BAD_ARGUMENTS);
    if (argc < 2 || argv == nullptr)
        return bad;
    for (int i = 0; i < argc; ++i)
        if (argv[i] == nullptr)
            return bad;

    Options opt;
    opt.password = argv[0];
    bool sawDelete = false, sawFix = false, sawDate = false, sawComment = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.size() < 2 || a[0] != '-')
            break;
        // An option's value, the next element; false when there is none.
        std::string v;
        auto value = [&]() {
            if (i + 1 >= argc)
                return false;
            v = argv[++i];
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
            if (method != "aes256" && method != "zipcrypto")
                return bad;
            opt.aes = method == "aes256";
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
    if (i >= argc)
        return bad;
    opt.archive = argv[i++];
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

    // File elements, then an optional include and an optional exclude section.
    std::vector<std::string> *target = &opt.files;
    for (; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "-i") {
            target = &opt.includes;
        } else if (a == "-x") {
            target = &opt.excludes;
        } else if (!a.empty()) {
            target->emplace_back(a);
        }
    }
    out = std::move(opt);
    return {};
}

} // namespace zipwrite
