// Archives of other formats than ZIP, made at test time by the field's
// tools: read through the same calls with the same messages, refused
// nowhere but where a write would be, and extracted as safely as ZIP.
#include "library_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

struct Format {
    const char *label;    // also the archive's file name
    const char *tool;     // needed to make it
    const char *make;     // run in the tree's parent; %A is the archive
    const char *typeName; // as message 150 names it
};

const Format kFormats[] = {
    {"t.tar", "bsdtar", "bsdtar -cf %A tree", "tar"},
    {"t.tar.gz", "bsdtar", "bsdtar -czf %A tree", "tar.gz"},
    {"t.tar.xz", "bsdtar", "bsdtar -cJf %A tree", "tar.xz"},
    {"t.tar.bz2", "bsdtar", "bsdtar -cjf %A tree", "tar.bz2"},
    {"t.tar.zst", "zstd", "bsdtar --zstd -cf %A tree", "tar.zst"},
    {"t.7z", "7zz", "7zz a -snl %A tree", "7-Zip"},
    {"t.iso", "xorriso", "xorriso -as mkisofs -R -J -o %A tree", "ISO 9660"},
    {"t.cpio", "cpio", "find tree | cpio -o -H newc > %A", "cpio"},
    // Named by content, never by name: a tar.gz called .dat opens too.
    {"tgz-misnamed.dat", "bsdtar", "bsdtar -czf %A tree", "tar.gz"},
};

fs::path makeTree(const TempDir &dir) {
    fs::path tree = dir / "tree";
    writeFile(tree / "text.txt", textData(300000));
    writeFile(tree / "noise.bin", randomData(100000));
    writeFile(tree / "empty.txt", "");
    writeFile(tree / "sub/h\xc3\xa9llo w\xc3\xb6rld.txt", "unicode name\n");
    fs::create_symlink("../text.txt", tree / "sub/link");
    fs::create_hard_link(tree / "text.txt", tree / "sub/hard.txt");
    fs::create_directory(tree / "emptydir");
    return tree;
}

std::string make(const TempDir &dir, const std::string &label, std::string command) {
    const std::string archive = (dir / label).string();
    for (std::size_t at; (at = command.find("%A")) != std::string::npos;)
        command.replace(at, 2, quote(archive));
    EXPECT_EQ(shell("cd " + quote(dir.path().string()) + " && (" + command + ") >/dev/null 2>&1"),
              0)
        << command;
    return archive;
}

// Names without a leading "./" or a trailing "/", and the root itself left
// out: tools differ in those spellings only.
std::string plain(std::string name) {
    if (name.rfind("./", 0) == 0)
        name.erase(0, 2);
    while (!name.empty() && name.back() == '/')
        name.pop_back();
    return name;
}

std::vector<std::string> sortedPlain(const std::vector<std::string> &names) {
    std::vector<std::string> out;
    for (const std::string &n : names) {
        if (!plain(n).empty() && plain(n) != ".")
            out.push_back(plain(n));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> bsdtarNames(const std::string &archive, const fs::path &scratch) {
    shell("bsdtar -tf " + quote(archive) + " > " + quote(scratch.string()));
    std::istringstream in(readFile(scratch));
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);)
        names.push_back(line);
    return sortedPlain(names);
}

template <class T> std::string caseName(const ::testing::TestParamInfo<T> &param) {
    std::string name = param.param.label;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !isalnum(static_cast<unsigned char>(c)); },
        '_');
    return name;
}

class OtherFormatTest : public ::testing::TestWithParam<Format> {};

