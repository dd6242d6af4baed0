#include "options.h"

#include "engine_contract.h"

#include <string_view>

namespace zipread {
namespace {

// Applies one option element before the archive path; false if unknown.
bool applyOption(std::string_view opt, Options &out, int &operations) {
    if (opt == "-v") {
        out.operation = Operation::List;
        ++operations;
    } else if (opt == "-t") {
        out.operation = Operation::Test;
        ++operations;
    } else if (opt == "-z") {
        out.operation = Operation::Comment;
        ++operations;
    } else if (opt == "-f") {
        out.freshen = true;
    } else if (opt == "-u") {
        out.update = true;
    } else if (opt == "-j") {
        out.junkPaths = true;
    } else if (opt == "-n") {
        out.neverReplace = true;
    } else if (opt == "-o") {
        out.alwaysReplace = true;
    } else if (opt == "-!") {
        out.multidisk = true;
    } else {
        return false;
    }
    return true;
}

} // namespace

Status parseOptions(std::int32_t argc, char **argv, Options &out) {
    if (argc < 2 || argv == nullptr)
        return Status(ENGINE_BAD_ARGUMENTS);
    for (std::int32_t i = 0; i < argc; ++i) {
        if (argv[i] == nullptr)
            return Status(ENGINE_BAD_ARGUMENTS);
    }
    out.password = argv[0];
    int operations = 0;
    std::int32_t i = 1;
    bool haveDirectory = false;
    for (; i < argc; ++i) {
        std::string_view e = argv[i];
        if (e == "-d") {
            if (i + 1 >= argc)
                return Status(ENGINE_BAD_ARGUMENTS);
            out.directory = argv[++i];
            haveDirectory = true;
            continue;
        }
        if (e.size() < 2 || e[0] != '-')
            break;
        if (!applyOption(e, out, operations))
            return Status(ENGINE_BAD_ARGUMENTS);
    }
    if (i >= argc || operations > 1)
        return Status(ENGINE_BAD_ARGUMENTS);
    out.archive = argv[i++];
    bool excluding = false;
    for (; i < argc; ++i) {
        std::string_view e = argv[i];
        if (e == "-x") {
            excluding = true;
        } else if (e == "-d" && i + 1 < argc && !haveDirectory) {
            out.directory = argv[++i];
            haveDirectory = true;
        } else if (excluding) {
            out.excludes.emplace_back(e);
        } else {
            out.names.emplace_back(e);
        }
    }
    if (out.neverReplace && out.alwaysReplace)
        return Status(ENGINE_BAD_ARGUMENTS);
    return {};
}

} // namespace zipread
