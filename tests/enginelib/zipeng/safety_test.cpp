// Nothing is ever lost: aborts, a full disk, unreadable files and temporary
// file trouble leave the old archive exactly as it was, with and without
// growing in place ("-g").
#include "library_harness.h"

#include <atomic>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// Stands in for the C library's umask in this program and in the engines it
// loads (exported for them by the build), counting the calls.
static std::atomic<int> umaskCalls{0};
extern "C" mode_t umask(mode_t mask) noexcept {
    ++umaskCalls;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

struct Fault {
    const char *name;
    int abortCode; // 0: no abort
    int abortAt;   // which message of that code
    int failAt;    // -1: no write failure; else 0 at once, 1 half-way, 2 in the end records
    int expected;
};

// An archive of two entries, and new files to add: a large one (several
// chunks), a small one and a replacement of an old entry.
class OldArchiveTest : public ZipTest {
protected:
    void SetUp() override {
        ZipTest::SetUp();
        writeFile("old/one.txt", textData(50000, 11));
        writeFile("old/two.bin", randomData(20000, 12));
        ASSERT_EQ(runZip({"", "-6", "-r", "a.zip", "old"}), ENGINE_OK);
        before_ = readFile("a.zip");
        writeFile("new/big.txt", textData(10 * 1024 * 1024, 13)); // several chunks
        writeFile("new/small.txt", textData(1000, 14));
        writeFile("old/one.txt", textData(60000, 15)); // a replacement
    }
    void expectUnchanged() {
        EXPECT_EQ(readFile("a.zip"), before_);
        EXPECT_EQ(listNames("a.zip"), (std::vector<std::string>{"old/one.txt", "old/two.bin"}));
        EXPECT_EQ(sh("unzip -tq a.zip"), 0);
        // No temporary file left behind.
        int files = 0;
        for (const auto &e : fs::directory_iterator("."))
            if (e.is_regular_file())
                ++files;
        EXPECT_EQ(files, 1);
    }
    std::string before_;
};

class SafetyTest : public OldArchiveTest,
                   public ::testing::WithParamInterface<std::tuple<Fault, bool>> {};

TEST_P(SafetyTest, OldArchiveSurvives) {
    const auto &[fault, grow] = GetParam();
    Recorder rec;
    rec.abortCode = fault.abortCode;
    rec.abortAt = fault.abortAt;
    std::vector<std::string> args = {"", "-6"};
    if (grow)
        args.push_back("-g");
    for (const char *a : {"a.zip", "new/big.txt", "new/small.txt", "old/one.txt"})
        args.push_back(a);
    if (fault.failAt >= 0) {
        // How many bytes a successful run writes, measured on a copy.
        fs::copy_file("a.zip", "probe.zip");
        std::vector<std::string> probe = args;
        probe[grow ? 3 : 2] = "probe.zip";
        ASSERT_EQ(runZip(probe), ENGINE_OK);
        uint64_t written = fs::file_size("probe.zip");
        fs::remove("probe.zip");
        if (grow) {
            // Growing starts at the old central directory.
            const auto *end =
                reinterpret_cast<const uint8_t *>(before_.data() + before_.size() - 22);
            written -= end[16] | (end[17] << 8) | (end[18] << 16) | (uint64_t{end[19]} << 24);
        }
        const uint64_t at = fault.failAt == 0 ? 0 : fault.failAt == 1 ? written / 2 : written - 10;
        setenv("TARNWICK_ZIPENG_FAIL_AFTER", std::to_string(at).c_str(), 1);
    }
    const int rc = runZip(args, &rec);
    unsetenv("TARNWICK_ZIPENG_FAIL_AFTER");
    EXPECT_EQ(rc, fault.expected) << fault.name;
    expectUnchanged();
}

const Fault kFaults[] = {
    {"abort at first add", ENGINE_MSG_ADDING, 1, -1, ENGINE_ABORTED},
    {"abort in a large entry", ENGINE_MSG_STATUS, 2, -1, ENGINE_ABORTED},
    {"abort at the replacement", ENGINE_MSG_UPDATING, 1, -1, ENGINE_ABORTED},
    {"abort at the last progress", ENGINE_MSG_STATUS, 5, -1, ENGINE_ABORTED},
    {"disk full at once", 0, 0, 0, ENGINE_DISK_FULL},
    {"disk full in the data", 0, 0, 1, ENGINE_DISK_FULL},
    {"disk full in the end records", 0, 0, 2, ENGINE_DISK_FULL},
};

INSTANTIATE_TEST_SUITE_P(Faults, SafetyTest,
                         ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Bool()));

// The process dies in the middle of a large entry: the old archive must
// still list and test with all its entries, also when it grows in place.
class KillTest : public OldArchiveTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KillTest, KilledProcessLosesNothing) {
    const bool grow = GetParam();
    std::vector<std::string> args = {"", "-6"};
    if (grow)
        args.push_back("-g");
    for (const char *a : {"a.zip", "new/big.txt", "new/small.txt", "old/one.txt"})
        args.push_back(a);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        Recorder rec;
        rec.exitCode = ENGINE_MSG_STATUS; // after the first chunk is written
        runZip(args, &rec);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(listNames("a.zip"), (std::vector<std::string>{"old/one.txt", "old/two.bin"}));
    EXPECT_EQ(sh("unzip -tq a.zip"), 0);
    EXPECT_EQ(sh("python3 -m zipfile -t a.zip"), 0);
    if (!grow) {
        EXPECT_EQ(readFile("a.zip"), before_);
    }
}

