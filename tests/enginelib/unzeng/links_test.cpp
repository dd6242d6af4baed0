// Link entries of a ZIP archive against the published ways out of an
// extraction folder: links are made only where they stay inside, and no
// entry is written through a link, whether the archive made it or it was
// already there.
#include "library_harness.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

struct LinkCase {
    const char *label;
    // Python: a list of (name, data, mode) built with f(name, data) and
    // l(name, target), `outside` naming the folder beside the target.
    const char *entries;
    const char *planted; // a link made in the target before, to `outside`
    std::vector<std::string> refused;
    std::vector<std::pair<std::string, std::string>> links; // made: name, text
    const char *replaced = ""; // a link whose place a later file took, holding "new"
};

const LinkCase kCases[] = {
    {"link to an absolute folder, then written through",
     "[l('evil', outside), f('evil/x', b'x')]",
     "",
     {"evil"},
     {}},
    {"link as a parent folder",
     "[f('sub/a', b'a'), l('in', 'sub'), f('in/x', b'x')]",
     "",
     {"in/x"},
     {{"in", "sub"}}},
    {"link already in the target as a parent folder", "[f('pre/x', b'x')]", "pre", {"pre/x"}, {}},
    {"target climbing out",
     "[l('a/up', '../../x'), l('a/in', '../t')]",
     "",
     {"a/up"},
     {{"a/in", "../t"}}},
    {"absolute target, then a file of its name",
     "[l('abs', outside + '/victim'), f('abs', b'new')]",
     "",
     {"abs"},
     {},
     "abs"},
    {"link replaced by a later entry of the same name",
     "[f('t', b't'), l('same', 't'), f('same', b'new')]",
     "",
     {},
     {},
     "same"},
    {"link already in the target replaced by an entry", "[f('pre', b'new')]", "pre", {}, {}, "pre"},
};

TEST(LinkEntries, NoneLeadsAWriteOutsideTheTarget) {
    if (!haveTool("python3"))
        GTEST_SKIP() << "python3 is not installed";
    for (const LinkCase &c : kCases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        const std::string outside = (dir / "outside").string();
        writeFile(dir / "outside/victim", "victim");
        const fs::path target = dir / "target";
        fs::create_directories(target);
        if (*c.planted != '\0')
            fs::create_symlink(outside, target / c.planted);
        const std::string archive = (dir / "links.zip").string();
        writeFile(dir / "make.py",
                  "import zipfile, sys\n"
                  "outside = sys.argv[2]\n"
                  "def f(n, d): return (n, d, 0o100644)\n"
                  "def l(n, to): return (n, to.encode(), 0o120777)\n"
                  "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                  " for n, d, mode in " +
                      std::string(c.entries) +
                      ":\n"
                      "  i = zipfile.ZipInfo(n, (2020, 1, 1, 0, 0, 0)); i.create_system = 3\n"
                      "  i.external_attr = mode << 16; z.writestr(i, d)\n");
        ASSERT_EQ(shell("python3 " + quote((dir / "make.py").string()) + " " + quote(archive) +
                        " " + quote(outside)),
                  0);
        Engine engine;
        EXPECT_EQ(engine.run({"", "-o", archive, "-d", target.string()}),
                  c.refused.empty() ? ENGINE_OK : ENGINE_SOME_SKIPPED);
        std::vector<std::string> refused;
        for (const Message &m : engine.withCode(ENGINE_MSG_SKIPPING)) {
            EXPECT_EQ(m.reason, ENGINE_SKIP_CANNOT_OPEN) << m.name;
            refused.push_back(m.name);
        }
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(fs::directory_iterator(dir / "outside")->path().filename(), "victim");
        EXPECT_EQ(readFile(dir / "outside/victim"), "victim");
        EXPECT_FALSE(fs::exists(dir / "outside/x"));
        std::vector<std::pair<std::string, std::string>> links;
        for (const auto &e : fs::recursive_directory_iterator(target)) {
            const std::string name = e.path().lexically_relative(target).string();
            if (e.is_symlink() && name != c.planted)
                links.emplace_back(name, fs::read_symlink(e.path()).string());
        }
        EXPECT_EQ(links, c.links);
        if (*c.replaced != '\0') {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target / c.replaced)));
            EXPECT_EQ(readFile(target / c.replaced), "new");
        }
    }
}

} // namespace
