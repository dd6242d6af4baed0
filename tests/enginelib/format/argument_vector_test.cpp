// The argument vector both engines read: where options end, which element
// is the archive path, and what makes a vector no vector at all.
#include "zipformat/argument_vector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
    std::vector<const char *> argv;
    bool opens;
    std::string options; // read before the archive, "-d" taking a value: "-v,-d=out"
    std::string archive; // "(none)" when the options run to the end
    std::string rest;    // the elements after the archive, comma-separated
};

std::string readAll(zipformat::ArgumentVector &args, std::string &archive, std::string &rest) {
    std::string options;
    std::string_view e;
    while (args.nextOption(e)) {
        options += (options.empty() ? "" : ",") + std::string(e);
        if (e == "-d" && args.value(e))
            options += "=" + std::string(e);
    }
    archive = args.next(e) ? std::string(e) : "(none)";
    while (args.next(e))
        rest += (rest.empty() ? "" : ",") + std::string(e);
    return options;
}

TEST(ArgumentVector, ReadsPasswordOptionsArchiveAndFileElements) {
    const std::vector<Row> rows = {
        {{"pw"}, false, "", "", ""},
        {{"pw", nullptr}, false, "", "", ""},
        {{"", "-v", "-d", "out", "a.zip", "x", "-x", "y"}, true, "-v,-d=out", "a.zip", "x,-x,y"},
        {{"", "-", "b.zip"}, true, "", "-", "b.zip"}, // a lone "-" is no option
        {{"", "-6", "-r"}, true, "-6,-r", "(none)", ""},
        {{"", "-d"}, true, "-d", "(none)", ""}, // a value that is not there
        {{"", "c.zip", "-d"}, true, "", "c.zip", "-d"},
    };
    for (const Row &row : rows) {
        std::vector<char *> argv;
        for (const char *a : row.argv)
            argv.push_back(const_cast<char *>(a));
        zipformat::ArgumentVector args;
        const bool opened = args.open(static_cast<std::int32_t>(argv.size()), argv.data());
        ASSERT_EQ(opened, row.opens) << row.argv.size() << " elements";
        if (!opened)
            continue;
        EXPECT_EQ(args.password(), row.argv[0]);
        std::string archive, rest;
        EXPECT_EQ(readAll(args, archive, rest), row.options) << row.archive;
        EXPECT_EQ(archive, row.archive);
        EXPECT_EQ(rest, row.rest) << row.archive;
    }
}

} // namespace
