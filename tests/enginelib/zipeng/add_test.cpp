// Adding files: what lands in the archive, and that every peer reads it.
#include "library_harness.h"

#include <sys/stat.h>
#include <utime.h>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

void makeTree() {
    writeFile("tree/a.txt", textData(20000, 1));
    writeFile("tree/empty", "");
    writeFile("tree/sub/b.c", textData(70000, 2));
    writeFile("tree/sub/noise.bin", randomData(30000, 3));
    writeFile("tree/sub/packed.ZIP", textData(5000, 4));
    writeFile("tree/sub/\xc3\xbcn\xc3\xaf.txt", "unicode name\n");
    writeFile("tree/.hidden", "hidden\n");
    fs::create_directories("tree/emptydir");
}

class LevelTest : public ZipTest, public ::testing::WithParamInterface<int> {};

TEST_P(LevelTest, TreeAtEveryLevelPassesEveryPeer) {
    makeTree();
    Recorder rec;
    const std::string level = "-" + std::to_string(GetParam());
    ASSERT_EQ(
        runZip({"", level, "-r", "-D", "-n", ".ZIP;.LZH", "-t", "010180", "t.zip", "tree"}, &rec),
        ENGINE_OK);
    EXPECT_TRUE(peersAccept("t.zip"));
    const std::vector<std::string> expected = {"tree/",
                                               "tree/a.txt",
                                               "tree/empty",
                                               "tree/emptydir/",
                                               "tree/sub/",
                                               "tree/sub/b.c",
                                               "tree/sub/noise.bin",
                                               "tree/sub/packed.ZIP",
                                               "tree/sub/\xc3\xbcn\xc3\xaf.txt"};
    EXPECT_EQ(listNames("t.zip"), expected);
    // Every entry was announced, and its progress reached 100 percent.
    EXPECT_EQ(rec.count(ENGINE_MSG_ADDING), 9);
    int done = 0;
    for (const auto &m : rec.messages)
        if (m.code == ENGINE_MSG_STATUS && m.percent == 100)
            ++done;
    EXPECT_EQ(done, 9);
    // The bytes come back.
    ASSERT_EQ(sh("unzip -q t.zip -d out"), 0);
    EXPECT_EQ(readFile("out/tree/sub/b.c"), readFile("tree/sub/b.c"));
    EXPECT_EQ(readFile("out/tree/sub/noise.bin"), readFile("tree/sub/noise.bin"));
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelTest, ::testing::Values(0, 1, 6, 9));

TEST_F(ZipTest, MethodsFollowLevelExtensionsAndIncompressibleData) {
    makeTree();
    ASSERT_EQ(runZip({"", "-6", "-r", "-n", "zip:lzh", "m.zip", "tree"}), ENGINE_OK);
    // zipinfo: the method column reads "defN" (deflated) or "stor".
    EXPECT_EQ(sh("zipinfo m.zip tree/sub/b.c | grep -q defN"), 0);
    EXPECT_EQ(sh("zipinfo m.zip tree/sub/packed.ZIP | grep -q stor"), 0);
    EXPECT_EQ(sh("zipinfo m.zip tree/sub/noise.bin | grep -q stor"), 0);
    EXPECT_EQ(sh("zipinfo m.zip tree/empty | grep -q stor"), 0);
}

