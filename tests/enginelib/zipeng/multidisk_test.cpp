// Multi-disk sets: written by zipeng with "-!", read back by unzeng with
// "-!", by 7-Zip, and sets that Info-ZIP's zip -s writes read by unzeng.
#include "library_harness.h"

#include <cstdlib>
#include <map>

namespace enginetest {
namespace {

namespace fs = std::filesystem;

// What a set writes into the folder: piece file names and sizes.
std::map<std::string, uintmax_t> pieces(const std::string &stem) {
    std::map<std::string, uintmax_t> out;
    for (const auto &e : fs::directory_iterator("."))
        if (e.path().filename().string().rfind(stem + ".z", 0) == 0)
            out[e.path().filename().string()] = e.file_size();
    return out;
}

std::vector<std::string> sevenZipNames(const std::string &zip) {
    std::vector<std::string> names;
    FILE *p = popen((sevenZip() + " l -slt '" + zip + "' 2>/dev/null").c_str(), "r");
    char line[4096];
    bool inFiles = false;
    while (p != nullptr && fgets(line, sizeof line, p) != nullptr) {
        std::string s = line;
        if (s.rfind("----------", 0) == 0)
            inFiles = true;
        if (inFiles && s.rfind("Path = ", 0) == 0)
            names.push_back(s.substr(7, s.size() - 8));
    }
    if (p != nullptr)
        pclose(p);
    std::sort(names.begin(), names.end());
    return names;
}

// Our extracting side lists a set through "-v -!".
std::vector<std::string> ourNames(const std::string &zip) {
    Recorder rec;
    EXPECT_EQ(runUnzip({"", "-v", "-!", zip}, &rec), ENGINE_OK);
    std::vector<std::string> names;
    for (const auto &m : rec.messages)
        if (m.code == ENGINE_MSG_LISTING)
            names.push_back(m.name);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<int> disksAskedFor(const Recorder &rec) {
    std::vector<int> disks;
    for (const auto &m : rec.messages)
        if (m.code == ENGINE_MSG_NEW_DISK)
            disks.push_back(m.disk);
    return disks;
}

// Every file of `files` came out of the set whole into `dir`.
void expectExtracted(const std::string &zip, const std::map<std::string, std::string> &files,
                     const std::string &password = "") {
    fs::remove_all("out");
    ASSERT_EQ(runUnzip({password, "-!", "-o", zip, "-d", "out"}), ENGINE_OK) << zip;
    for (const auto &[name, content] : files)
        EXPECT_TRUE(readFile("out/" + name) == content) << name << " of " << zip;
}

struct RoundTrip {
    const char *label;
    uint64_t pieceSize;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> options; // e.g. "-0", "-e"
};

class MultidiskTest : public ZipTest {
protected:
    void TearDown() override {
        unsetenv("TARNWICK_ZIPENG_MEDIUM_BYTES");
        ZipTest::TearDown();
    }
};

TEST_F(MultidiskTest, RoundTripsThroughOurEnginesAnd7Zip) {
    const std::vector<RoundTrip> cases = {
        {"deflated and larger than a piece",
         64 << 10,
         {{"a.txt", textData(300000)}, {"b.bin", randomData(150000)}, {"empty", ""}},
         {"-6"}},
        {"stored",
         100 << 10,
         {{"s1.bin", randomData(250000)}, {"s2.txt", textData(90000)}},
         {"-0"}},
        {"encrypted",
         64 << 10,
         {{"secret.txt", textData(200000, 3)}, {"secret.bin", randomData(150000, 4)}, {"zero", ""}},
         {"-e"}},
        // Larger than one compression chunk: the sizes follow the data.
        {"chunked entry across pieces",
         3 << 20,
         {{"big.txt", textData(9 << 20, 5)}, {"big.bin", randomData(5 << 20, 6)}},
         {"-6"}},
        // A set keeps data descriptors; AE-2 puts no CRC in them.
        {"AES-256 across pieces",
         1 << 20,
         {{"big.txt", textData(9 << 20, 7)}, {"big.bin", randomData(5 << 20, 8)}},
         {"-e", "-Y", "aes256"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all("src");
        std::map<std::string, std::string> expected;
        std::vector<std::string> args = {c.options.front() == "-e" ? "pw" : ""};
        for (const auto &o : c.options)
            args.push_back(o);
        args.insert(args.end(), {"-j", "-!", "-s", std::to_string(c.pieceSize), "set.zip"});
        for (const auto &[name, content] : c.files) {
            writeFile("src/" + name, content);
            expected[name] = content;
            args.push_back("src/" + name);
        }
        fs::remove("set.zip");
        for (const auto &[name, size] : pieces("set"))
            fs::remove(name);
        ASSERT_EQ(runZip(args), ENGINE_OK);
        const auto made = pieces("set");
        ASSERT_GE(made.size(), 2u);
        for (const auto &[name, size] : made)
            EXPECT_LE(size, c.pieceSize) << name;
        EXPECT_EQ(readFile("set.z01").substr(0, 4), std::string("PK\x07\x08", 4));
        const std::string password = args[0];
        EXPECT_EQ(runUnzip({password, "-!", "-t", "set.zip"}), ENGINE_OK);
        expectExtracted("set.zip", expected, password);
        if (!sevenZip().empty()) {
            EXPECT_EQ(sh(sevenZip() + " t -p'" + password + "' set.zip"), 0);
            EXPECT_EQ(sevenZipNames("set.zip"), ourNames("set.zip"));
        }
    }
}

TEST_F(MultidiskTest, MoreThanNinetyNinePieces) {
    writeFile("data.bin", randomData(7 << 20, 9));
    ASSERT_EQ(runZip({"", "-!", "-s", "65536", "many.zip", "data.bin"}), ENGINE_OK);
    EXPECT_TRUE(fs::exists("many.z99"));
    EXPECT_TRUE(fs::exists("many.z100"));
    EXPECT_EQ(runUnzip({"", "-!", "-t", "many.zip"}), ENGINE_OK);
    if (!sevenZip().empty()) {
        EXPECT_EQ(sh(sevenZip() + " t many.zip"), 0);
    }
}

// Every medium holds 200,000 bytes (the hook): the engine asks for disks
// 2, 3, ... in turn and goes on after each answer.
TEST_F(MultidiskTest, FullMediumAsksForTheNextDisk) {
    setenv("TARNWICK_ZIPENG_MEDIUM_BYTES", "200000", 1);
    writeFile("a.txt", textData(400000));
    writeFile("b.bin", randomData(500000));
    Recorder rec;
    ASSERT_EQ(runZip({"", "-!", "-&", "set.zip", "a.txt", "b.bin"}, &rec), ENGINE_OK);
    std::vector<int> asked;
    for (const auto &m : rec.messages)
        if (m.code == ENGINE_MSG_NEW_DISK)
            asked.push_back(m.disk);
    const auto made = pieces("set");
    ASSERT_GE(made.size(), 3u);
    std::vector<int> expected;
    for (int k = 2; k <= static_cast<int>(made.size()); ++k)
        expected.push_back(k);
    EXPECT_EQ(asked, expected);
    for (const auto &[name, size] : made)
        EXPECT_LE(size, 200000u) << name;
    unsetenv("TARNWICK_ZIPENG_MEDIUM_BYTES");
    expectExtracted("set.zip", {{"a.txt", textData(400000)}, {"b.bin", randomData(500000)}});
}

TEST_F(MultidiskTest, CancelAtTheDiskPromptLeavesNoPieces) {
    setenv("TARNWICK_ZIPENG_MEDIUM_BYTES", "150000", 1);
    writeFile("a.bin", randomData(600000));
    writeFile("keep.z01", "not ours"); // another set's name: untouched
    Recorder rec;
    rec.newDisk = [&](int disk) { return disk == 3 ? 1 : 0; };
    EXPECT_EQ(runZip({"", "-!", "set.zip", "a.bin"}, &rec), ENGINE_ABORTED);
    EXPECT_EQ(rec.count(ENGINE_MSG_NEW_DISK), 2);
    EXPECT_TRUE(pieces("set").empty());
    EXPECT_FALSE(fs::exists("set.zip"));
    EXPECT_EQ(readFile("keep.z01"), "not ours");
}

class MultidiskReadTest : public MultidiskTest {
protected:
    void SetUp() override {
        MultidiskTest::SetUp();
        writeFile("a.txt", textData(300000));
        writeFile("b.bin", randomData(200000));
        ASSERT_EQ(runZip({"", "-!", "-s", "65536", "set.zip", "a.txt", "b.bin"}), ENGINE_OK);
        ASSERT_TRUE(fs::exists("set.z03"));
    }
};

TEST_F(MultidiskReadTest, MissingPieceIsAskedForUntilItIsBack) {
    fs::rename("set.z03", "away");
    Recorder rec;
    rec.newDisk = [&](int disk) {
        if (disk == 3 && rec.count(ENGINE_MSG_NEW_DISK) == 2)
            fs::rename("away", "set.z03");
        return 0;
    };
    EXPECT_EQ(runUnzip({"", "-!", "-t", "set.zip"}, &rec), ENGINE_OK);
    EXPECT_EQ(disksAskedFor(rec), (std::vector<int>{3, 3}));

    fs::rename("set.z03", "away");
    Recorder cancel;
    cancel.newDisk = [](int) { return 1; };
    EXPECT_EQ(runUnzip({"", "-!", "-t", "set.zip"}, &cancel), ENGINE_ABORTED);
    EXPECT_EQ(cancel.count(ENGINE_MSG_SKIPPING), 0);
}

// A set on removable media: only the last disk is in the drive. Listing
// reads the directory there and asks for nothing; extracting asks for each
// other disk when its data comes, once, in order.
TEST_F(MultidiskReadTest, OnlyThePiecesReadAreAskedFor) {
    const auto made = pieces("set");
    fs::create_directory("drawer");
    for (const auto &[name, size] : made)
        if (name != "set.zip")
            fs::rename(name, "drawer/" + name);
    Recorder list;
    EXPECT_EQ(runUnzip({"", "-!", "-v", "set.zip"}, &list), ENGINE_OK);
    EXPECT_EQ(list.count(ENGINE_MSG_LISTING), 2);
    EXPECT_EQ(disksAskedFor(list), std::vector<int>{});

    // The drive holds one disk at a time: the one asked for replaces the last.
    std::string inDrive = "set.zip";
    Recorder extract;
    extract.newDisk = [&](int disk) {
        fs::rename(inDrive, "drawer/" + inDrive);
        inDrive = disk == 0 ? std::string("set.zip") : "set.z0" + std::to_string(disk);
        fs::rename("drawer/" + inDrive, inDrive);
        return 0;
    };
    fs::remove_all("out");
    ASSERT_EQ(runUnzip({"", "-!", "-o", "set.zip", "-d", "out"}, &extract), ENGINE_OK);
    // The last disk holds the end of the data as well as the directory.
    std::vector<int> expected;
    for (int k = 1; k < static_cast<int>(made.size()); ++k)
        expected.push_back(k);
    expected.push_back(0);
    EXPECT_EQ(disksAskedFor(extract), expected);
    EXPECT_EQ(readFile("out/a.txt"), textData(300000));
    EXPECT_EQ(readFile("out/b.bin"), randomData(200000));
}

TEST_F(MultidiskReadTest, OpeningTheFirstPieceAsksForTheLastDisk) {
    fs::rename("set.zip", "away");
    Recorder rec;
    rec.newDisk = [](int disk) {
        if (disk == 0)
            fs::rename("away", "set.zip");
        return 0;
    };
    EXPECT_EQ(runUnzip({"", "-!", "-v", "set.z01"}, &rec), ENGINE_OK);
    EXPECT_EQ(rec.count(ENGINE_MSG_NEW_DISK), 1);
    EXPECT_EQ(rec.messages.front().disk, 0);
    EXPECT_EQ(rec.count(ENGINE_MSG_LISTING), 2);

    // A whole archive that merely has such a name is read as it is.
    ASSERT_EQ(runZip({"", "plain.z01", "a.txt"}), ENGINE_OK);
    Recorder plain;
    EXPECT_EQ(runUnzip({"", "-!", "-t", "plain.z01"}, &plain), ENGINE_OK);
    EXPECT_EQ(plain.count(ENGINE_MSG_NEW_DISK), 0);
}

TEST_F(MultidiskReadTest, WithoutMultidiskModeASetIsRefused) {
    EXPECT_EQ(runUnzip({"", "-v", "set.zip"}), ENGINE_SPANNED);
    EXPECT_EQ(runUnzip({"", "-t", "set.z01"}), ENGINE_SPANNED);
    EXPECT_EQ(runZip({"", "-d", "set.zip", "a.txt"}), ENGINE_SPANNED);
    // A set is only ever written new.
    EXPECT_EQ(runZip({"", "-!", "set.zip", "a.txt"}), ENGINE_MULTIDISK_REFUSED);
    writeFile("plain-src", "x");
    ASSERT_EQ(runZip({"", "plain.zip", "plain-src"}), ENGINE_OK);
    EXPECT_EQ(runZip({"", "-!", "plain.zip", "a.txt"}), ENGINE_MULTIDISK_REFUSED);
    EXPECT_EQ(runZip({"", "-u", "-!", "new.zip", "a.txt"}), ENGINE_MULTIDISK_REFUSED);
}

TEST_F(MultidiskTest, StalePiecesOfAnOlderSet) {
    writeFile("a.txt", textData(600000));
    writeFile("small.txt", textData(100000));
    writeFile("set.txt", "unrelated");
    for (bool clear : {true, false}) {
        SCOPED_TRACE(clear ? "with -&" : "without -&");
        ASSERT_EQ(runZip({"", "-!", "-0", "-s", "65536", "set.zip", "a.txt"}), ENGINE_OK);
        ASSERT_TRUE(fs::exists("set.z09"));
        fs::remove("set.zip"); // what New Archive does
        std::vector<std::string> args = {"", "-!", "-0", "-s", "65536"};
        if (clear)
            args.push_back("-&");
        args.insert(args.end(), {"set.zip", "small.txt"});
        ASSERT_EQ(runZip(args), ENGINE_OK);
        // The new set is set.z01 and set.zip (written as set.z02, which
        // replaced the older one): the older set.z03 on are stale.
        EXPECT_EQ(fs::exists("set.z03"), !clear);
        EXPECT_EQ(fs::exists("set.z09"), !clear);
        EXPECT_EQ(readFile("set.txt"), "unrelated");
        expectExtracted("set.zip", {{"small.txt", textData(100000)}});
        for (const auto &[name, size] : pieces("set"))
            fs::remove(name);
    }
}

TEST_F(MultidiskTest, InfoZipSetsReadByteExact) {
    if (sh("command -v zip") != 0)
        GTEST_SKIP() << "no Info-ZIP zip";
    std::map<std::string, std::string> files = {
        {"t.txt", textData(700000, 11)}, {"r.bin", randomData(400000, 12)}, {"zero", ""}};
    for (const auto &[name, content] : files)
        writeFile(name, content);
    ASSERT_EQ(sh("zip -q -s 64k izip.zip t.txt r.bin zero"), 0);
    ASSERT_TRUE(fs::exists("izip.z05"));
    EXPECT_EQ(ourNames("izip.zip"), (std::vector<std::string>{"r.bin", "t.txt", "zero"}));
    EXPECT_EQ(runUnzip({"", "-!", "-t", "izip.zip"}), ENGINE_OK);
    expectExtracted("izip.zip", files);
    ASSERT_EQ(sh("zip -q -e -P pw -s 100k izip-e.zip t.txt r.bin"), 0);
    EXPECT_EQ(runUnzip({"pw", "-!", "-t", "izip-e.zip"}), ENGINE_OK);
}

} // namespace
} // namespace enginetest
