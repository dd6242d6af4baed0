// ZIP64: more than 65,535 entries, and (when TARNWICK_SLOW_TESTS is set) an
// entry beyond 4 GiB made from a sparse file.
#include "library_harness.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

// Tens of thousands of files are made and extracted: in memory where the
// system offers a memory file system, as on a disk they take minutes.
class InMemory : public ZipTest {
protected:
    fs::path scratchRoot() const override {
        std::error_code ec;
        if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0)
            return "/dev/shm";
        return ZipTest::scratchRoot();
    }
};

TEST_F(InMemory, MoreThan65535EntriesUseZip64EndRecords) {
    constexpr int kFiles = 65600;
    for (int d = 0; d < kFiles / 1000 + 1; ++d)
        fs::create_directories("many/d" + std::to_string(d));
    for (int i = 0; i < kFiles; ++i) {
        const std::string p = "many/d" + std::to_string(i / 1000) + "/" + std::to_string(i);
        const int fd = ::open(p.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "x", i % 2), i % 2);
        ::close(fd);
    }
    ASSERT_EQ(runZip({"", "-1", "-r", "many.zip", "many"}), ENGINE_OK);
    EXPECT_TRUE(peersAccept("many.zip"));
    const std::size_t entries = kFiles;
    EXPECT_EQ(listNames("many.zip").size(), entries);
    Engine ours;
    ASSERT_EQ(ours.query(ENGINE_QUERY_COUNT, "many.zip"), ENGINE_OK);
    ASSERT_EQ(ours.withCode(ENGINE_MSG_COUNT).size(), 1u);
    EXPECT_EQ(ours.withCode(ENGINE_MSG_COUNT)[0].count, static_cast<std::int32_t>(entries));
    ASSERT_EQ(ours.run({"", "-v", "many.zip"}), ENGINE_OK);
    EXPECT_EQ(ours.count(ENGINE_MSG_LISTING), static_cast<int>(entries));
    ASSERT_EQ(ours.run({"", "many.zip", "-d", "out"}), ENGINE_OK);
    EXPECT_EQ(sh("diff -r many out/many"), 0);
    // Growing it in place keeps the ZIP64 end records right.
    writeFile("one.txt", "one more");
    ASSERT_EQ(runZip({"", "-6", "-g", "many.zip", "one.txt"}), ENGINE_OK);
    EXPECT_EQ(sh("unzip -tq many.zip"), 0);
}

TEST_F(ZipTest, EntryBeyondFourGiB) {
    if (std::getenv("TARNWICK_SLOW_TESTS") == nullptr)
        GTEST_SKIP() << "set TARNWICK_SLOW_TESTS=1 to run (inflates 4.1 GiB)";
    const uint64_t size = (uint64_t{1} << 32) + 5 * 1024 * 1024 + 17;
    {
        const int fd = ::open("sparse.bin", O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        ASSERT_EQ(::pwrite(fd, "tail", 4, static_cast<off_t>(size - 4)), 4);
        ::close(fd);
    }
    writeFile("small.txt", "small");
    ASSERT_EQ(runZip({"", "-1", "big.zip", "small.txt", "sparse.bin"}), ENGINE_OK);
    EXPECT_TRUE(peersAccept("big.zip"));
    EXPECT_EQ(sh("unzip -p big.zip sparse.bin | tail -c 4 | grep -qx tail"), 0);
}

} // namespace
