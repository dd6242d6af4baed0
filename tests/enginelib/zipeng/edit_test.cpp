// Deleting entries ("-d"), the archive comment ("-z") and the archive
// date ("-o").
#include "library_harness.h"

#include <sstream>
#include <sys/stat.h>
#include <utime.h>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

class EditTest : public ZipTest {
protected:
    void SetUp() override {
        ZipTest::SetUp();
        writeFile("e/keep.txt", "keep");
        writeFile("e/drop1.log", "drop one");
        writeFile("e/sub/drop2.log", "drop two");
        writeFile("e/sub/keep.c", "int x;");
        ASSERT_EQ(runZip({"", "-6", "-r", "-D", "a.zip", "e"}), ENGINE_OK);
        before_ = readFile("a.zip");
    }
    std::string before_;
};

TEST_F(EditTest, DeleteByNameAndPattern) {
    Recorder rec;
    ASSERT_EQ(runZip({"", "-d", "a.zip", "e/keep.txt", "*.log"}, &rec), ENGINE_OK);
    EXPECT_EQ(listNames("a.zip"), (std::vector<std::string>{"e/", "e/sub/", "e/sub/keep.c"}));
    std::vector<std::string> deleted = rec.names(ENGINE_MSG_DELETING);
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (std::vector<std::string>{"e/drop1.log", "e/keep.txt", "e/sub/drop2.log"}));
    EXPECT_TRUE(peersAccept("a.zip"));
}

TEST_F(EditTest, DeleteWithIncludeAndExcludeSections) {
    ASSERT_EQ(runZip({"", "-d", "a.zip", "e/*", "-i", "*.log", "-x", "*/sub/*"}), ENGINE_OK);
    EXPECT_EQ(listNames("a.zip"), (std::vector<std::string>{"e/", "e/keep.txt", "e/sub/",
                                                            "e/sub/drop2.log", "e/sub/keep.c"}));
}

TEST_F(EditTest, DeleteNothingMatchedChangesNothing) {
    EXPECT_EQ(runZip({"", "-d", "a.zip", "nothing*"}), ENGINE_NOTHING_MATCHED);
    EXPECT_EQ(readFile("a.zip"), before_);
    EXPECT_EQ(runZip({"", "-d", "missing.zip", "x"}), ENGINE_ARCHIVE_NOT_FOUND);
}

TEST_F(EditTest, DeleteAbortAndDiskFullChangeNothing) {
    Recorder rec;
    rec.abortCode = ENGINE_MSG_DELETING;
    EXPECT_EQ(runZip({"", "-d", "a.zip", "*.log"}, &rec), ENGINE_ABORTED);
    EXPECT_EQ(readFile("a.zip"), before_);
    setenv("TARNWICK_ZIPENG_FAIL_AFTER", "100", 1);
    EXPECT_EQ(runZip({"", "-d", "a.zip", "*.log"}), ENGINE_DISK_FULL);
    unsetenv("TARNWICK_ZIPENG_FAIL_AFTER");
    EXPECT_EQ(readFile("a.zip"), before_);
}

TEST_F(EditTest, CommentIsReplacedBothWays) {
    for (bool grow : {false, true}) {
        Recorder rec;
        rec.comment = grow ? "grown comment" : "Tarnwick archive comment";
        std::vector<std::string> args = {"", "-z"};
        if (grow)
            args.push_back("-g");
        args.push_back("a.zip");
        ASSERT_EQ(runZip(args, &rec), ENGINE_OK);
        EXPECT_EQ(rec.count(ENGINE_MSG_COMMENT_WANTED), 1);
        EXPECT_EQ(sh("unzip -z a.zip | grep -qx '" + rec.comment + "'"), 0);
        EXPECT_TRUE(peersAccept("a.zip"));
    }
    // The comment survives later changes.
    writeFile("later.txt", "later");
    ASSERT_EQ(runZip({"", "-6", "a.zip", "later.txt"}), ENGINE_OK);
    EXPECT_EQ(sh("unzip -z a.zip | grep -qx 'grown comment'"), 0);
    // An empty answer removes it.
    Recorder none;
    ASSERT_EQ(runZip({"", "-z", "a.zip"}, &none), ENGINE_OK);
    EXPECT_NE(sh("unzip -z a.zip | grep -q comment"), 0);
}