TEST_P(OtherFormatTest, ListsTestsAndExtractsAsBsdtarDoes) {
    const Format &f = GetParam();
    if (!haveTool(f.tool) || !haveTool("bsdtar"))
        GTEST_SKIP() << f.tool << " is not installed";
    TempDir dir;
    makeTree(dir);
    const std::string archive = make(dir, f.label, f.make);

    Engine engine;
    ASSERT_EQ(engine.run({"", "-v", archive}), ENGINE_OK);
    ASSERT_FALSE(engine.messages.empty());
    EXPECT_EQ(engine.messages.front().code, ENGINE_MSG_READ_ONLY);
    EXPECT_EQ(engine.messages.front().text, f.typeName);
    const std::vector<std::string> listed = engine.names(ENGINE_MSG_LISTING);
    EXPECT_EQ(sortedPlain(listed), bsdtarNames(archive, dir / "names.txt"));

    // The queries the window and the archive information make.
    ASSERT_EQ(engine.query(ENGINE_QUERY_COUNT, archive), ENGINE_OK);
    EXPECT_EQ(engine.count(ENGINE_MSG_READ_ONLY), 1);
    ASSERT_EQ(engine.withCode(ENGINE_MSG_COUNT).size(), 1u);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_COUNT)[0].count, static_cast<int>(listed.size()));
    ASSERT_EQ(engine.query(static_cast<std::int32_t>(listed.size()), archive), ENGINE_OK);
    EXPECT_EQ(engine.names(ENGINE_MSG_ENTRY), std::vector<std::string>{listed.back()});

    EXPECT_EQ(engine.run({"", "-t", archive}), ENGINE_OK);
    EXPECT_EQ(engine.count(ENGINE_MSG_SKIPPING), 0);

    const fs::path ours = dir / "ours", theirs = dir / "theirs";
    fs::create_directory(theirs);
    ASSERT_EQ(engine.run({"", archive, "-d", ours.string()}), ENGINE_OK);
    ASSERT_EQ(sh("bsdtar -xf " + quote(archive) + " -C " + quote(theirs.string())), 0);
    EXPECT_EQ(sh("diff -r --no-dereference " + quote(ours.string()) + " " + quote(theirs.string())),
              0);
}

INSTANTIATE_TEST_SUITE_P(Formats, OtherFormatTest, ::testing::ValuesIn(kFormats), caseName<Format>);

// Selection, overwrite and freshen rules are the ZIP ones; one run of each
// over a tar.gz shows the walk applies them.
TEST(OtherFormatRules, NamesPatternsAndFreshenSelectAsForZip) {
    TempDir dir;
    makeTree(dir);
    const std::string archive = make(dir, "t.tgz", "bsdtar -czf %A tree");
    const fs::path out = dir / "out";
    Engine engine;
    EXPECT_EQ(engine.run({"", archive, "tree/t*", "nothere", "-x", "*.bin", "-d", out.string()}),
              ENGINE_SOME_SKIPPED);
    EXPECT_EQ(engine.names(ENGINE_MSG_EXTRACTING), std::vector<std::string>{"tree/text.txt"});
    EXPECT_EQ(engine.reasons(), std::vector<int>{ENGINE_SKIP_NOT_FOUND});
    // The file on disk is newer: freshen keeps it and says why.
    writeFile(out / "tree/text.txt", "mine");
    EXPECT_EQ(engine.run({"", "-f", archive, "tree/text.txt", "-d", out.string()}), ENGINE_OK);
    EXPECT_EQ(engine.reasons(), std::vector<int>{ENGINE_SKIP_UP_TO_DATE});
    EXPECT_EQ(readFile(out / "tree/text.txt"), "mine");
}

// The published ways out of an extraction folder, each as a tar made by
// Python's tarfile: nothing may appear outside "target", and every refused
// entry is reported as a file that could not be opened.
struct Hostile {
    const char *label;
    const char *members; // Python: a list of (TarInfo, data) built from `outside`
    std::vector<std::string> refused;
};

const Hostile kHostile[] = {
    {"dotdot", "[(f('../evil'), b'x')]", {"../evil"}},
    {"absolute", "[(f(outside + '/evil'), b'x')]", {"OUTSIDE/evil"}},
    {"link to root, written through",
     "[(l('root', '/'), b''), (f('root' + outside + '/evil'), b'x')]",
     {"root"}},
    {"link out as parent folder", "[(l('up', '..'), b''), (f('up/evil'), b'x')]", {"up"}},
    {"link in as parent folder", "[(l('in', '.'), b''), (f('in/x'), b'x')]", {"in/x"}},
    {"hard link to a file outside, then written",
     "[(h('hl', outside + '/victim'), b''), (f('hl'), b'new')]",
     {"hl"}},
    {"hard link climbing out", "[(h('hl', '../victim'), b'')]", {"hl"}},
    {"device and fifo",
     "[(d('dev', tarfile.CHRTYPE), b''), (d('fifo', tarfile.FIFOTYPE), b'')]",
     {"dev", "fifo"}},
};

