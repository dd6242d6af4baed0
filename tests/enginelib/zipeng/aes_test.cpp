// AES (WinZip AE-2) encryption of new entries: what we write must open
// in our reader and in the peers with the right password, fail with a wrong
// one, and never repeat a salt.
#include "library_harness.h"

#include <chrono>
#include <set>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

const std::vector<std::string> kAes = {"-e", "-Y", "aes256"};

bool pyzipperInstalled() {
    return sh("python3 -c 'import pyzipper'") == 0;
}

// Each local header's name and the salt that starts its data (every entry
// here has its sizes in the header, so the headers follow each other).
std::map<std::string, std::string> salts(const std::string &zip) {
    const std::string z = readFile(zip);
    auto le16 = [&](size_t at) { return size_t(uint8_t(z[at])) | size_t(uint8_t(z[at + 1])) << 8; };
    auto le32 = [&](size_t at) { return le16(at) | le16(at + 2) << 16; };
    std::map<std::string, std::string> out;
    for (size_t at = 0; at + 30 <= z.size() && z.compare(at, 4, "PK\x03\x04") == 0;) {
        const size_t name = le16(at + 26), extra = le16(at + 28), data = at + 30 + name + extra;
        out[z.substr(at + 30, name)] = z.substr(data, 16);
        at = data + le32(at + 18);
    }
    return out;
}

// The compression method inside each entry's AES field, by name; none when
// an entry is not method 99 with an AE-2 field of `strength`.
std::string innerMethods(const std::string &zip, int strength = 3) {
    FILE *p = popen(("python3 -c \"import sys,zipfile\n"
                     "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
                     "  x=i.extra; k=x.find(bytes([1,0x99,7,0,2,0])+b'AE'+bytes([" +
                     std::to_string(strength) +
                     "]))\n"
                     "  print(i.filename, i.compress_type, i.CRC, x[k+9] if k>=0 else 'none')\" '" +
                     zip + "'")
                        .c_str(),
                    "r");
    std::string out;
    char line[512];
    while (p != nullptr && fgets(line, sizeof line, p) != nullptr)
        out += line;
    if (p != nullptr)
        pclose(p);
    return out;
}

struct Sized {
    std::string name;
    size_t size;
};
const std::vector<Sized> kSizes = {{"e0", 0},   {"e1", 1},   {"e15", 15},
                                   {"e16", 16}, {"e17", 17}, {"e5m", 5000000}};