TEST_F(EditTest, CommentAbortChangesNothing) {
    Recorder rec;
    rec.comment = "never";
    rec.abortCode = ENGINE_MSG_COMMENT_WANTED;
    EXPECT_EQ(runZip({"", "-z", "-g", "a.zip"}, &rec), ENGINE_ABORTED);
    EXPECT_EQ(readFile("a.zip"), before_);
}

TEST_F(ZipTest, ArchiveDateIsThatOfTheNewestFile) {
    writeFile("d/a.txt", "a");
    writeFile("d/b.txt", "b");
    struct utimbuf t {};
    t.actime = t.modtime = 1200000000;
    utime("d/a.txt", &t);
    t.actime = t.modtime = 1300000000;
    utime("d/b.txt", &t);
    ASSERT_EQ(runZip({"", "-6", "-r", "d.zip", "d"}), ENGINE_OK);
    ASSERT_EQ(runZip({"", "-o", "d.zip"}), ENGINE_OK);
    struct stat st {};
    ASSERT_EQ(stat("d.zip", &st), 0);
    EXPECT_EQ(st.st_mtime, 1300000000);

    fs::create_directories("only/inner");
    ASSERT_EQ(runZip({"", "-6", "-r", "-D", "f.zip", "only"}), ENGINE_OK);
    EXPECT_EQ(runZip({"", "-o", "f.zip"}), ENGINE_NO_DATE);
    EXPECT_EQ(runZip({"", "-o", "none.zip"}), ENGINE_ARCHIVE_NOT_FOUND);
}

// tests/scripts/raw_zip.py: entries given as "HEXNAME:FLAG:DATA" (FLAG 1:
// the UTF-8 flag), listed back as "HEXNAME:FLAG".
const std::string kRawZip = quote(TARNWICK_SOURCE_DIR "/tests/scripts/raw_zip.py");

void rawZip(const std::string &zip, const std::vector<std::string> &specs) {
    std::string command = "python3 " + kRawZip + " " + quote(zip);
    for (const std::string &spec : specs)
        command += " " + quote(spec);
    ASSERT_EQ(shell(command), 0);
}

std::vector<std::string> rawNames(const std::string &zip) {
    EXPECT_EQ(shell("python3 " + kRawZip + " --list " + quote(zip) + " > names.txt"), 0);
    std::vector<std::string> names;
    std::istringstream lines(readFile("names.txt"));
    for (std::string line; std::getline(lines, line);)
        names.push_back(line);
    return names;
}

// Twins that list under one name: CP437 "\x80.txt" and UTF-8 "Ç.txt",
// "q\r" and "q/r", a name holding NUL and the same with "?", "x" and the
// folder "x/".
const std::vector<std::string> kTwins = {"802e747874:0", "c3872e747874:1", "715c72:0", "712f72:0",
                                         "610062:0",     "613f62:0",       "78:0",     "782f:0"};
const std::vector<std::string> kTwinsListed = {"Ç.txt", "Ç.txt", "q/r", "q/r",
                                               "a?b",   "a?b",   "x",   "x/"};

TEST_F(ZipTest, DeleteByPositionTakesOneOfTwinsAlone) {
    setenv("TARNWICK_LEGACY_CODEPAGE", "CP437", 1);
    std::vector<std::string> specs;
    for (const std::string &twin : kTwins)
        specs.push_back(twin + ":data");
    rawZip("twins.zip", specs);
    for (std::size_t i = 0; i < kTwins.size(); ++i) {
        fs::copy_file("twins.zip", "t.zip", fs::copy_options::overwrite_existing);
        EXPECT_EQ(runZip({"", "-d", "t.zip", "-#", std::to_string(i + 1) + ":" + kTwinsListed[i]}),
                  ENGINE_OK);
        std::vector<std::string> left = kTwins;
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(i));
        EXPECT_EQ(rawNames("t.zip"), left) << i;
    }
    EXPECT_EQ(runZip({"", "-d", "twins.zip", "-#", "3:Ç.txt"}), ENGINE_NOTHING_MATCHED);
    unsetenv("TARNWICK_LEGACY_CODEPAGE");
}

