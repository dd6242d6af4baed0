// Names stored without the UTF-8 flag in the code page of a DOS or Windows
// machine: decoded with the code page of the locale's language or the one
// TARNWICK_LEGACY_CODEPAGE names, CP437 when that one cannot decode them.
#include "library_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

// Sets variables for one scope and puts the old values back.
class Env {
public:
    Env(std::initializer_list<std::pair<const char *, const char *>> values) {
        for (const auto &[name, value] : values) {
            const char *old = std::getenv(name);
            saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
    }
    ~Env() {
        for (const auto &[name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A stored entry whose name is the given bytes, with no UTF-8 flag.
fs::path craft(const TempDir &dir, const std::string &label, const std::string &pythonBytes) {
    const fs::path archive = dir / (label + ".zip");
    const std::string script =
        "import struct,sys,zlib\n"
        "name=" +
        pythonBytes +
        "\n"
        "data=b'legacy'\n"
        "crc=zlib.crc32(data)\n"
        "loc=struct.pack('<IHHHHHIIIHH',0x04034b50,10,0,0,0,0x5021,crc,"
        "len(data),len(data),len(name),0)+name+data\n"
        "cen=struct.pack('<IHHHHHHIIIHHHHHII',0x02014b50,0,10,0,0,0,0x5021,"
        "crc,len(data),len(data),len(name),0,0,0,0,0,0)+name\n"
        "end=struct.pack('<IHHHHIIH',0x06054b50,0,0,1,1,len(cen),len(loc),0)\n"
        "open(sys.argv[1],'wb').write(loc+cen+end)\n";
    writeFile(dir / (label + ".py"), script);
    EXPECT_EQ(
        shell("python3 " + quote((dir / (label + ".py")).string()) + " " + quote(archive.string())),
        0);
    return archive;
}

std::string listedName(const fs::path &archive) {
    Engine engine;
    EXPECT_EQ(engine.run({"", "-v", archive.string()}), ENGINE_OK);
    const auto names = engine.names(ENGINE_MSG_LISTING);
    return names.size() == 1 ? names[0] : std::string("?");
}

TEST(LegacyNames, DecodedInTheCodePageOfTheLocaleOrTheOneChosen) {
    if (!haveTool("python3"))
        GTEST_SKIP() << "python3 not installed";
    TempDir dir;
    const struct {
        const char *page, *locale, *bytes, *utf8;
    } cases[] = {
        {"CP866", "ru_RU.UTF-8", "'Привет.txt'.encode('cp866')", "Привет.txt"},
        // The second byte of "表" is "\\": it must not split the name.
        {"CP932", "ja_JP.UTF-8", "'漢字/表.txt'.encode('cp932')", "漢字/表.txt"},
        {"CP850", "pt_PT.UTF-8", "'Søren-São.txt'.encode('cp850')", "Søren-São.txt"},
    };
    for (const auto &c : cases) {
        const fs::path archive = craft(dir, c.page, c.bytes);
        {
            Env env{{"LC_ALL", nullptr},
                    {"LC_CTYPE", nullptr},
                    {"LANG", c.locale},
                    {"TARNWICK_LEGACY_CODEPAGE", nullptr}};
            EXPECT_EQ(listedName(archive), c.utf8) << c.page << " from the locale";
        }
        {
            Env env{{"LC_ALL", "C.UTF-8"}, {"TARNWICK_LEGACY_CODEPAGE", c.page}};
            EXPECT_EQ(listedName(archive), c.utf8) << c.page << " chosen";
        }
    }
    {
        Env env{{"LC_ALL", "C.UTF-8"}, {"TARNWICK_LEGACY_CODEPAGE", "866"}};
        EXPECT_EQ(listedName(dir / "CP866.zip"), "Привет.txt") << "a number names the code page";
    }
    // Where neither the locale nor a choice says otherwise, CP437.
    Env plain{{"LC_ALL", "C.UTF-8"}, {"TARNWICK_LEGACY_CODEPAGE", nullptr}};
    EXPECT_EQ(listedName(dir / "CP850.zip"), "S\xc2\xa2ren-S\xe2\x95\x9eo.txt");
}

TEST(LegacyNames, WhatTheCodePageCannotDecodeFallsBackToCp437) {
    if (!haveTool("python3"))
        GTEST_SKIP() << "python3 not installed";
    TempDir dir;
    // 0x81 starts a two-byte character in CP932; a space cannot follow it.
    const fs::path archive = craft(dir, "broken", "b'\\x81 x.txt'");
    for (const char *page : {"CP932", "NO-SUCH-CODEPAGE"}) {
        Env env{{"TARNWICK_LEGACY_CODEPAGE", page}};
        EXPECT_EQ(listedName(archive), "\xc3\xbc x.txt") << page; // CP437 0x81 is "ü"
    }
}

} // namespace
