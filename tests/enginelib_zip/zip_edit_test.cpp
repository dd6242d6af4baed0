// Deleting entries ("-d"), the archive comment ("-z") and the archive
// date ("-o").
#include "zip_support.h"

#include <sys/stat.h>
#include <utime.h>

namespace fs = std::filesystem;
using namespace ziptest;

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

} // namespace
