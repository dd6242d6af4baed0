// Archives written at test time by the field's other tools: listed, tested
// and extracted with identical names, sizes, times and bytes.
#include "library_harness.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

// The files every archive holds, by name. A fixed seed keeps them the same
// from run to run.
std::map<std::string, std::string> treeFiles() {
    std::map<std::string, std::string> files;
    std::mt19937 rng(20261207);
    std::string noise(200000, '\0');
    for (char &c : noise)
        c = static_cast<char>(rng());
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + std::to_string(i) + " of a fairly compressible text file\n";
    files["text.txt"] = text;
    files["noise.bin"] = noise;
    files["empty.txt"] = "";
    files["sub/deeper/small.txt"] = "small\n";
    files["sub/h\xc3\xa9llo w\xc3\xb6rld.txt"] = "unicode name\n";
    return files;
}

constexpr const char *kStamp = "2021-06-15 12:34:56";

struct Fixture {
    TempDir dir;
    fs::path tree = dir / "tree";
    std::map<std::string, std::string> files = treeFiles();
    Fixture() {
        for (const auto &[name, data] : files)
            writeFile(tree / name, data);
        shell("cd " + quote(tree.string()) + " && find . -exec touch -h -d '" + kStamp + "' {} +");
    }
    // Runs `command` in the tree; %A stands for the archive path.
    fs::path make(const std::string &label, std::string command) {
        fs::path archive = dir / (label + ".zip");
        for (std::size_t at; (at = command.find("%A")) != std::string::npos;)
            command.replace(at, 2, quote(archive.string()));
        int rc = shell("cd " + quote(tree.string()) + " && (" + command + ") >/dev/null 2>&1");
        EXPECT_EQ(rc, 0) << command;
        return archive;
    }
};

std::time_t stampTime() {
    struct tm tm {};
    strptime(kStamp, "%Y-%m-%d %H:%M:%S", &tm);
    tm.tm_isdst = -1;
    return mktime(&tm);
}

void checkArchive(Fixture &f, const fs::path &archive, const std::string &password = "") {
    Engine engine;
    ASSERT_EQ(engine.run({password, "-v", archive.string()}), ENGINE_OK);
    std::map<std::string, std::int64_t> listed;
    for (const auto &m : engine.withCode(ENGINE_MSG_LISTING)) {
        if (!(m.attributes & ENGINE_ATTR_DIRECTORY))
            listed[m.name] = m.size;
    }
    std::map<std::string, std::int64_t> expected;
    for (const auto &[name, data] : f.files)
        expected[name] = static_cast<std::int64_t>(data.size());
    EXPECT_EQ(listed, expected);

    EXPECT_EQ(engine.run({password, "-t", archive.string()}), ENGINE_OK);
    EXPECT_TRUE(engine.withCode(ENGINE_MSG_SKIPPING).empty());

    fs::path out = f.dir / ("out-" + archive.stem().string());
    ASSERT_EQ(engine.run({password, archive.string(), "-d", out.string()}), ENGINE_OK);
    const std::time_t want = stampTime();
    for (const auto &[name, data] : f.files) {
        fs::path p = out / name;
        ASSERT_TRUE(fs::is_regular_file(p)) << name;
        EXPECT_EQ(readFile(p), data) << name;
        struct stat st {};
        ASSERT_EQ(stat(p.c_str(), &st), 0);
        EXPECT_LE(std::llabs(static_cast<long long>(st.st_mtime - want)), 2) << name;
    }
}

// What `7zz l -slt` reports of each file entry: size, packed size and the
// method text ("AES-256 Deflate", "Deflate64", "Store").
struct PeerRow {
    std::int64_t size = 0, packed = 0;
    std::string method;
    bool operator==(const PeerRow &) const = default;
};

std::map<std::string, PeerRow> sevenZipListing(const fs::path &archive, const fs::path &text) {
    std::map<std::string, PeerRow> rows;
    shell(sevenZip() + " l -slt " + quote(archive.string()) + " > " + quote(text.string()));
    std::istringstream in(readFile(text));
    std::string line, path;
    bool entries = false, folder = false;
    PeerRow row;
    auto flush = [&] {
        if (entries && !path.empty() && !folder)
            rows[path] = row;
        path.clear();
        row = PeerRow{};
        folder = false;
    };
    while (std::getline(in, line)) {
        auto value = [&](const std::string &key) {
            return line.rfind(key + " = ", 0) == 0 ? line.substr(key.size() + 3) : std::string();
        };
        if (line.rfind("----------", 0) == 0) {
            entries = true;
        } else if (line.empty()) {
            flush();
        } else if (line.rfind("Path = ", 0) == 0) {
            path = value("Path");
        } else if (line.rfind("Folder = +", 0) == 0) {
            folder = true;
        } else if (line.rfind("Size = ", 0) == 0) {
            row.size = std::stoll(value("Size"));
        } else if (line.rfind("Packed Size = ", 0) == 0) {
            row.packed = std::stoll(value("Packed Size"));
        } else if (line.rfind("Method = ", 0) == 0) {
            row.method = value("Method");
        }
    }
    flush();
    return rows;
}