TEST_F(ZipTest, LargeFilesAreJoinedFromParallelChunks) {
    // Several chunks each, one text-like and one that does not compress.
    writeFile("big/text.dat", textData(11 * 1024 * 1024 + 123, 5));
    writeFile("big/noise.dat", randomData(9 * 1024 * 1024, 6));
    Recorder rec;
    ASSERT_EQ(runZip({"", "-6", "big.zip", "big/text.dat", "big/noise.dat"}, &rec), ENGINE_OK);
    EXPECT_TRUE(peersAccept("big.zip"));
    ASSERT_EQ(sh("unzip -q big.zip -d out"), 0);
    EXPECT_EQ(readFile("out/big/text.dat"), readFile("big/text.dat"));
    EXPECT_EQ(readFile("out/big/noise.dat"), readFile("big/noise.dat"));
    EXPECT_EQ(sh("zipinfo big.zip big/noise.dat | grep -q stor"), 0);
    EXPECT_LT(fs::file_size("big.zip"), 9u * 1024 * 1024 + 11u * 1024 * 1024 / 3);
    // Progress rises through the chunks of the large entry.
    std::vector<int> pct;
    for (const auto &m : rec.messages)
        if (m.code == ENGINE_MSG_STATUS && m.name == "big/text.dat")
            pct.push_back(m.percent);
    ASSERT_GE(pct.size(), 3u);
    EXPECT_TRUE(std::is_sorted(pct.begin(), pct.end()));
    EXPECT_EQ(pct.back(), 100);
}

TEST_F(ZipTest, EncryptedEntriesExtractWithThePassword) {
    writeFile("s/small.txt", textData(3000, 7));
    writeFile("s/large.txt", textData(9 * 1024 * 1024, 8)); // data descriptor path
    writeFile("s/empty", "");
    ASSERT_EQ(runZip({"pw", "-e", "-6", "-r", "e.zip", "s"}), ENGINE_OK);
    EXPECT_TRUE(peersAccept("e.zip", "pw"));
    EXPECT_NE(sh("unzip -tq -P wrong e.zip"), 0);
    ASSERT_EQ(sh("unzip -q -P pw e.zip -d out"), 0);
    EXPECT_EQ(readFile("out/s/large.txt"), readFile("s/large.txt"));
    EXPECT_EQ(readFile("out/s/small.txt"), readFile("s/small.txt"));
    EXPECT_EQ(runZip({"", "-e", "x.zip", "s/small.txt"}), ENGINE_BAD_ARGUMENTS);
}

TEST_F(ZipTest, LargeStoredEntriesInEveryWay) {
    writeFile("s/noise.bin", randomData(9 * 1024 * 1024, 9)); // deflate grows it
    writeFile("s/text.log", textData(9 * 1024 * 1024, 10));
    writeFile("s/text.zip", textData(9 * 1024 * 1024, 11)); // a stored extension
    ASSERT_EQ(runZip({"", "-9", "-n", ".zip", "a.zip", "s/noise.bin", "s/text.zip"}), ENGINE_OK);
    ASSERT_EQ(runZip({"", "-0", "b.zip", "s/text.log"}), ENGINE_OK);
    ASSERT_EQ(runZip({"pw", "-e", "-9", "c.zip", "s/noise.bin"}), ENGINE_OK);
    ASSERT_EQ(runZip({"pw", "-e", "-0", "d.zip", "s/text.log"}), ENGINE_OK);
    for (const char *zip : {"a.zip", "b.zip"})
        EXPECT_TRUE(peersAccept(zip)) << zip;
    for (const char *zip : {"c.zip", "d.zip"})
        EXPECT_TRUE(peersAccept(zip, "pw")) << zip;
    EXPECT_EQ(sh("zipinfo a.zip | grep -c stor | grep -qx 2"), 0);
    EXPECT_EQ(sh("zipinfo c.zip s/noise.bin | grep -q stor"), 0);
    ASSERT_EQ(sh("unzip -q -P pw c.zip -d out"), 0);
    EXPECT_EQ(readFile("out/s/noise.bin"), readFile("s/noise.bin"));
}

