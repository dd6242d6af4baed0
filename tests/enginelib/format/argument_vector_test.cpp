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

struct Read {
    bool verbose = false;
    int operation = 0;
    std::string folder;
};

template <int op> bool choose(Read &out, std::string_view) {
    out.operation = op;
    return true;
}

// The flag table both engines read their options through.
TEST(ArgumentVector, OptionsReadThroughAFlagTable) {
    const zipformat::OptionFlag<Read> flags[] = {
        {"-v", zipformat::switchOn<&Read::verbose>},
        {"-d", zipformat::takeValue<&Read::folder>, true},
        {"-t", choose<1>, false, 1},
        {"-T", choose<1>, false, 1}, // another spelling of the same operation
        {"-z", choose<2>, false, 2},
    };
    struct Case {
        std::vector<const char *> argv;
        bool read;
        int operation; // what was chosen, when read
        const char *folder;
    };
    const Case cases[] = {
        {{"", "-v", "-d", "out", "-t", "a.zip"}, true, 1, "out"},
        {{"", "-t", "-T", "-t", "a.zip"}, true, 1, ""},
        {{"", "-z", "a.zip"}, true, 2, ""},
        {{"", "-t", "-z", "a.zip"}, false, 0, ""},
        {{"", "-q", "a.zip"}, false, 0, ""},
        {{"", "-d"}, false, 0, ""},
    };
    for (const Case &c : cases) {
        std::vector<char *> argv;
        for (const char *a : c.argv)
            argv.push_back(const_cast<char *>(a));
        zipformat::ArgumentVector args;
        ASSERT_TRUE(args.open(static_cast<std::int32_t>(argv.size()), argv.data()));
        Read out;
        ASSERT_EQ(zipformat::readOptions(args, flags, out), c.read) << c.argv[1];
        if (!c.read)
            continue;
        std::string_view archive;
        EXPECT_TRUE(args.next(archive) && archive == "a.zip") << c.argv[1];
        EXPECT_EQ(out.operation, c.operation) << c.argv[1];
        EXPECT_EQ(out.folder, c.folder) << c.argv[1];
        EXPECT_EQ(out.verbose, c.argv[1] == std::string_view("-v"));
    }
}

} // namespace
