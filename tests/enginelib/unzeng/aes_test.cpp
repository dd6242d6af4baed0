// WinZip AES entries made by 7-Zip at every key length, stored and deflated,
// and variants crafted from them: AE-1 with and without a good CRC, altered
// data, a cut authentication code, wrong passwords.
#include "library_harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

const std::map<std::string, std::string> &files() {
    static const std::map<std::string, std::string> f = [] {
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "record " + std::to_string(i * 31 % 977) + " in plain text\n";
        return std::map<std::string, std::string>{
            {"text.txt", text}, {"tiny.txt", "abc"}, {"empty.txt", ""}};
    }();
    return f;
}

// Rewrites a one-entry archive: AES version, CRC ("real" or a number) and
// bytes cut from the end of the entry's data, in both headers.
const char *kRewrite = R"(import struct,sys,zlib
src,dst,version,crc,cut,plain=sys.argv[1:7]
d=open(src,'rb').read()
n,e=struct.unpack('<HH',d[26:30])
cs=struct.unpack('<I',d[18:22])[0]
lextra=bytearray(d[30+n:30+n+e]); data=d[30+n+e:30+n+e+cs]
c=d.find(b'PK\x01\x02'); cn,ce,cc=struct.unpack('<HHH',d[c+28:c+34])
cextra=bytearray(d[c+46+cn:c+46+cn+ce]); name=d[c+46:c+46+cn]; ccomment=d[c+46+cn+ce:c+46+cn+ce+cc]
for x in (lextra,cextra):
  i=0
  while i+4<=len(x):
    t,s=struct.unpack('<HH',x[i:i+4])
    if t==0x9901: x[i+4:i+6]=struct.pack('<H',int(version))
    i+=4+s
crcv=zlib.crc32(open(plain,'rb').read()) if crc=='real' else int(crc)
data=data[:len(data)-int(cut)]
local=bytearray(d[:30]); local[14:18]=struct.pack('<I',crcv); local[18:22]=struct.pack('<I',len(data))
local[28:30]=struct.pack('<H',len(lextra)); local+=name+lextra+data
cen=bytearray(d[c:c+46]); cen[16:20]=struct.pack('<I',crcv); cen[20:24]=struct.pack('<I',len(data))
cen[42:46]=struct.pack('<I',0); cen+=name+cextra+ccomment
end=struct.pack('<IHHHHIIH',0x06054b50,0,0,1,1,len(cen),len(local),0)
open(dst,'wb').write(bytes(local)+bytes(cen)+end)
)";

class Aes : public ::testing::Test {
protected:
    void SetUp() override {
        seven = sevenZip();
        if (seven.empty())
            GTEST_SKIP() << "7-Zip not installed";
        for (const auto &[name, data] : files())
            writeFile(dir / "in" / name, data);
        writeFile(dir / "rewrite.py", kRewrite);
    }
    fs::path make(const std::string &label, const std::string &options,
                  const std::string &which = ".") {
        fs::path archive = dir / (label + ".zip");
        EXPECT_EQ(shell("cd " + quote((dir / "in").string()) + " && " + seven + " a -tzip -pPASS " +
                        options + " " + quote(archive.string()) + " " + which + " >/dev/null"),
                  0);
        return archive;
    }
    fs::path rewrite(const fs::path &archive, const std::string &label, int version,
                     const std::string &crc, int cut) {
        fs::path out = dir / (label + ".zip");
        EXPECT_EQ(shell("python3 " + quote((dir / "rewrite.py").string()) + " " +
                        quote(archive.string()) + " " + quote(out.string()) + " " +
                        std::to_string(version) + " " + crc + " " + std::to_string(cut) + " " +
                        quote((dir / "in/text.txt").string())),
                  0);
        return out;
    }
    // Runs a test and returns the skip reasons.
    std::vector<int> testReasons(const fs::path &archive, const std::string &password) {
        engine.run({password, "-t", archive.string()});
        std::vector<int> reasons;
        for (const auto &m : engine.withCode(ENGINE_MSG_SKIPPING))
            reasons.push_back(m.reason);
        return reasons;
    }
    TempDir dir;
    Engine engine;
    std::string seven;
};

TEST_F(Aes, SevenZipArchivesAtEveryKeyLengthReadByteExact) {
    const struct {
        const char *mode;
        std::uint8_t strength;
    } keys[] = {{"AES128", 1}, {"AES192", 2}, {"AES256", 3}};
    for (const auto &k : keys) {
        for (int level : {0, 5}) {
            const std::string label = std::string(k.mode) + "-" + std::to_string(level);
            const fs::path archive =
                make(label, std::string("-mem=") + k.mode + " -mx=" + std::to_string(level));
            ASSERT_EQ(engine.run({"", "-v", archive.string()}), ENGINE_OK) << label;
            for (const auto &m : engine.withCode(ENGINE_MSG_LISTING)) {
                EXPECT_TRUE(m.encrypted) << label << m.name;
                EXPECT_EQ(m.size, static_cast<std::int64_t>(files().at(m.name).size()));
                EXPECT_EQ(engine_packed_aes_bits(m.method), 64u + 64u * k.strength) << label;
                const int method = engine_packed_compression(m.method);
                EXPECT_TRUE(method == 0 || method == 8) << label << " " << method;
            }
            EXPECT_EQ(engine.run({"PASS", "-t", archive.string()}), ENGINE_OK) << label;
            const fs::path out = dir / ("out-" + label);
            ASSERT_EQ(engine.run({"PASS", archive.string(), "-d", out.string()}), ENGINE_OK);
            for (const auto &[name, data] : files())
                EXPECT_TRUE(readFile(out / name) == data) << label << " " << name;
        }
    }
}

