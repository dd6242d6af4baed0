// Repair: "-F" and "-FF" on the damaged archives of the corpus and on
// archives damaged here. A repaired archive passes a test; a file that
// cannot be repaired is left alone.
#include "zip_support.h"

#include <iostream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using namespace ziptest;

namespace {

class FixTest : public ZipTest {
protected:
    void SetUp() override {
        ZipTest::SetUp();
        writeFile("f/one.txt", textData(40000, 21));
        writeFile("f/two.txt", textData(30000, 22));
        writeFile("f/three.bin", randomData(5000, 23));
        ASSERT_EQ(runZip({"", "-6", "-r", "good.zip", "f"}), ENGINE_OK);
        good_ = readFile("good.zip");
    }
    // Offset of the central directory of good.zip.
    size_t centralOffset() const {
        const auto *end = reinterpret_cast<const uint8_t *>(good_.data() + good_.size() - 22);
        return end[16] | (end[17] << 8) | (end[18] << 16) | (size_t{end[19]} << 24);
    }
    void expectFixed(const std::string &data, const char *mode,
                     const std::vector<std::string> &names) {
        writeFile("bad.zip", data);
        Recorder rec;
        ASSERT_EQ(runZip({"", mode, "bad.zip"}, &rec), ENGINE_OK) << mode;
        EXPECT_EQ(sh("unzip -tq bad.zip"), 0) << mode;
        EXPECT_EQ(listNames("bad.zip"), names) << mode;
        EXPECT_EQ(static_cast<size_t>(rec.count(ENGINE_MSG_FIXING)), names.size());
    }
    std::string good_;
};

const std::vector<std::string> kAll = {"f/one.txt", "f/three.bin", "f/two.txt"};

TEST_F(FixTest, IntactArchiveStaysComplete) {
    expectFixed(good_, "-F", kAll);
    expectFixed(good_, "-FF", kAll);
}

TEST_F(FixTest, TruncatedArchiveKeepsWholeEntries) {
    // Cut inside the directory: the local headers still hold everything.
    const std::string cut = good_.substr(0, centralOffset() + 10);
    expectFixed(cut, "-F", kAll);
    expectFixed(cut, "-FF", kAll);
    // Cut inside the last entry's data: the first entries survive.
    const std::string deeper = good_.substr(0, centralOffset() - 100);
    writeFile("bad.zip", deeper);
    ASSERT_EQ(runZip({"", "-FF", "bad.zip"}), ENGINE_OK);
    EXPECT_EQ(sh("unzip -tq bad.zip"), 0);
    EXPECT_EQ(listNames("bad.zip").size(), 2u);
}

TEST_F(FixTest, OverwrittenDirectoryIsRebuiltFromLocalHeaders) {
    std::string damaged = good_;
    for (size_t i = centralOffset(); i < damaged.size() - 22; ++i)
        damaged[i] = 'X';
    expectFixed(damaged, "-F", kAll);
    expectFixed(damaged, "-FF", kAll);
}

TEST_F(FixTest, FlippedByteDropsOnlyThatEntry) {
    std::string damaged = good_;
    // The first entry's data begins after its 30-byte header, its name and
    // its 9-byte timestamp field.
    const size_t pos = 30 + std::string("f/one.txt").size() + 9 + 200;
    damaged[pos] = static_cast<char>(damaged[pos] ^ 0x55);
    expectFixed(damaged, "-F", (std::vector<std::string>{"f/three.bin", "f/two.txt"}));
    expectFixed(damaged, "-FF", (std::vector<std::string>{"f/three.bin", "f/two.txt"}));
}

TEST_F(FixTest, WrongPasswordKeepsEncryptedEntries) {
    ASSERT_EQ(runZip({"right", "-e", "-6", "-r", "enc.zip", "f"}), ENGINE_OK);
    std::vector<std::string> archives = {"enc.zip"};
    const std::string seven = sevenZip();
    if (!seven.empty()) {
        ASSERT_EQ(sh(seven + " a -tzip -pright -mem=AES256 aes.zip f >/dev/null"), 0);
        archives.push_back("aes.zip");
    }
    for (const std::string &archive : archives) {
        const std::vector<std::string> before = listNames(archive);
        EXPECT_GE(before.size(), kAll.size());
        for (const char *mode : {"-F", "-FF"}) {
            ASSERT_EQ(runZip({"wrong", mode, archive}), ENGINE_OK) << archive << mode;
            EXPECT_EQ(listNames(archive), before) << archive << mode;
        }
    }
    // About one wrong password in 128 gets past the traditional header's
    // check byte and then fails on the data; enough of them make sure some do.
    const std::vector<std::string> before = listNames("enc.zip");
    for (int n = 0; n < 300; ++n) {
        const std::string password = "stale" + std::to_string(n);
        ASSERT_EQ(runZip({password, "-F", "enc.zip"}), ENGINE_OK) << password;
        ASSERT_EQ(listNames("enc.zip"), before) << password;
    }
}

TEST_F(FixTest, NothingToSalvageLeavesTheFile) {
    writeFile("junk.zip", randomData(4000, 24));
    const std::string before = readFile("junk.zip");
    EXPECT_EQ(runZip({"", "-F", "junk.zip"}), ENGINE_BAD_ARCHIVE);
    EXPECT_EQ(runZip({"", "-FF", "junk.zip"}), ENGINE_BAD_ARCHIVE);
    EXPECT_EQ(readFile("junk.zip"), before);
    EXPECT_EQ(runZip({"", "-F", "missing.zip"}), ENGINE_ARCHIVE_NOT_FOUND);
}

TEST_F(ZipTest, RepairKeepsOneEntryOfRecordsSharingALocalHeader) {
    const fs::path bomb = fs::path(TARNWICK_CORPUS_DIR) / "hostile/crafted-overlap-bomb-full.zip";
    if (!fs::exists(bomb))
        GTEST_SKIP() << "no corpus at " << bomb;
    for (const char *mode : {"-F", "-FF"}) {
        fs::copy_file(bomb, "x.zip", fs::copy_options::overwrite_existing);
        ASSERT_EQ(runZip({"", mode, "x.zip"}), ENGINE_OK) << mode;
        EXPECT_EQ(listNames("x.zip").size(), 1u) << mode;
        EXPECT_EQ(sh("unzip -tq x.zip"), 0) << mode;
    }
}

TEST_F(ZipTest, CorpusDamagedArchivesRepairToTestableArchives) {
    const fs::path corpus = fs::path(TARNWICK_CORPUS_DIR) / "damaged";
    if (!fs::exists(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    // Passwords of the encrypted entries, from the manifest's sixth column.
    std::map<std::string, std::string> passwords;
    std::istringstream manifest(readFile(fs::path(TARNWICK_CORPUS_DIR) / "MANIFEST.tsv"));
    for (std::string line; std::getline(manifest, line);) {
        std::vector<std::string> cols;
        std::istringstream ls(line);
        for (std::string col; std::getline(ls, col, '\t');)
            cols.push_back(col);
        if (cols.size() > 5)
            passwords[cols[0]] = cols[5];
    }
    int repaired = 0, refused = 0;
    for (const auto &e : fs::directory_iterator(corpus)) {
        const std::string password = passwords["damaged/" + e.path().filename().string()];
        for (const char *mode : {"-F", "-FF"}) {
            fs::copy_file(e.path(), "x.zip", fs::copy_options::overwrite_existing);
            const std::string before = readFile("x.zip");
            const int rc = runZip({password, mode, "x.zip"});
            if (rc == ENGINE_OK) {
                ++repaired;
                // Methods Info-ZIP cannot test (status 81) say nothing
                // about the repair; everything else must test clean.
                const int t = sh("unzip -tq -P '" + password + "' x.zip");
                EXPECT_TRUE(t == 0 || t == 81)
                    << e.path().filename() << " " << mode << " unzip -t " << t;
            } else {
                ++refused;
                EXPECT_EQ(rc, ENGINE_BAD_ARCHIVE) << e.path().filename() << " " << mode;
                EXPECT_EQ(readFile("x.zip"), before) << e.path().filename();
            }
        }
    }
    EXPECT_GT(repaired, 20);
    std::cout << "corpus repair: " << repaired << " repaired, " << refused << " refused\n";
}

} // namespace