INSTANTIATE_TEST_SUITE_P(GrowOrNot, KillTest, ::testing::Bool());

TEST_F(ZipTest, UnreadableOnlyFileLeavesTheArchiveAlone) {
    writeFile("a.txt", "a");
    writeFile("b.txt", "b");
    ASSERT_EQ(runZip({"", "-6", "a.zip", "a.txt"}), ENGINE_OK);
    const std::string before = readFile("a.zip");
    for (bool grow : {false, true}) {
        setenv("TARNWICK_ZIPENG_UNREADABLE", "b.txt", 1);
        std::vector<std::string> args = {"", "-6"};
        if (grow)
            args.push_back("-g");
        args.push_back("a.zip");
        args.push_back("b.txt");
        EXPECT_EQ(runZip(args), ENGINE_SOME_SKIPPED);
        unsetenv("TARNWICK_ZIPENG_UNREADABLE");
        EXPECT_EQ(readFile("a.zip"), before);
    }
}

TEST_F(ZipTest, UnreadableFileAmongOthersKeepsTheOldEntry) {
    writeFile("a.txt", "a1");
    writeFile("b.txt", "b1");
    ASSERT_EQ(runZip({"", "-6", "a.zip", "a.txt", "b.txt"}), ENGINE_OK);
    writeFile("a.txt", "a2");
    writeFile("b.txt", "b2");
    writeFile("c.txt", "c2");
    for (bool grow : {false, true}) {
        setenv("TARNWICK_ZIPENG_UNREADABLE", "b.txt", 1);
        std::vector<std::string> args = {"", "-6"};
        if (grow)
            args.push_back("-g");
        for (const char *a : {"a.zip", "a.txt", "b.txt", "c.txt"})
            args.push_back(a);
        EXPECT_EQ(runZip(args), ENGINE_SOME_SKIPPED);
        unsetenv("TARNWICK_ZIPENG_UNREADABLE");
        EXPECT_EQ(sh("unzip -p a.zip b.txt | grep -qx b1"), 0);
        EXPECT_EQ(sh("unzip -p a.zip a.txt | grep -qx a2"), 0);
        EXPECT_EQ(listNames("a.zip"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
        EXPECT_TRUE(peersAccept("a.zip"));
    }
}

TEST_F(ZipTest, TemporaryFolderTrouble) {
    writeFile("a.txt", "a");
    ASSERT_EQ(runZip({"", "-6", "a.zip", "a.txt"}), ENGINE_OK);
    const std::string before = readFile("a.zip");
    writeFile("b.txt", "b");
    EXPECT_EQ(runZip({"", "-6", "-b", "no/such/folder", "a.zip", "b.txt"}), ENGINE_TEMP_FILE);
    EXPECT_EQ(readFile("a.zip"), before);
    // A working temporary folder elsewhere (possibly another file system).
    fs::create_directories("tmpdir");
    EXPECT_EQ(runZip({"", "-6", "-b", "/dev/shm", "a.zip", "b.txt"}), ENGINE_OK);
    EXPECT_EQ(listNames("a.zip"), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(peersAccept("a.zip"));
}

TEST_F(ZipTest, NotAnArchiveIsNeverOverwritten) {
    writeFile("text.zip", "this is not an archive, and it is long enough to look at");
    writeFile("a.txt", "a");
    const std::string before = readFile("text.zip");
    EXPECT_EQ(runZip({"", "-6", "text.zip", "a.txt"}), ENGINE_BAD_ARCHIVE);
    EXPECT_EQ(readFile("text.zip"), before);
}

// New archives and extracted files follow the umask, which is read without
// being set: setting it, even for a moment, is seen by every thread.
TEST_F(ZipTest, ModesFollowTheUmaskReadWithoutChangingIt) {
    const mode_t old = static_cast<mode_t>(::syscall(SYS_umask, 027));
    writeFile("f.txt", "text");
    umaskCalls = 0;
    ASSERT_EQ(runZip({"", "a.zip", "f.txt"}), ENGINE_OK);
    fs::create_directory("out");
    ASSERT_EQ(runUnzip({"", "a.zip", "-d", "out"}), ENGINE_OK);
    EXPECT_EQ(umaskCalls, 0);
    struct stat archive {
    }, extracted{};
    ASSERT_EQ(::stat("a.zip", &archive), 0);
    ASSERT_EQ(::stat("out/f.txt", &extracted), 0);
    EXPECT_EQ(archive.st_mode & 0777, 0640u);
    EXPECT_EQ(extracted.st_mode & 0777, 0640u);
    ::syscall(SYS_umask, old);
}

} // namespace