TEST_F(Aes, PasswordComesFromTheCallbackWhenNotGiven) {
    const fs::path archive = make("asked", "-mem=AES256");
    int asked = 0;
    engine.answer = [&](std::int32_t code, void *data) {
        if (code == ENGINE_MSG_PASSWORD) {
            auto *q = static_cast<EnginePasswordQuery *>(data);
            // A mistyped answer first: the question comes again.
            std::strcpy(q->Password, asked == 0 ? "PASTE" : "PASS");
            q->Reply = 1;
            ++asked;
        }
        return 0;
    };
    EXPECT_EQ(engine.run({"", "-t", archive.string()}), ENGINE_OK);
    EXPECT_EQ(asked, 2); // remembered for the other entries

    asked = 0;
    engine.answer = [&](std::int32_t code, void *data) {
        if (code == ENGINE_MSG_PASSWORD) {
            auto *q = static_cast<EnginePasswordQuery *>(data);
            std::strcpy(q->Password, "wrong");
            q->Reply = 1;
            ++asked;
        }
        return 0;
    };
    EXPECT_EQ(engine.run({"", "-t", archive.string()}), ENGINE_TEST_FAILED);
    EXPECT_EQ(asked, 3 * 3); // three times per entry, not for ever
}

TEST_F(Aes, WrongOrMissingPasswordIsReasonFiveAndWritesNothing) {
    const fs::path archive = make("wrong", "-mem=AES256");
    EXPECT_EQ(testReasons(archive, "pass"), std::vector<int>(3, ENGINE_SKIP_PASSWORD));
    EXPECT_EQ(testReasons(archive, ""), std::vector<int>(3, ENGINE_SKIP_PASSWORD));
    const fs::path out = dir / "out";
    EXPECT_EQ(engine.run({"wrong", archive.string(), "-d", out.string()}), ENGINE_SOME_SKIPPED);
    EXPECT_FALSE(fs::exists(out / "text.txt"));
}

TEST_F(Aes, AlteredDataFailsItsAuthenticationCodeAndLeavesNoFile) {
    for (int level : {0, 5}) {
        const fs::path archive = make("alter" + std::to_string(level),
                                      "-mem=AES128 -mx=" + std::to_string(level), "text.txt");
        std::string bytes = readFile(archive);
        const std::size_t data = localDataOffset(bytes, "text.txt");
        ASSERT_NE(data, std::string::npos);
        bytes[data + 8 + 2 + 40] ^= 0x10; // past the salt and the verifier
        writeFile(archive, bytes);
        const fs::path out = dir / "altered";
        EXPECT_EQ(engine.run({"PASS", "-o", archive.string(), "-d", out.string()}),
                  ENGINE_SOME_SKIPPED);
        ASSERT_EQ(engine.withCode(ENGINE_MSG_SKIPPING).size(), 1u);
        EXPECT_EQ(engine.withCode(ENGINE_MSG_SKIPPING)[0].reason, ENGINE_SKIP_BAD_CRC) << level;
        EXPECT_TRUE(fs::is_empty(out)) << level;
    }
}

TEST_F(Aes, CutAuthenticationCodeFailsTheEntry) {
    const fs::path archive = make("whole", "-mem=AES256 -mx=0", "text.txt");
    // Four bytes of the code missing: the code read is not the one written.
    EXPECT_EQ(testReasons(rewrite(archive, "cut4", 2, "0", 4), "PASS"),
              std::vector<int>{ENGINE_SKIP_BAD_CRC});
    // Too short to hold salt, verifier and code at all.
    const std::size_t all = files().at("text.txt").size() + 16 + 2 + 10;
    EXPECT_EQ(testReasons(rewrite(archive, "cutall", 2, "0", static_cast<int>(all) - 20), "PASS"),
              std::vector<int>{ENGINE_SKIP_CORRUPTED});
}

TEST_F(Aes, AeOneChecksTheCrcAeTwoLeavesItToTheCode) {
    const fs::path archive = make("ae2", "-mem=AES192", "text.txt");
    EXPECT_TRUE(testReasons(archive, "PASS").empty()); // 7-Zip writes AE-2, CRC 0
    EXPECT_TRUE(testReasons(rewrite(archive, "ae1", 1, "real", 0), "PASS").empty());
    EXPECT_EQ(testReasons(rewrite(archive, "ae1-bad", 1, "12345", 0), "PASS"),
              std::vector<int>{ENGINE_SKIP_BAD_CRC});
    // AE-2 ignores whatever the CRC field holds.
    EXPECT_TRUE(testReasons(rewrite(archive, "ae2-junk", 2, "12345", 0), "PASS").empty());
}

} // namespace
