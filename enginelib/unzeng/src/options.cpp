#include "options.h"

#include "engine_contract.h"
#include "zipformat/argument_vector.h"

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

zipformat::Status parseOptions(std::int32_t argc, char **argv, Options &out) {
    const zipformat::Status bad(ENGINE_BAD_ARGUMENTS);
    zipformat::ArgumentVector args;
    if (!args.open(argc, argv))
        return bad;
    out.password = args.password();
    int operations = 0;
    bool haveDirectory = false;
    std::string_view e;
    while (args.nextOption(e)) {
        if (e == "-d") {
            if (!args.value(e))
                return bad;
            out.directory = e;
            haveDirectory = true;
        } else if (!applyOption(e, out, operations)) {
            return bad;
        }
    }
    if (!args.next(e) || operations > 1)
        return bad;
    out.archive = e;
    std::vector<std::string> *target = &out.names;
    while (args.next(e)) {
        if (e == "-x") {
            target = &out.excludes;
        } else if (e == "-#") {
            target = &out.entries;
        } else if (e == "-d" && !haveDirectory && args.value(e)) {
            out.directory = e;
            haveDirectory = true;
        } else {
            target->emplace_back(e);
        }
    }
    if (out.neverReplace && out.alwaysReplace)
        return bad;
    return {};
}

} // namespace zipread