TEST_F(ZipTest, AddAndUpdateReplaceTheEntryOfTheNameShown) {
    setenv("TARNWICK_LEGACY_CODEPAGE", "CP437", 1);
    writeFile("Ç.txt", "newer");
    writeFile("dir/f.txt", "newer");
    for (const char *mode : {"-6", "-u"}) {
        // CP437 "\x80.txt" and "dir\f.txt", shown as "Ç.txt" and "dir/f.txt".
        rawZip("s.zip", {"802e747874:0:old", "6469725c662e747874:0:old"});
        ASSERT_EQ(runZip({"", mode, "s.zip", "Ç.txt", "dir/f.txt"}), ENGINE_OK) << mode;
        Engine list;
        ASSERT_EQ(list.run({"", "-v", "s.zip"}), ENGINE_OK);
        EXPECT_EQ(list.names(ENGINE_MSG_LISTING), (std::vector<std::string>{"Ç.txt", "dir/f.txt"}))
            << mode;
        for (const Message &m : list.withCode(ENGINE_MSG_LISTING))
            EXPECT_EQ(m.size, 5) << mode << " " << m.name;
    }
    unsetenv("TARNWICK_LEGACY_CODEPAGE");
}

} // namespace

namespace {

int entryCount(const std::string &zip) {
    return static_cast<int>(listNames(zip).size());
}

// Every valid archive of the corpus, whoever wrote it (data descriptors,
// ZIP64, prefixes, comments, other methods), takes a new entry in both
// writing modes and keeps the old ones as they were.
TEST_F(ZipTest, AddingToEveryValidCorpusArchiveKeepsItsEntries) {
    const fs::path corpus = fs::path(TARNWICK_CORPUS_DIR) / "valid";
    if (!fs::exists(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    writeFile("added-by-test.txt", "new entry\n");
    int archives = 0;
    for (const auto &e : fs::directory_iterator(corpus)) {
        const int before = sh("unzip -tq '" + e.path().string() + "'");
        const int count = entryCount(e.path().string());
        for (const char *mode : {"-6", "-g"}) {
            fs::copy_file(e.path(), "c.zip", fs::copy_options::overwrite_existing);
            std::vector<std::string> args = {"", "-6"};
            if (std::string(mode) == "-g")
                args.push_back("-g");
            args.push_back("c.zip");
            args.push_back("added-by-test.txt");
            const int rc = runZip(args);
            EXPECT_EQ(rc, ENGINE_OK) << e.path().filename() << " " << mode;
            EXPECT_EQ(entryCount("c.zip"), count + 1) << e.path().filename() << " " << mode;
            // No worse than before (an empty archive warns, and then no longer).
            EXPECT_LE(sh("unzip -tq c.zip"), before) << e.path().filename() << " " << mode;
            EXPECT_EQ(sh("(unzip -p c.zip added-by-test.txt 2>/dev/null | grep -qx 'new entry')"),
                      0)
                << e.path().filename() << " " << mode;
        }
        ++archives;
    }
    EXPECT_GT(archives, 40);
}

TEST_F(ZipTest, AddingToStreamedPeerArchives) {
    writeFile("f.txt", textData(5000, 31));
    // Info-ZIP writing to a pipe: data descriptors, no sizes in the headers.
    ASSERT_EQ(sh("(cat f.txt | zip -q - - > streamed.zip)"), 0);
    ASSERT_EQ(sh("bsdtar -cf bsd.zip --format zip f.txt"), 0);
    for (const char *zip : {"streamed.zip", "bsd.zip"}) {
        writeFile("g.txt", "g");
        ASSERT_EQ(runZip({"", "-6", zip, "g.txt"}), ENGINE_OK) << zip;
        EXPECT_TRUE(peersAccept(zip)) << zip;
        writeFile("h.txt", "h");
        ASSERT_EQ(runZip({"", "-6", "-g", zip, "h.txt"}), ENGINE_OK) << zip;
        EXPECT_TRUE(peersAccept(zip)) << zip;
        EXPECT_EQ(entryCount(zip), 3) << zip;
    }
}

} // namespace
