// Deflate64 entries as 7-Zip writes them: long matches across the 64 KiB
// window, lengths past 258, an entry larger than the streaming buffers, and
// damaged streams.
#include "library_harness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

class Deflate64 : public ::testing::Test {
protected:
    void SetUp() override {
        seven = sevenZip();
        if (seven.empty())
            GTEST_SKIP() << "7-Zip not installed";
    }
    fs::path make(const std::map<std::string, std::string> &files, const std::string &options) {
        for (const auto &[name, data] : files)
            writeFile(dir / "in" / name, data);
        fs::path archive = dir / "d64.zip";
        fs::remove(archive);
        EXPECT_EQ(shell("cd " + quote((dir / "in").string()) + " && " + seven +
                        " a -tzip -mm=Deflate64 " + options + " " + quote(archive.string()) +
                        " . >/dev/null"),
                  0);
        return archive;
    }
    TempDir dir;
    Engine engine;
    std::string seven;
};

std::map<std::string, std::string> sampleFiles() {
    std::mt19937 rng(64);
    std::string text, symbols, block(50000, '\0');
    for (int i = 0; i < 40000; ++i)
        text += "row " + std::to_string(i * 7919 % 10007) + " of some text\n";
    // Random symbols from a small alphabet: Huffman coding without matches.
    for (int i = 0; i < 300000; ++i)
        symbols += "0123456789abcdef"[rng() & 15];
    for (char &c : block)
        c = static_cast<char>(rng());
    // A random block repeated: every match reaches 50,000 bytes back, past a
    // 32 KiB window, and runs far beyond 258 bytes.
    std::string repeated;
    for (int i = 0; i < 30; ++i)
        repeated += block;
    repeated += std::string(100000, 'z');
    // Noise between text: blocks the encoder stores rather than codes.
    std::string noise(150000, '\0');
    for (char &c : noise)
        c = static_cast<char>(rng());
    return {{"text.txt", text},
            {"symbols.txt", symbols},
            {"repeated.bin", repeated},
            {"mixed.bin", text + noise + symbols},
            {"empty.txt", ""}};
}

// The peak resident memory since the last reset, in KiB; -1 if unknown.
long peakRssKb(bool reset) {
    if (reset) {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        if (!clear)
            return -1;
    }
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

TEST_F(Deflate64, SevenZipArchivesListTestAndExtractByteExact) {
    const auto files = sampleFiles();
    const fs::path archive = make(files, "");
    ASSERT_EQ(engine.run({"", "-v", archive.string()}), ENGINE_OK);
    for (const auto &m : engine.withCode(ENGINE_MSG_LISTING)) {
        EXPECT_EQ(m.size, static_cast<std::int64_t>(files.at(m.name).size())) << m.name;
        if (m.size > 0) {
            EXPECT_EQ(m.method, 9) << m.name;
        }
    }
    EXPECT_EQ(engine.run({"", "-t", archive.string()}), ENGINE_OK);
    EXPECT_TRUE(engine.withCode(ENGINE_MSG_SKIPPING).empty());
    const fs::path out = dir / "out";
    ASSERT_EQ(engine.run({"", archive.string(), "-d", out.string()}), ENGINE_OK);
    for (const auto &[name, data] : files)
        EXPECT_TRUE(readFile(out / name) == data) << name;
}

TEST_F(Deflate64, EntryPastSixtyFourMiBStreamsInBoundedMemory) {
    std::string big;
    big.reserve(std::size_t{70} << 20);
    for (int i = 0; big.size() < (std::size_t{70} << 20); ++i)
        big += "entry line " + std::to_string(i) + " with a counter that keeps changing\n";
    const fs::path archive = make({{"big.txt", big}}, "-mx=1");
    big.clear();
    big.shrink_to_fit();
    const long before = peakRssKb(true);
    EXPECT_EQ(engine.run({"", "-t", archive.string()}), ENGINE_OK);
    EXPECT_TRUE(engine.withCode(ENGINE_MSG_SKIPPING).empty());
    if (before < 0)
        GTEST_SKIP() << "peak memory cannot be reset here";
    // The whole entry in memory would add 70 MiB.
    EXPECT_LT(peakRssKb(false) - before, 24 * 1024);
}

TEST_F(Deflate64, DamagedStreamsAreReportedAndNeverCrash) {
    const auto files = sampleFiles();
    const std::string bytes = readFile(make({{"text.txt", files.at("text.txt")}}, ""));
    const std::size_t data = localDataOffset(bytes, "text.txt");
    ASSERT_NE(data, std::string::npos);
    const fs::path copy = dir / "damaged.zip";

    // Block type 3 does not exist.
    std::string invalid = bytes;
    invalid[data] = static_cast<char>(invalid[data] | 0x06);
    writeFile(copy, invalid);
    EXPECT_EQ(engine.run({"", "-t", copy.string()}), ENGINE_TEST_FAILED);
    auto skips = engine.withCode(ENGINE_MSG_SKIPPING);
    ASSERT_EQ(skips.size(), 1u);
    EXPECT_EQ(skips[0].reason, ENGINE_SKIP_CORRUPTED);

    // Damage anywhere in the stream fails the entry as corrupt or as a CRC
    // mismatch; nothing else.
    std::mt19937 rng(7);
    const std::size_t packed = bytes.find("PK\x01\x02") - data;
    for (int round = 0; round < 60; ++round) {
        std::string damaged = bytes;
        damaged[data + rng() % packed] ^= static_cast<char>(1 + rng() % 255);
        writeFile(copy, damaged);
        const std::int32_t rc = engine.run({"", "-t", copy.string()});
        EXPECT_TRUE(rc == ENGINE_OK || rc == ENGINE_TEST_FAILED) << rc;
        for (const auto &m : engine.withCode(ENGINE_MSG_SKIPPING))
            EXPECT_TRUE(m.reason == ENGINE_SKIP_CORRUPTED || m.reason == ENGINE_SKIP_BAD_CRC);
    }
}

} // namespace