class HostileTarTest : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileTarTest, WritesNothingOutsideTheTarget) {
    const Hostile &h = GetParam();
    if (!haveTool("python3"))
        GTEST_SKIP() << "python3 is not installed";
    TempDir dir;
    const std::string outside = (dir / "outside").string();
    writeFile(dir / "outside/victim", "victim");
    const std::string archive = (dir / "hostile.tar").string();
    const std::string script = "import io, tarfile, sys\n"
                               "outside = sys.argv[2]\n"
                               "def f(n):\n t = tarfile.TarInfo(n); t.mode = 0o4755; return t\n"
                               "def l(n, to):\n"
                               " t = tarfile.TarInfo(n); t.type = tarfile.SYMTYPE; t.linkname = "
                               "to; return t\n"
                               "def h(n, to):\n"
                               " t = tarfile.TarInfo(n); t.type = tarfile.LNKTYPE; t.linkname = "
                               "to; return t\n"
                               "def d(n, kind):\n t = tarfile.TarInfo(n); t.type = kind; return t\n"
                               "with tarfile.open(sys.argv[1], 'w', format=tarfile.GNU_FORMAT) "
                               "as tar:\n"
                               " for info, data in " +
                               std::string(h.members) +
                               ":\n"
                               "  info.size = len(data); tar.addfile(info, io.BytesIO(data))\n";
    writeFile(dir / "make.py", script);
    ASSERT_EQ(shell("python3 " + quote((dir / "make.py").string()) + " " + quote(archive) + " " +
                    quote(outside)),
              0);
    const fs::path target = dir / "target";
    Engine engine;
    EXPECT_EQ(engine.run({"", "-o", archive, "-d", target.string()}), ENGINE_SOME_SKIPPED);
    std::vector<std::string> refused;
    for (const Message &m : engine.withCode(ENGINE_MSG_SKIPPING)) {
        EXPECT_EQ(m.reason, ENGINE_SKIP_CANNOT_OPEN) << m.name;
        std::string name = m.name;
        if (name.rfind(outside, 0) == 0)
            name = "OUTSIDE" + name.substr(outside.size());
        else if (name.rfind("root" + outside, 0) == 0)
            name = "root";
        refused.push_back(name);
    }
    EXPECT_EQ(refused, h.refused);
    // Only the victim is outside, untouched; nothing is set-user-ID.
    std::vector<std::string> around;
    for (const auto &e : fs::directory_iterator(dir.path()))
        around.push_back(e.path().filename().string());
    std::sort(around.begin(), around.end());
    EXPECT_EQ(around, (std::vector<std::string>{"hostile.tar", "make.py", "outside", "target"}));
    EXPECT_EQ(readFile(dir / "outside/victim"), "victim");
    EXPECT_FALSE(fs::exists(dir / "outside/evil"));
    for (const auto &e : fs::recursive_directory_iterator(target)) {
        EXPECT_TRUE(e.is_regular_file() || e.is_directory()) << e.path();
        EXPECT_EQ(fs::status(e.path()).permissions() & fs::perms::set_uid, fs::perms::none);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTarTest, ::testing::ValuesIn(kHostile), caseName<Hostile>);

// A file that no reading opens is told apart from a damaged ZIP archive,
// which Fix may still repair.
TEST(OtherFormatRules, NoArchiveAtAllIsNotCalledDamaged) {
    TempDir dir;
    const struct {
        const char *name;
        std::string bytes;
        int code;
    } cases[] = {
        {"picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + randomData(500),
         ENGINE_NOT_ARCHIVE},
        {"empty.zip", "", ENGINE_NOT_ARCHIVE},
        {"cut.zip", std::string("PK\x03\x04", 4) + randomData(300), ENGINE_BAD_ARCHIVE},
    };
    for (const auto &c : cases) {
        writeFile(dir / c.name, c.bytes);
        Engine engine;
        EXPECT_EQ(engine.run({"", "-v", (dir / c.name).string()}), c.code) << c.name;
        EXPECT_EQ(engine.query(ENGINE_QUERY_COUNT, (dir / c.name).string()), c.code) << c.name;
    }
}

} // namespace