// Our listing in the same terms, the method written as 7-Zip writes it.
std::map<std::string, PeerRow> ourListing(const fs::path &archive) {
    Engine engine;
    EXPECT_EQ(engine.run({"", "-v", archive.string()}), ENGINE_OK);
    std::map<std::string, PeerRow> rows;
    const std::map<int, std::string> names = {{0, "Store"},  {8, "Deflate"}, {9, "Deflate64"},
                                              {12, "BZip2"}, {14, "LZMA"},   {98, "PPMd"}};
    for (const auto &m : engine.withCode(ENGINE_MSG_LISTING)) {
        if (m.attributes & ENGINE_ATTR_DIRECTORY)
            continue;
        std::string method = names.at(engine_packed_compression(m.method));
        if (const auto bits = engine_packed_aes_bits(m.method))
            method = "AES-" + std::to_string(bits) + " " + method;
        else if (m.encrypted)
            method = "ZipCrypto " + method;
        rows[m.name] = PeerRow{m.size, m.packed, method};
    }
    return rows;
}

class Peers : public ::testing::Test {
protected:
    Fixture f;
};

TEST_F(Peers, InfoZipDeflate) {
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip not installed";
    checkArchive(f, f.make("zip-deflate", "zip -r -q %A ."));
}

TEST_F(Peers, InfoZipStore) {
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip not installed";
    checkArchive(f, f.make("zip-store", "zip -0 -r -q %A ."));
}

TEST_F(Peers, InfoZipEncrypted) {
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip not installed";
    checkArchive(f, f.make("zip-crypt", "zip -r -q -P 'se cret' %A ."), "se cret");
}

TEST_F(Peers, InfoZipStreamedDataDescriptors) {
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip not installed";
    // Written to a pipe, zip cannot seek back: every entry gets a descriptor.
    checkArchive(f, f.make("zip-stream", "zip -r -q - . | cat > %A"));
}

TEST_F(Peers, InfoZipStreamedEncrypted) {
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip not installed";
    checkArchive(f, f.make("zip-stream-crypt", "zip -r -q -P pw - . | cat > %A"), "pw");
}

TEST_F(Peers, InfoZipForcedZip64) {
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip not installed";
    checkArchive(f, f.make("zip-zip64", "zip -r -q -fz %A ."));
}

TEST_F(Peers, SevenZipDeflate) {
    std::string z = sevenZip();
    if (z.empty())
        GTEST_SKIP() << "7-Zip not installed";
    checkArchive(f, f.make("7z-deflate", z + " a -tzip %A ."));
}

TEST_F(Peers, SevenZipBzip2) {
    std::string z = sevenZip();
    if (z.empty())
        GTEST_SKIP() << "7-Zip not installed";
    checkArchive(f, f.make("7z-bzip2", z + " a -tzip -mm=BZip2 %A ."));
}

TEST_F(Peers, SevenZipLzma) {
    std::string z = sevenZip();
    if (z.empty())
        GTEST_SKIP() << "7-Zip not installed";
    checkArchive(f, f.make("7z-lzma", z + " a -tzip -mm=LZMA %A ."));
}

TEST_F(Peers, SevenZipEncrypted) {
    std::string z = sevenZip();
    if (z.empty())
        GTEST_SKIP() << "7-Zip not installed";
    checkArchive(f, f.make("7z-crypt", z + " a -tzip -pabc -mem=ZipCrypto %A ."), "abc");
}

TEST_F(Peers, PythonZipfile) {
    if (!haveTool("python3"))
        GTEST_SKIP() << "python3 not installed";
    // Stored, deflated, bzip2 and LZMA entries in one archive.
    const char *script =
        "import os,sys,zipfile\n"
        "methods=[zipfile.ZIP_DEFLATED,zipfile.ZIP_STORED,zipfile.ZIP_BZIP2,zipfile.ZIP_LZMA]\n"
        "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
        "  i=0\n"
        "  for root,dirs,files in sorted(os.walk('.')):\n"
        "    for n in sorted(files):\n"
        "      p=os.path.join(root,n)[2:]\n"
        "      z.write(p,p,compress_type=methods[i%4]); i+=1\n";
    writeFile(f.dir / "mk.py", script);
    checkArchive(f, f.make("python", "python3 " + quote((f.dir / "mk.py").string()) + " %A"));
}

TEST_F(Peers, Bsdtar) {
    if (!haveTool("bsdtar"))
        GTEST_SKIP() << "bsdtar not installed";
    checkArchive(f, f.make("bsdtar", "bsdtar --format zip -cf %A *"));
}

// Archives of today's archivers: AES at every key length and Deflate64
// list as 7-Zip lists them and read byte-exact.
TEST_F(Peers, SevenZipAesAndDeflate64ListAsSevenZipDoes) {
    std::string z = sevenZip();
    if (z.empty())
        GTEST_SKIP() << "7-Zip not installed";
    const struct {
        const char *label, *options, *password;
    } kinds[] = {
        {"7z-aes128", "-mem=AES128 -pPASS", "PASS"},
        {"7z-aes192-store", "-mem=AES192 -mx=0 -pPASS", "PASS"},
        {"7z-aes256", "-mem=AES256 -pPASS", "PASS"},
        {"7z-aes256-d64", "-mem=AES256 -mm=Deflate64 -pPASS", "PASS"},
        {"7z-deflate64", "-mm=Deflate64", ""},
        {"7z-deflate64-zipcrypto", "-mm=Deflate64 -mem=ZipCrypto -pPASS", "PASS"},
    };
    for (const auto &k : kinds) {
        const fs::path archive = f.make(k.label, z + " a -tzip " + k.options + " %A .");
        const auto peer = sevenZipListing(archive, f.dir / "listing.txt");
        EXPECT_EQ(peer.size(), f.files.size()) << k.label;
        EXPECT_EQ(ourListing(archive), peer) << k.label;
        checkArchive(f, archive, k.password);
    }
}

} // namespace
