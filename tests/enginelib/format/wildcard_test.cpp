// The patterns of a request select the same entries in every operation of
// both engines: adding, deleting, extracting and testing.
#include "library_harness.h"

#include <algorithm>
#include <functional>
#include <set>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

using Names = std::set<std::string>;
using Elements = std::vector<std::string>;

class WildcardSelection : public ZipTest {
protected:
    // The names an operation went through, with `exclude` left out when given.
    Names selected(const std::function<int(const Elements &, Recorder &)> &op, std::int32_t message,
                   const char *exclude) {
        Recorder rec;
        Elements extra;
        if (exclude)
            extra = {"-x", exclude};
        EXPECT_EQ(op(extra, rec), ENGINE_OK) << (exclude ? exclude : "");
        const std::vector<std::string> names = rec.names(message);
        return Names(names.begin(), names.end());
    }
};

Elements operator+(Elements a, const Elements &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(WildcardSelection, ExcludedAlikeInAddDeleteExtractAndTest) {
    for (const char *f :
         {"Makefile", "a.o", "src/Makefile", "src/a.o", "src/dir/Makefile", "src/dir/b.o"})
        writeFile(f, f);
    const Elements files = {"Makefile", "a.o", "src"};
    ASSERT_EQ(runZip(Elements{"", "-r", "all.zip"} + files), ENGINE_OK);

    struct Operation {
        const char *name;
        std::int32_t message;
        std::function<int(const Elements &, Recorder &)> run;
    };
    const Operation operations[] = {
        {"add", ENGINE_MSG_ADDING,
         [&](const Elements &x, Recorder &rec) {
             fs::remove("new.zip");
             return runZip(Elements{"", "-r", "new.zip"} + files + x, &rec);
         }},
        {"delete", ENGINE_MSG_DELETING,
         [](const Elements &x, Recorder &rec) {
             fs::copy_file("all.zip", "d.zip", fs::copy_options::overwrite_existing);
             return runZip(Elements{"", "-d", "d.zip", "*"} + x, &rec);
         }},
        {"extract", ENGINE_MSG_EXTRACTING,
         [](const Elements &x, Recorder &rec) {
             fs::remove_all("out");
             return runUnzip(Elements{"", "all.zip", "*"} + x + Elements{"-d", "out"}, &rec);
         }},
        {"test", ENGINE_MSG_TESTING,
         [](const Elements &x, Recorder &rec) {
             return runUnzip(Elements{"", "-t", "all.zip", "*"} + x, &rec);
         }},
    };
    // As with zip -x and unzip -x: the whole name, "*" crossing "/"; and, as
    // a requested name always did, a folder also by its name without the "/".
    struct Row {
        const char *pattern;
        Names excluded;
    };
    const Row rows[] = {
        {"Makefile", {"Makefile"}},
        {"*Makefile", {"Makefile", "src/Makefile", "src/dir/Makefile"}},
        {"*/Makefile", {"src/Makefile", "src/dir/Makefile"}},
        {"src/*.o", {"src/a.o", "src/dir/b.o"}},
        {"src/d?r", {"src/dir/"}},
        {"src/*",
         {"src/", "src/Makefile", "src/a.o", "src/dir/", "src/dir/Makefile", "src/dir/b.o"}},
    };
    for (const Operation &op : operations) {
        const Names all = selected(op.run, op.message, nullptr);
        ASSERT_TRUE(all.count("src/dir/b.o")) << op.name;
        for (const Row &row : rows) {
            Names expected;
            std::set_difference(all.begin(), all.end(), row.excluded.begin(), row.excluded.end(),
                                std::inserter(expected, expected.end()));
            EXPECT_EQ(selected(op.run, op.message, row.pattern), expected)
                << op.name << " -x " << row.pattern;
        }
    }
}

} // namespace
