#include "options.h"

#include "engine_contract.h"
#include "zipformat/argument_vector.h"

#include <string_view>

namespace zipread {
namespace {

using Flag = zipformat::OptionFlag<Options>;
using zipformat::chooseOperation;
using zipformat::operationNumber;
using zipformat::switchOn;

bool directory(Options &out, std::string_view value) {
    out.directory = value;
    out.directoryGiven = true;
    return true;
}

// Each option before the archive path and what it sets.
const Flag kFlags[] = {
    {"-v", chooseOperation<Operation::List>, false, operationNumber(Operation::List)},
    {"-t", chooseOperation<Operation::Test>, false, operationNumber(Operation::Test)},
    {"-z", chooseOperation<Operation::Comment>, false, operationNumber(Operation::Comment)},
    {"-f", switchOn<&Options::freshen>},
    {"-u", switchOn<&Options::update>},
    {"-j", switchOn<&Options::junkPaths>},
    {"-n", switchOn<&Options::neverReplace>},
    {"-o", switchOn<&Options::alwaysReplace>},
    {"-!", switchOn<&Options::multidisk>},
    {"-d", directory, true},
};

// After the archive path, the file elements come first.
const zipformat::Section<Options> kSections[] = {
    {"-x", &Options::excludes},
    {"-#", nullptr, &Options::entries},
};

// A "-d" with its folder may follow the file elements when none came before.
bool lateDirectory(zipformat::ArgumentVector &args, Options &out, std::string_view element) {
    return element == "-d" && !out.directoryGiven && args.value(element) && directory(out, element);
}

} // namespace

zipformat::Status parseOptions(std::int32_t argc, char **argv, Options &out) {
    const zipformat::Status bad(ENGINE_BAD_ARGUMENTS);
    zipformat::ArgumentVector args;
    std::string_view archive;
    if (!zipformat::readHead(args, argc, argv, kFlags, out, archive))
        return bad;
    out.archive = archive;
    zipformat::readSections(args, kSections, &Options::names, out, lateDirectory);
    if (out.neverReplace && out.alwaysReplace)
        return bad;
    return {};
}

} // namespace zipread