TEST_F(ZipTest, AesEntriesReadBackInUsAndInPeers) {
    struct Case {
        const char *label;
        const char *level;
        bool text;         // compressible content
        const char *inner; // method inside the 5 MB entry
        const char *keys = "aes256";
        int strength = 3;
    };
    const std::vector<Case> cases = {
        {"stored", "-0", false, "0"},
        {"deflated", "-6", true, "8"},
        // Deflate makes 5 MB of noise larger: written again, stored.
        {"deflate undone", "-6", false, "0"},
        // Shorter keys, for an entry put back as it was.
        {"128-bit keys", "-0", false, "0", "aes128", 1},
        {"192-bit keys", "-6", true, "8", "aes192", 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all("src");
        fs::remove_all("out");
        fs::remove("a.zip");
        std::vector<std::string> args = {"pa55 word", "-e", "-Y", c.keys};
        args.insert(args.end(), {c.level, "-j", "a.zip"});
        for (const auto &[name, size] : kSizes) {
            writeFile("src/" + name, c.text ? textData(size, 3) : randomData(size, 4));
            args.push_back("src/" + name);
        }
        ASSERT_EQ(runZip(args), ENGINE_OK);
        const std::string methods = innerMethods("a.zip", c.strength);
        EXPECT_NE(methods.find("e5m 99 0 " + std::string(c.inner) + "\n"), std::string::npos)
            << methods;
        EXPECT_EQ(methods.find("none"), std::string::npos) << methods;

        ASSERT_EQ(runUnzip({"pa55 word", "-o", "a.zip", "-d", "out/ours"}), ENGINE_OK);
        EXPECT_NE(runUnzip({"wrong", "-t", "a.zip"}), ENGINE_OK);
        ASSERT_FALSE(sevenZip().empty());
        EXPECT_EQ(sh(sevenZip() + " x -y '-ppa55 word' -oout/7z a.zip"), 0);
        EXPECT_NE(sh(sevenZip() + " t -pwrong a.zip"), 0);
        EXPECT_EQ(sh("mkdir -p out/bsd && bsdtar -xf a.zip -C out/bsd --passphrase 'pa55 word'"),
                  0);
        EXPECT_NE(sh("bsdtar -xOf a.zip --passphrase wrong"), 0);
        for (const auto &[name, size] : kSizes)
            for (const char *reader : {"ours", "7z", "bsd"})
                EXPECT_EQ(readFile("out/" + std::string(reader) + "/" + name),
                          readFile("src/" + name))
                    << reader << " " << name;
        if (pyzipperInstalled()) {
            EXPECT_EQ(sh("python3 -c \"import sys,pyzipper; z=pyzipper.AESZipFile('a.zip'); "
                         "z.setpassword(b'pa55 word'); sys.exit(z.testzip() is not None)\""),
                      0);
        }
    }
    if (!pyzipperInstalled())
        std::puts("pyzipper is not installed: its reading was not tried");
}

TEST_F(ZipTest, EveryAesEntryGetsItsOwnSalt) {
    const std::string content = textData(20000, 5);
    writeFile("twin1", content);
    writeFile("twin2", content);
    std::vector<std::string> args = {"pw"};
    args.insert(args.end(), kAes.begin(), kAes.end());
    for (const char *zip : {"x.zip", "y.zip"}) {
        std::vector<std::string> a = args;
        a.insert(a.end(), {zip, "twin1", "twin2"});
        ASSERT_EQ(runZip(a), ENGINE_OK);
    }
    std::set<std::string> seen;
    for (const char *zip : {"x.zip", "y.zip"})
        for (const auto &[name, salt] : salts(zip))
            EXPECT_TRUE(seen.insert(salt).second) << zip << " " << name;
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_NE(readFile("x.zip"), readFile("y.zip"));
}

TEST_F(ZipTest, AesCoversUpdateFreshenAndGrowingInPlace) {
    writeFile("d/a.txt", textData(3000, 1));
    writeFile("d/b.txt", textData(9 << 20, 2)); // several chunks, sizes patched
    ASSERT_EQ(runZip({"", "-6", "u.zip", "d/a.txt"}), ENGINE_OK);
    writeFile("d/a.txt", textData(4000, 3));
    // Newer than the entry by more than the DOS times' two seconds.
    const auto later = fs::file_time_type::clock::now() + std::chrono::hours(1);
    fs::last_write_time("d/a.txt", later);
    std::vector<std::string> update = {"pw", "-u", "-g"};
    update.insert(update.end(), kAes.begin(), kAes.end());
    update.insert(update.end(), {"u.zip", "d/a.txt", "d/b.txt"});
    ASSERT_EQ(runZip(update), ENGINE_OK);
    writeFile("d/b.txt", textData(9 << 20, 4));
    fs::last_write_time("d/b.txt", later + std::chrono::hours(1));
    std::vector<std::string> freshen = {"pw", "-f"};
    freshen.insert(freshen.end(), kAes.begin(), kAes.end());
    freshen.insert(freshen.end(), {"u.zip", "d/b.txt"});
    ASSERT_EQ(runZip(freshen), ENGINE_OK);
    const std::string methods = innerMethods("u.zip");
    EXPECT_NE(methods.find("d/a.txt 99 0 8"), std::string::npos) << methods;
    EXPECT_NE(methods.find("d/b.txt 99 0 8"), std::string::npos) << methods;
    // Info-ZIP's unzip knows no AES, so peersAccept does not apply.
    EXPECT_EQ(sh(sevenZip() + " t -ppw u.zip"), 0);
    ASSERT_EQ(runUnzip({"pw", "-o", "u.zip", "-d", "out"}), ENGINE_OK);
    EXPECT_EQ(readFile("out/d/b.txt"), readFile("d/b.txt"));
}

TEST_F(ZipTest, EncryptionChoiceIsChecked) {
    writeFile("f.txt", "text\n");
    EXPECT_EQ(runZip({"pw", "-e", "-Y", "rot13", "x.zip", "f.txt"}), ENGINE_BAD_ARGUMENTS);
    EXPECT_EQ(runZip({"pw", "-e", "-Y"}), ENGINE_BAD_ARGUMENTS);
    ASSERT_EQ(runZip({"pw", "-e", "-Y", "ZipCrypto", "x.zip", "f.txt"}), ENGINE_OK);
    EXPECT_NE(innerMethods("x.zip").find("f.txt 0 "), std::string::npos);
    EXPECT_EQ(sh("unzip -tq -P pw x.zip"), 0);
}

} // namespace
