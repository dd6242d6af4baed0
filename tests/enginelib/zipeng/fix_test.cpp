// Repair: "-F" and "-FF" on the damaged archives of the corpus and on
// archives damaged here. A repaired archive passes a test, every entry left
// out is named; a file that cannot be repaired is left alone.
#include "library_harness.h"

#include <iostream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using namespace enginetest;

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
                     const std::vector<std::string> &names,
                     const std::vector<std::string> &dropped = {}) {
        writeFile("bad.zip", data);
        Recorder rec;
        ASSERT_EQ(runZip({"", mode, "bad.zip"}, &rec),
                  dropped.empty() ? ENGINE_OK : ENGINE_SOME_SKIPPED)
            << mode;
        EXPECT_EQ(rec.names(ENGINE_MSG_SKIPPING), dropped) << mode;
        for (int reason : rec.reasons())
            EXPECT_TRUE(reason == ENGINE_SKIP_BAD_CRC || reason == ENGINE_SKIP_CORRUPTED) << reason;
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
    const std::vector<std::string> rest = {"f/three.bin", "f/two.txt"};
    expectFixed(damaged, "-F", rest, {"f/one.txt"});
    expectFixed(damaged, "-FF", rest, {"f/one.txt"});
}

TEST_F(FixTest, ADamagedSizeDropsOnlyItsOwnEntry) {
    // The first record claims 60 bytes more than its data, running into the
    // next entry's local header: its data fails, the entries after it are
    // intact and must survive the repair.
    std::string damaged = good_;
    const size_t sizeField = centralOffset() + 20;
    uint32_t size = 0;
    for (int b = 3; b >= 0; --b)
        size = (size << 8) | static_cast<uint8_t>(damaged[sizeField + b]);
    size += 60;
    for (int b = 0; b < 4; ++b)
        damaged[sizeField + b] = static_cast<char>(size >> (8 * b));
    writeFile("bad.zip", damaged);
    Recorder rec;
    ASSERT_EQ(runZip({"", "-F", "bad.zip"}, &rec), ENGINE_SOME_SKIPPED);
    EXPECT_EQ(rec.names(ENGINE_MSG_SKIPPING).size(), 1u);
    EXPECT_EQ(listNames("bad.zip").size(), kAll.size() - 1);
    EXPECT_EQ(sh("unzip -tq bad.zip"), 0);
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
            // Kept, and named as not checked.
            Recorder rec;
            ASSERT_EQ(runZip({"wrong", mode, archive}, &rec), ENGINE_SOME_SKIPPED)
                << archive << mode;
            EXPECT_EQ(listNames(archive), before) << archive << mode;
            EXPECT_EQ(rec.reasons(), std::vector<int>(kAll.size(), ENGINE_SKIP_PASSWORD));
            EXPECT_EQ(runZip({"right", mode, archive}), ENGINE_OK) << archive << mode;
        }
    }
    // About one wrong password in 128 gets past the traditional header's
    // check byte and then fails on the data; enough of them make sure some do.
    const std::vector<std::string> before = listNames("enc.zip");
    for (int n = 0; n < 300; ++n) {
        const std::string password = "stale" + std::to_string(n);
        ASSERT_EQ(runZip({password, "-F", "enc.zip"}), ENGINE_SOME_SKIPPED) << password;
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

TEST_F(FixTest, ValidEmptyArchiveStaysAsItIs) {
    // An end record alone, with a comment.
    const std::string empty =
        std::string("PK\x05\x06", 4) + std::string(16, '\0') + std::string("\x04\x00note", 6);
    for (const char *mode : {"-F", "-FF"}) {
        writeFile("empty.zip", empty);
        EXPECT_EQ(runZip({"", mode, "empty.zip"}), ENGINE_OK) << mode;
        EXPECT_EQ(readFile("empty.zip"), empty) << mode;
    }
}

// What a rebuild from local headers cannot read there comes from the
// directory records that survive; a name without them is flagged as UTF-8
// when it is, so that no reader takes it for a DOS code page.
TEST_F(ZipTest, RebuiltEntriesKeepNamesAndUnixModes) {
    writeFile("d/\xc3\xbc.txt", "hi\n");
    writeFile("d/b.txt", "yo\n");
    fs::permissions("d/\xc3\xbc.txt", fs::perms(0751));
    fs::permissions("d/b.txt", fs::perms(0640));
    ASSERT_EQ(runZip({"", "-r", "ours.zip", "d"}), ENGINE_OK);
    ASSERT_EQ(sh("LANG=C.UTF-8 zip -qr infozip.zip d"), 0);
    // zipinfo's permissions, host and name columns: what unzip would restore.
    const auto columns = [](const std::string &zip) {
        return sh("(zipinfo " + zip + " | awk 'NF>8 {print $1, $3, $NF}' > cols.txt)") == 0
                   ? readFile("cols.txt")
                   : std::string("zipinfo failed");
    };
    const auto names = [](const std::string &zip) {
        return sh("(zipinfo -1 " + zip + " > names.txt)") == 0 ? readFile("names.txt")
                                                               : std::string("zipinfo failed");
    };
    struct Case {
        const char *archive;
        bool keepDirectory; // cut only the end record, else the whole directory
    };
    for (const Case c : {Case{"ours.zip", true}, Case{"infozip.zip", true}, Case{"ours.zip", false},
                         Case{"infozip.zip", false}}) {
        const std::string whole = readFile(c.archive);
        const auto *end = reinterpret_cast<const uint8_t *>(whole.data() + whole.size() - 22);
        const size_t cd = end[16] | (end[17] << 8) | (end[18] << 16) | (size_t{end[19]} << 24);
        for (const char *mode : {"-F", "-FF"}) {
            SCOPED_TRACE(std::string(c.archive) + (c.keepDirectory ? " " : " cut ") + mode);
            writeFile("x.zip", whole.substr(0, c.keepDirectory ? whole.size() - 22 : cd));
            ASSERT_EQ(runZip({"", mode, "x.zip"}), ENGINE_OK);
            if (c.keepDirectory) {
                EXPECT_EQ(columns("x.zip"), columns(c.archive));
            }
            EXPECT_EQ(names("x.zip"), names(c.archive));
        }
    }
}

// Inputs a fuzzer found: a repair that reports success leaves an archive
// our reader lists and tests; one that fails leaves the file alone.
TEST_F(ZipTest, FuzzFindsRepairToReadableArchivesOrNotAtAll) {
    const fs::path dir = TARNWICK_SOURCE_DIR "/tests/enginelib/zipeng/data/fuzz";
    int inputs = 0;
    for (const auto &e : fs::directory_iterator(dir)) {
        ++inputs;
        for (const char *mode : {"-F", "-FF"}) {
            SCOPED_TRACE(e.path().filename().string() + " " + mode);
            fs::copy_file(e.path(), "x.zip", fs::copy_options::overwrite_existing);
            fs::permissions("x.zip", fs::perms(0644));
            const int rc = runZip({"", mode, "x.zip"});
            if (rc == ENGINE_OK || rc == ENGINE_SOME_SKIPPED) {
                EXPECT_EQ(runUnzip({"", "-v", "x.zip"}), ENGINE_OK);
                EXPECT_EQ(runUnzip({"", "-t", "x.zip"}), ENGINE_OK);
            } else {
                EXPECT_EQ(rc, ENGINE_BAD_ARCHIVE);
                EXPECT_EQ(readFile("x.zip"), readFile(e.path()));
            }
        }
    }
    EXPECT_GE(inputs, 2);
}

// Overlap bombs: several names for one local header, or data that spans the
// next entries' headers. The reader refuses them; a repair must not copy
// the shared bytes apart into a bomb it accepts.
TEST_F(ZipTest, OverlapBombsRepairToOneEntry) {
    for (const char *name : {"crafted-overlap-bomb-full.zip", "crafted-overlap-bomb-quoted.zip"}) {
        const fs::path bomb = fs::path(TARNWICK_CORPUS_DIR) / "hostile" / name;
        if (!fs::exists(bomb))
            GTEST_SKIP() << "no corpus at " << bomb;
        // The directory's other records are named as left out; the local
        // headers lead to the one entry.
        for (const auto &[mode, result] :
             {std::pair{"-F", ENGINE_SOME_SKIPPED}, {"-FF", ENGINE_OK}}) {
            SCOPED_TRACE(std::string(name) + " " + mode);
            fs::copy_file(bomb, "x.zip", fs::copy_options::overwrite_existing);
            ASSERT_EQ(runZip({"", mode, "x.zip"}), result);
            EXPECT_EQ(listNames("x.zip").size(), 1u);
            EXPECT_EQ(sh("unzip -tq x.zip"), 0);
        }
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
            if (rc == ENGINE_OK || rc == ENGINE_SOME_SKIPPED) {
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
