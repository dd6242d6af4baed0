// ZIP64: more than 65,535 entries, and an entry beyond 4 GiB, each written,
// listed, tested and extracted by our engine and tested by the peers.
#include "library_harness.h"

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

// Zeros compress to almost nothing, so the source is a sparse file and only
// the extracted copy takes its full size (in memory where it can).
TEST_F(InMemory, EntryBeyondFourGiB) {
    const std::int64_t size = (std::int64_t{1} << 32) + 5 * 1024 * 1024 + 17;
    {
        const int fd = ::open("sparse.bin", O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        ASSERT_EQ(::pwrite(fd, "tail", 4, static_cast<off_t>(size - 4)), 4);
        ::close(fd);
    }
    writeFile("small.txt", "small");
    ASSERT_EQ(runZip({"", "-1", "big.zip", "small.txt", "sparse.bin"}), ENGINE_OK);
    fs::remove("sparse.bin");
    Engine ours;
    ASSERT_EQ(ours.run({"", "-v", "big.zip"}), ENGINE_OK);
    const auto listed = ours.withCode(ENGINE_MSG_LISTING);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].size, size);
    EXPECT_EQ(ours.run({"", "-t", "big.zip"}), ENGINE_OK);
    EXPECT_EQ(sh("unzip -tq big.zip"), 0);
    if (!sevenZip().empty()) {
        EXPECT_EQ(sh(sevenZip() + " t big.zip"), 0);
    }
    // The extraction checks the CRC as it writes; what remains to see is
    // that every byte arrived.
    ASSERT_EQ(ours.run({"", "big.zip", "sparse.bin", "-d", "out"}), ENGINE_OK);
    EXPECT_EQ(static_cast<std::int64_t>(fs::file_size("out/sparse.bin")), size);
    EXPECT_EQ(sh("tail -c 4 out/sparse.bin | grep -qx tail"), 0);
}

} // namespace
