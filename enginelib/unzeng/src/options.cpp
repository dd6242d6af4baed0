#include "options.h"

#include "engine_contract.h"
#include "zipformat/argument_vector.h"

#include <string_view>

namespace zipread {
namespace {

using Flag = zipformat::OptionFlag<Options>;
using zipformat::switchOn;

template <Operation op> bool choose(Options &out, std::string_view) {
    out.operation = op;
    return true;
}
constexpr int number(Operation op) {
    return 1 + static_cast<int>(op);
}

bool directory(Options &out, std::string_view value) {
    out.directory = value;
    out.directoryGiven = true;
    return true;
}

// Each option before the archive path and what it sets.
const Flag kFlags[] = {
    {"-v", choose<Operation::List>, false, number(Operation::List)},
    {"-t", choose<Operation::Test>, false, number(Operation::Test)},
    {"-z", choose<Operation::Comment>, false, number(Operation::Comment)},
    {"-f", switchOn<&Options::freshen>},
    {"-u", switchOn<&Options::update>},
    {"-j", switchOn<&Options::junkPaths>},
    {"-n", switchOn<&Options::neverReplace>},
    {"-o", switchOn<&Options::alwaysReplace>},
    {"-!", switchOn<&Options::multidisk>},
    {"-d", directory, true},
};

// After the archive path: the file elements, then the "-#" and "-x"
// sections, and a "-d" with its folder when none came before.
void readSections(zipformat::ArgumentVector &args, Options &out) {
    std::vector<std::string> *target = &out.names;
    std::string_view e;
    while (args.next(e)) {
        if (e == "-x") {
            target = &out.excludes;
        } else if (e == "-#") {
            target = &out.entries;
        } else if (e == "-d" && !out.directoryGiven && args.value(e)) {
            out.directory = e;
            out.directoryGiven = true;
        } else {
            target->emplace_back(e);
        }
    }
}

} // namespace

zipformat::Status parseOptions(std::int32_t argc, char **argv, Options &out) {
    const zipformat::Status bad(ENGINE_BAD_ARGUMENTS);
    zipformat::ArgumentVector args;
    if (!args.open(argc, argv))
        return bad;
    out.password = args.password();
    std::string_view archive;
    if (!zipformat::readOptions(args, kFlags, out) || !args.next(archive))
        return bad;
    out.archive = archive;
    readSections(args, out);
    if (out.neverReplace && out.alwaysReplace)
        return bad;
    return {};
}

} // namespace zipread