TEST_F(ZipTest, PermissionsAndTimesComeBack) {
    writeFile("p/script.sh", "#!/bin/sh\necho hi\n");
    writeFile("p/private", "secret\n");
    writeFile("p/old.txt", "from 1975\n");
    chmod("p/script.sh", 0751);
    chmod("p/private", 0600);
    struct utimbuf t {};
    t.actime = t.modtime = 1000000000; // 2001-09-09
    utime("p/script.sh", &t);
    t.actime = t.modtime = 170000000; // 1975, before the DOS epoch
    utime("p/old.txt", &t);
    ASSERT_EQ(runZip({"", "-6", "-r", "-t", "010180", "p.zip", "p"}), ENGINE_OK);
    EXPECT_TRUE(peersAccept("p.zip"));
    ASSERT_EQ(sh("unzip -q p.zip -d out"), 0);
    struct stat st {};
    ASSERT_EQ(stat("out/p/script.sh", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(st.st_mtime, 1000000000);
    ASSERT_EQ(stat("out/p/private", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // Stored with the earliest date, restored with its true time.
    ASSERT_EQ(stat("out/p/old.txt", &st), 0);
    EXPECT_EQ(st.st_mtime, 170000000);
    EXPECT_EQ(sh("zipinfo -v p.zip p/old.txt | grep -q 'DOS date/time.: *1980 Jan 1 '"), 0);
}

TEST_F(ZipTest, LinksAreStoredAsLinksOnlyWithY) {
    writeFile("secret", "not for the archive\n");
    writeFile("l/sub/f.txt", "inside\n");
    fs::create_symlink("../secret", "l/out");
    fs::create_symlink("sub", "l/dir");
    fs::create_symlink("missing", "l/dangling");
    fs::create_symlink("l/out", "named");
    // Without -y a link to a file is its bytes; the others are left out.
    ASSERT_EQ(runZip({"", "-6", "-r", "f.zip", "l"}), ENGINE_OK);
    EXPECT_EQ(listNames("f.zip"), (std::vector<std::string>{"l/out", "l/sub/f.txt"}));
    EXPECT_EQ(sh("unzip -p f.zip l/out | grep -q 'not for'"), 0);
    // With -y every link, named or found, is the link: zipinfo reads the
    // mode "l", and Info-ZIP unzip makes the same links.
    ASSERT_EQ(runZip({"", "-6", "-r", "-y", "y.zip", "l", "named"}), ENGINE_OK);
    EXPECT_EQ(listNames("y.zip"),
              (std::vector<std::string>{"l/dangling", "l/dir", "l/out", "l/sub/f.txt", "named"}));
    EXPECT_EQ(sh("zipinfo y.zip | grep -c '^l' | grep -qx 4"), 0);
    EXPECT_EQ(sh("unzip -p y.zip l/out | grep -q 'not for'"), 1);
    EXPECT_TRUE(peersAccept("y.zip"));
    ASSERT_EQ(sh("unzip -q y.zip -d out"), 0);
    for (const char *link : {"l/out", "l/dir", "l/dangling", "named"})
        EXPECT_EQ(fs::read_symlink(fs::path("out") / link), fs::read_symlink(link)) << link;
}

TEST_F(ZipTest, StoredNamesDropRootDotsAndFoldersWithJ) {
    writeFile("d/x/one.txt", "1");
    writeFile("d/y/two.txt", "2");
    const std::string abs = (dir_ / "d/x/one.txt").string();
    ASSERT_EQ(runZip({"", "-6", "n.zip", abs, "./d/../d/y/two.txt"}), ENGINE_OK);
    std::vector<std::string> expected = {(dir_ / "d/x/one.txt").relative_path().string(),
                                         "d/d/y/two.txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listNames("n.zip"), expected);
    ASSERT_EQ(runZip({"", "-6", "-j", "-r", "j.zip", "d"}), ENGINE_OK);
    EXPECT_EQ(listNames("j.zip"), (std::vector<std::string>{"one.txt", "two.txt"}));
}

TEST_F(ZipTest, HiddenWildcardsIncludesAndExcludes) {
    makeTree();
    ASSERT_EQ(runZip({"", "-6", "-r", "h.zip", "tree"}), ENGINE_OK);
    EXPECT_EQ(sh("zipinfo -1 h.zip | grep -q hidden"), 1);
    ASSERT_EQ(runZip({"", "-6", "-r", "-S", "s.zip", "tree"}), ENGINE_OK);
    EXPECT_EQ(sh("zipinfo -1 s.zip | grep -q tree/.hidden"), 0);
    // A hidden file named on its own is always added.
    ASSERT_EQ(runZip({"", "-6", "n.zip", "tree/.hidden"}), ENGINE_OK);
    EXPECT_EQ(listNames("n.zip"), (std::vector<std::string>{"tree/.hidden"}));
    // Wildcards in the last component; without -r, a folder gives its files.
    ASSERT_EQ(runZip({"", "-6", "w.zip", "tree/sub/*.c", "tree"}), ENGINE_OK);
    EXPECT_EQ(listNames("w.zip"),
              (std::vector<std::string>{"tree/a.txt", "tree/empty", "tree/sub/b.c"}));
    ASSERT_EQ(runZip({"", "-6", "-r", "i.zip", "tree", "-i", "*.txt", "-x", "*/sub/*"}), ENGINE_OK);
    EXPECT_EQ(listNames("i.zip"), (std::vector<std::string>{"tree/a.txt"}));
    EXPECT_EQ(runZip({"", "-6", "none.zip", "tree/*.nothing"}), ENGINE_NOTHING_MATCHED);
    EXPECT_FALSE(fs::exists("none.zip"));
}

TEST_F(ZipTest, MissingAndUnreadableFilesAreSkipped) {
    writeFile("a.txt", "a");
    writeFile("b.txt", "b");
    Recorder rec;
    setenv("TARNWICK_ZIPENG_UNREADABLE", "b.txt", 1);
    const int rc = runZip({"", "-6", "m.zip", "a.txt", "b.txt", "missing.txt"}, &rec);
    unsetenv("TARNWICK_ZIPENG_UNREADABLE");
    EXPECT_EQ(rc, ENGINE_SOME_SKIPPED);
    EXPECT_EQ(listNames("m.zip"), (std::vector<std::string>{"a.txt"}));
    std::vector<int> reasons = rec.reasons();
    std::sort(reasons.begin(), reasons.end());
    EXPECT_EQ(reasons, (std::vector<int>{ENGINE_SKIP_NOT_FOUND, ENGINE_SKIP_CANNOT_OPEN}));
    EXPECT_TRUE(peersAccept("m.zip"));
}

TEST_F(ZipTest, DuplicateNamesUnderJChangeNothing) {
    writeFile("x/same.txt", "1");
    writeFile("y/same.txt", "2");
    writeFile("z.txt", "z");
    ASSERT_EQ(runZip({"", "-6", "d.zip", "z.txt"}), ENGINE_OK);
    const std::string before = readFile("d.zip");
    EXPECT_EQ(runZip({"", "-6", "-j", "d.zip", "x/same.txt", "y/same.txt"}),
              ENGINE_DUPLICATE_NAMES);
    EXPECT_EQ(readFile("d.zip"), before);
    EXPECT_EQ(runZip({"", "-6", "-j", "new.zip", "x/same.txt", "y/same.txt"}),
              ENGINE_DUPLICATE_NAMES);
    EXPECT_FALSE(fs::exists("new.zip"));
}

TEST_F(ZipTest, BadVectorsAreRefused) {
    EXPECT_EQ(runZip({"", "-6"}), ENGINE_BAD_ARGUMENTS);
    EXPECT_EQ(runZip({"", "-t", "13xx80", "a.zip", "f"}), ENGINE_BAD_ARGUMENTS);
    EXPECT_EQ(runZip({"", "-q", "a.zip", "f"}), ENGINE_BAD_ARGUMENTS);
    EXPECT_EQ(runZip({"", "-b"}), ENGINE_BAD_ARGUMENTS);
}

} // namespace
