// Archives reached through symbolic links: every operation that rewrites an
// archive writes to the file the link names and leaves the link in place.
#include "library_harness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

struct FileState {
    ino_t ino = 0;
    off_t size = 0;
    time_t mtime = 0;
    std::string bytes;
    bool operator==(const FileState &) const = default;
};

FileState stateOf(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {st.st_ino, st.st_size, st.st_mtime, readFile(path)};
}

mode_t modeOf(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

void makeOld(const std::string &path) {
    const struct utimbuf t = {1000000000, 1000000000};
    ASSERT_EQ(::utime(path.c_str(), &t), 0);
}

struct LinkCase {
    const char *label;
    std::vector<std::string> args; // after the password; "@" is the link
    std::vector<std::string> names;
    bool dangling = false; // the link's target does not exist yet
    bool chain = false;    // the link names another link
};

class LinkTest : public ZipTest {};

TEST_F(LinkTest, RewritingThroughALinkChangesItsTarget) {
    const std::vector<std::string> both = {"a.txt", "b.txt"};
    const std::vector<LinkCase> cases = {
        {"add", {"@", "n.txt"}, {"a.txt", "b.txt", "n.txt"}},
        {"add in place", {"-g", "@", "n.txt"}, {"a.txt", "b.txt", "n.txt"}},
        {"add, temporary file elsewhere", {"-b", "tmp", "@", "n.txt"}, {"a.txt", "b.txt", "n.txt"}},
        {"update", {"-u", "@", "a.txt"}, both},
        {"freshen", {"-f", "@", "a.txt"}, both},
        {"remove", {"-d", "@", "b.txt"}, {"a.txt"}},
        {"remove through a chain", {"-d", "@", "b.txt"}, {"a.txt"}, false, true},
        {"comment", {"-z", "@"}, both},
        {"archive date", {"-o", "@"}, both},
        {"fix", {"-F", "@"}, both},
        {"fix from local headers", {"-FF", "@"}, both},
        {"new archive", {"@", "a.txt"}, {"a.txt"}, true},
        {"new multi-disk set", {"-!", "-s", "65536", "@", "big.bin"}, {"big.bin"}, true},
    };
    fs::create_directory("tmp");
    writeFile("big.bin", randomData(150000));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all("d");
        fs::create_directory("d");
        writeFile("a.txt", "first a");
        writeFile("b.txt", "first b");
        writeFile("n.txt", "new");
        makeOld("a.txt");
        if (!c.dangling) {
            ASSERT_EQ(runZip({"", "d/real.zip", "a.txt", "b.txt"}), ENGINE_OK);
            ASSERT_EQ(::chmod("d/real.zip", 0640), 0);
            makeOld("d/real.zip");
        }
        writeFile("a.txt", "second a, newer");
        fs::create_symlink("real.zip", "d/link.zip");
        std::string link = "d/link.zip";
        if (c.chain) {
            fs::create_symlink("d/link.zip", "outer.zip");
            link = "outer.zip";
        }
        const FileState before = stateOf("d/real.zip");

        Recorder rec;
        rec.comment = "through the link";
        std::vector<std::string> args = {""};
        for (const auto &a : c.args)
            args.push_back(a == "@" ? link : a);
        ASSERT_EQ(runZip(args, &rec), ENGINE_OK);

        ASSERT_TRUE(fs::is_symlink("d/link.zip"));
        EXPECT_EQ(fs::read_symlink("d/link.zip"), "real.zip");
        EXPECT_EQ(fs::is_symlink("outer.zip"), c.chain);
        EXPECT_NE(stateOf("d/real.zip"), before);
        EXPECT_EQ(listNames("d/real.zip"), c.names);
        if (!c.dangling) {
            EXPECT_EQ(modeOf("d/real.zip"), 0640u);
        }
        EXPECT_EQ(fs::exists("d/real.z01"), c.args.front() == "-!");
        EXPECT_TRUE(fs::is_empty("tmp"));
        fs::remove("outer.zip");
    }
}

// The temporary file goes beside the file the link names: the link's own
// folder may be one nobody can write to (as /proc/self/fd, even for root) or
// a full medium.
TEST_F(LinkTest, TheTemporaryFileGoesBesideTheTarget) {
    writeFile("a.txt", "a");
    writeFile("b.txt", "b");
    ASSERT_EQ(runZip({"", "real.zip", "a.txt", "b.txt"}), ENGINE_OK);
    const int fd = ::open("real.zip", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(runZip({"", "-d", "/proc/self/fd/" + std::to_string(fd), "b.txt"}), ENGINE_OK);
    ::close(fd);
    EXPECT_EQ(listNames("real.zip"), std::vector<std::string>{"a.txt"});
}

} // namespace
