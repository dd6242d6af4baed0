// Plain add, update ("-u") and freshen ("-f") against older and newer
// files, and moving files into the archive ("-m").
#include "library_harness.h"

#include <utime.h>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

void setTime(const char *path, time_t t) {
    struct utimbuf u {};
    u.actime = u.modtime = t;
    utime(path, &u);
}

class ModesTest : public ZipTest {
protected:
    void SetUp() override {
        ZipTest::SetUp();
        writeFile("m/old.txt", "old v1");
        writeFile("m/new.txt", "new v1");
        setTime("m/old.txt", 1500000000);
        setTime("m/new.txt", 1500000000);
        ASSERT_EQ(runZip({"", "-6", "-r", "a.zip", "m"}), ENGINE_OK);
        // Afterwards: new.txt is newer than its entry, old.txt is not, and
        // extra.txt is not in the archive at all.
        writeFile("m/new.txt", "new v2, longer");
        setTime("m/new.txt", 1600000000);
        writeFile("m/old.txt", "old v2, not newer");
        setTime("m/old.txt", 1400000000);
        writeFile("m/extra.txt", "extra");
    }
    std::string entry(const std::string &name) {
        const int rc = sh("(unzip -p a.zip " + name + " > out.txt)");
        return std::to_string(rc) + ":" + readFile("out.txt");
    }
};

TEST_F(ModesTest, PlainAddReplacesAndAdds) {
    Recorder rec;
    ASSERT_EQ(runZip({"", "-6", "a.zip", "m/old.txt", "m/extra.txt"}, &rec), ENGINE_OK);
    EXPECT_EQ(entry("m/old.txt"), "0:old v2, not newer");
    EXPECT_EQ(entry("m/extra.txt"), "0:extra");
    EXPECT_EQ(rec.names(ENGINE_MSG_UPDATING), (std::vector<std::string>{"m/old.txt"}));
    EXPECT_EQ(rec.names(ENGINE_MSG_ADDING), (std::vector<std::string>{"m/extra.txt"}));
    EXPECT_TRUE(peersAccept("a.zip"));
}

TEST_F(ModesTest, UpdateReplacesNewerAndAddsMissing) {
    Recorder rec;
    EXPECT_EQ(runZip({"", "-u", "-6", "a.zip", "m/old.txt", "m/new.txt", "m/extra.txt"}, &rec),
              ENGINE_SOME_SKIPPED);
    EXPECT_EQ(entry("m/old.txt"), "0:old v1");
    EXPECT_EQ(entry("m/new.txt"), "0:new v2, longer");
    EXPECT_EQ(entry("m/extra.txt"), "0:extra");
    ASSERT_EQ(rec.count(ENGINE_MSG_SKIPPING), 1);
    EXPECT_EQ(rec.names(ENGINE_MSG_SKIPPING), (std::vector<std::string>{"m/old.txt"}));
    EXPECT_EQ(rec.reasons(), (std::vector<int>{ENGINE_SKIP_UP_TO_DATE}));
    EXPECT_TRUE(peersAccept("a.zip"));
}

TEST_F(ModesTest, UpdateByRecursionSkipsSilently) {
    Recorder rec;
    EXPECT_EQ(runZip({"", "-u", "-6", "-r", "a.zip", "m"}, &rec), ENGINE_OK);
    EXPECT_EQ(rec.count(ENGINE_MSG_SKIPPING), 0);
    EXPECT_EQ(entry("m/new.txt"), "0:new v2, longer");
    EXPECT_EQ(entry("m/old.txt"), "0:old v1");
}

TEST_F(ModesTest, FreshenOnlyReplacesNewerEntries) {
    Recorder rec;
    EXPECT_EQ(runZip({"", "-f", "-6", "a.zip", "m/old.txt", "m/new.txt", "m/extra.txt"}, &rec),
              ENGINE_SOME_SKIPPED);
    EXPECT_EQ(entry("m/new.txt"), "0:new v2, longer");
    EXPECT_EQ(entry("m/old.txt"), "0:old v1");
    EXPECT_EQ(listNames("a.zip"), (std::vector<std::string>{"m/new.txt", "m/old.txt"}));
    EXPECT_EQ(rec.names(ENGINE_MSG_UPDATING), (std::vector<std::string>{"m/new.txt"}));
}

TEST_F(ModesTest, GrowInPlaceGivesTheSameEntries) {
    ASSERT_EQ(runZip({"", "-u", "-6", "-g", "a.zip", "m/new.txt", "m/extra.txt"}), ENGINE_OK);
    EXPECT_EQ(entry("m/new.txt"), "0:new v2, longer");
    EXPECT_EQ(entry("m/extra.txt"), "0:extra");
    EXPECT_TRUE(peersAccept("a.zip"));
}

TEST_F(ZipTest, MoveDeletesOnlyAfterSuccess) {
    writeFile("mv/a.txt", "a");
    writeFile("mv/sub/b.txt", "b");
    ASSERT_EQ(runZip({"", "-6", "-m", "-r", "mv.zip", "mv"}), ENGINE_OK);
    EXPECT_FALSE(fs::exists("mv")); // files and the folders they left empty
    EXPECT_EQ(listNames("mv.zip"), (std::vector<std::string>{"mv/a.txt", "mv/sub/b.txt"}));

    // A failing write leaves the files where they are.
    writeFile("keep/c.txt", "c");
    setenv("TARNWICK_ZIPENG_FAIL_AFTER", "10", 1);
    const int rc = runZip({"", "-6", "-m", "-r", "mv.zip", "keep"});
    unsetenv("TARNWICK_ZIPENG_FAIL_AFTER");
    EXPECT_EQ(rc, ENGINE_DISK_FULL);
    EXPECT_TRUE(fs::exists("keep/c.txt"));

    // An abort too.
    Recorder rec;
    rec.abortCode = ENGINE_MSG_ADDING;
    EXPECT_EQ(runZip({"", "-6", "-m", "mv.zip", "keep/c.txt"}, &rec), ENGINE_ABORTED);
    EXPECT_TRUE(fs::exists("keep/c.txt"));
}

TEST_F(ZipTest, MoveOfTheCurrentFolderChangesNothing) {
    writeFile("w/a.txt", "a");
    ASSERT_EQ(runZip({"", "-6", "x.zip", "w/a.txt"}), ENGINE_OK);
    const std::string before = readFile("x.zip");
    fs::current_path("w");
    EXPECT_EQ(runZip({"", "-6", "-m", "-r", "../x.zip", "."}), ENGINE_REMOVES_PARENT);
    EXPECT_EQ(runZip({"", "-6", "-m", "-r", "../x.zip", ".."}), ENGINE_REMOVES_PARENT);
    fs::current_path(dir_);
    EXPECT_TRUE(fs::exists("w/a.txt"));
    EXPECT_EQ(readFile("x.zip"), before);
}

} // namespace
