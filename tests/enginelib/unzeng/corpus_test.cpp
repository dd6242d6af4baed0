// Every archive of the shared corpus, listed, tested and extracted through
// the entry point, with the outcomes its manifest expects.
#include "library_harness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <ostream>
#include <regex>
#include <set>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

struct Sample {
    std::string file, group, expected, password;
};

// Keeps test listings readable: the sample's path instead of its bytes.
void PrintTo(const Sample &sample, std::ostream *os) {
    *os << sample.file;
}

std::vector<Sample> manifest() {
    std::vector<Sample> out;
    std::ifstream in(TARNWICK_CORPUS_DIR "/MANIFEST.tsv");
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::vector<std::string> cols;
        std::size_t at = 0;
        while (true) {
            std::size_t tab = line.find('\t', at);
            cols.push_back(line.substr(at, tab == std::string::npos ? tab : tab - at));
            if (tab == std::string::npos)
                break;
            at = tab + 1;
        }
        if (cols.size() < 6)
            continue;
        out.push_back({cols[0], cols[1], cols[4], cols[5]});
    }
    return out;
}

std::string pathOf(const Sample &s) {
    return std::string(TARNWICK_CORPUS_DIR "/") + s.file;
}

// Everything under `root` that is not inside `target` (the folders leading
// to it aside) is something an extraction put where it must not.
std::vector<std::string> strays(const fs::path &root, const fs::path &target) {
    std::vector<std::string> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        fs::path p = it->path();
        auto rel = p.lexically_relative(target);
        bool inside = !rel.empty() && *rel.begin() != "..";
        bool leading = target.string().rfind(p.string(), 0) == 0;
        if (!inside && !leading)
            out.push_back(p.string());
        if (it->is_symlink()) {
            it.disable_recursion_pending();
            if (inside) {
                // A link inside must resolve inside.
                fs::path resolved = (p.parent_path() / fs::read_symlink(p)).lexically_normal();
                auto r = resolved.lexically_relative(target);
                if (r.empty() || *r.begin() == "..")
                    out.push_back(p.string() + " -> " + resolved.string());
            }
        }
    }
    return out;
}

std::set<int> reasons(const Engine &engine) {
    std::set<int> out;
    for (const auto &m : engine.withCode(ENGINE_MSG_SKIPPING))
        out.insert(m.reason);
    return out;
}

class Corpus : public ::testing::TestWithParam<Sample> {};

TEST_P(Corpus, ListTestExtract) {
    const Sample &s = GetParam();
    const std::string path = pathOf(s);
    Engine engine;
    // The password box is answered "no" throughout.
    const std::int32_t listed = engine.run({s.password, "-v", path});
    const std::int32_t tested = engine.run({s.password, "-t", path});
    const auto testReasons = reasons(engine);

    TempDir sandbox;
    fs::path target = sandbox / "a/b/c/d/target";
    for (const char *name :
         {"/tmp/tarnwick-abs-1.txt", "/tmp/tarnwick-abs-2.txt", "/tmp/tarnwick-abs-target.txt"})
        fs::remove(name);
    const std::int32_t extracted = engine.run({s.password, "-o", path, "-d", target.string()});
    const auto extractReasons = reasons(engine);
    EXPECT_EQ(strays(sandbox.path(), target), std::vector<std::string>{});
    for (const char *name :
         {"/tmp/tarnwick-abs-1.txt", "/tmp/tarnwick-abs-2.txt", "/tmp/tarnwick-abs-target.txt"})
        EXPECT_FALSE(fs::exists(name)) << name;
    // No half-written temporary file is left behind.
    if (fs::exists(target)) {
        for (auto &p : fs::recursive_directory_iterator(target))
            EXPECT_EQ(p.path().filename().string().rfind(".tarnwick-", 0), std::string::npos)
                << p.path();
    }

    const std::set<std::int32_t> sane = {
        ENGINE_OK,          ENGINE_SOME_SKIPPED,   ENGINE_BAD_ARCHIVE, ENGINE_NOT_ARCHIVE,
        ENGINE_TEST_FAILED, ENGINE_NOTHING_TESTED, ENGINE_SPANNED};
    EXPECT_TRUE(sane.count(listed)) << listed;
    EXPECT_TRUE(sane.count(tested)) << tested;
    EXPECT_TRUE(sane.count(extracted)) << extracted;

    if (s.group == "valid") {
        EXPECT_EQ(listed, ENGINE_OK);
        std::smatch m;
        if (std::regex_search(s.expected, m, std::regex("(\\d+) entr"))) {
            EXPECT_EQ(engine.query(0, path), ENGINE_OK);
            ASSERT_EQ(engine.withCode(ENGINE_MSG_COUNT).size(), 1u);
            EXPECT_EQ(engine.withCode(ENGINE_MSG_COUNT)[0].count, std::stoi(m[1].str()));
        }
        if (s.file.find("ppmd") != std::string::npos) {
            EXPECT_EQ(tested, ENGINE_TEST_FAILED);
            EXPECT_EQ(testReasons, std::set<int>{ENGINE_SKIP_UNKNOWN_METHOD});
        } else if (s.file.find("testempty") != std::string::npos) {
            EXPECT_EQ(tested, ENGINE_NOTHING_TESTED);
            EXPECT_EQ(extracted, ENGINE_OK);
        } else {
            EXPECT_EQ(tested, ENGINE_OK);
            // go-dupdir holds a file "a/b" and a folder "a/b/": one of them
            // cannot be made, and is reported.
            EXPECT_EQ(extracted,
                      s.file.find("dupdir") != std::string::npos ? ENGINE_SOME_SKIPPED : ENGINE_OK);
        }
    } else if (s.group == "encrypted") {
        // With the right password only unsupported encryption may fail, and
        // data altered under AES fails its authentication code.
        const int allowed = s.file.find("hmac-error") != std::string::npos
                                ? ENGINE_SKIP_BAD_CRC
                                : ENGINE_SKIP_UNKNOWN_METHOD;
        if (listed == ENGINE_OK) {
            for (auto r : testReasons)
                EXPECT_EQ(r, allowed) << "test";
            for (auto r : extractReasons)
                EXPECT_EQ(r, allowed) << "extract";
        }
    } else if (s.group == "hostile") {
        EXPECT_FALSE(extractReasons.count(ENGINE_SKIP_BAD_CRC));
    }
}

std::string sampleName(const ::testing::TestParamInfo<Sample> &info) {
    std::string n = info.param.file;
    for (char &c : n) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return n;
}

INSTANTIATE_TEST_SUITE_P(Manifest, Corpus, ::testing::ValuesIn(manifest()), sampleName);

TEST(CorpusDetails, ManifestIsThere) {
    EXPECT_GE(manifest().size(), 100u);
}

TEST(CorpusDetails, TraversalEntriesAreRefusedSafeOneExtracted) {
    Engine engine;
    TempDir t;
    auto rc = engine.run({"", "-o", TARNWICK_CORPUS_DIR "/hostile/crafted-traversal-dotdot.zip",
                          "-d", (t / "out").string()});
    EXPECT_EQ(rc, ENGINE_SOME_SKIPPED);
    EXPECT_EQ(readFile(t / "out/safe.txt").empty(), false);
    auto skips = engine.withCode(ENGINE_MSG_SKIPPING);
    ASSERT_EQ(skips.size(), 3u);
    for (const auto &m : skips)
        EXPECT_EQ(m.reason, ENGINE_SKIP_CANNOT_OPEN);
}

TEST(CorpusDetails, OverlappingEntriesAreRefused) {
    Engine engine;
    for (const char *f : {"crafted-overlap-bomb-full.zip", "crafted-overlap-bomb-quoted.zip"}) {
        std::string path = std::string(TARNWICK_CORPUS_DIR "/hostile/") + f;
        EXPECT_EQ(engine.run({"", "-t", path}), ENGINE_BAD_ARCHIVE) << f;
    }
}

TEST(CorpusDetails, SymlinksInsideAreLinksEscapingOnesAreNot) {
    Engine engine;
    TempDir t;
    auto rc = engine.run({"", "-o", TARNWICK_CORPUS_DIR "/hostile/libarchive-unzip-symlink_1.zip",
                          "-d", (t / "out").string()});
    EXPECT_EQ(rc, ENGINE_SOME_SKIPPED);
    EXPECT_TRUE(fs::is_symlink(t / "out/dlink"));
    EXPECT_TRUE(fs::is_symlink(t / "out/flink"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(t / "out/insecure.link")));
    // The second archive writes through those links: refused, nothing lands.
    rc = engine.run({"", "-o", TARNWICK_CORPUS_DIR "/hostile/libarchive-unzip-symlink_2.zip", "-d",
                     (t / "out").string()});
    EXPECT_EQ(strays(t.path(), t / "out"), std::vector<std::string>{});
    EXPECT_TRUE(fs::is_empty(t / "out/dir"));
}

TEST(CorpusDetails, PasswordFromElementZeroAndWrongOne) {
    Engine engine;
    const std::string path = TARNWICK_CORPUS_DIR "/encrypted/libzip-encrypt.zip";
    EXPECT_EQ(engine.run({"foo", "-t", path}), ENGINE_OK);
    EXPECT_TRUE(engine.withCode(ENGINE_MSG_PASSWORD).empty());
    EXPECT_EQ(engine.run({"notfoo", "-t", path}), ENGINE_TEST_FAILED);
    ASSERT_EQ(engine.withCode(ENGINE_MSG_PASSWORD).size(), 1u);
    auto skips = engine.withCode(ENGINE_MSG_SKIPPING);
    ASSERT_EQ(skips.size(), 1u);
    EXPECT_EQ(skips[0].name, "encrypted");
    EXPECT_EQ(skips[0].reason, ENGINE_SKIP_PASSWORD);
}

TEST(CorpusDetails, CommentIsDelivered) {
    Engine engine;
    EXPECT_EQ(engine.run({"", "-z", TARNWICK_CORPUS_DIR "/valid/go-test.zip"}), ENGINE_OK);
    auto c = engine.withCode(ENGINE_MSG_ARCHIVE_COMMENT);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].text, "This is a zipfile comment.");
}

TEST(CorpusDetails, MultidiskNeedsTheOption) {
    Engine engine;
    const std::string path = TARNWICK_CORPUS_DIR "/damaged/libzip-multidisk.zip";
    EXPECT_EQ(engine.run({"", "-v", path}), ENGINE_SPANNED);
    EXPECT_NE(engine.run({"", "-v", "-!", path}), ENGINE_SPANNED);
}

} // namespace

namespace {

TEST(CorpusDetails, SixtyFiveThousandEntriesAndAWrongZip64Count) {
    TempDir t;
    Engine engine;
    ASSERT_EQ(engine.run({"", "-q", TARNWICK_CORPUS_DIR "/hostile/libzip-manyfiles-repack.zip",
                          "-d", t.path().string()}),
              ENGINE_BAD_ARGUMENTS); // "-q" is no option of the engine
    ASSERT_EQ(engine.run({"", TARNWICK_CORPUS_DIR "/hostile/libzip-manyfiles-repack.zip", "-d",
                          t.path().string()}),
              ENGINE_OK);
    EXPECT_EQ(engine.query(0, (t / "manyfiles-65536.zip").string()), ENGINE_OK);
    ASSERT_EQ(engine.withCode(ENGINE_MSG_COUNT).size(), 1u);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_COUNT)[0].count, 65536);
    EXPECT_EQ(engine.run({"", "-v", (t / "manyfiles-65536.zip").string()}), ENGINE_OK);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_LISTING).size(), 65536u);
    EXPECT_EQ(engine.query(0, (t / "manyfiles-zip64-modulo.zip").string()), ENGINE_BAD_ARCHIVE);
}

} // namespace

namespace {

TEST(CorpusDetails, SizesBeyond32BitsTravelInTheHighWords) {
    Engine engine;
    ASSERT_EQ(engine.run({"", "-v", TARNWICK_CORPUS_DIR "/hostile/crafted-huge-declared-size.zip"}),
              ENGINE_OK);
    auto list = engine.withCode(ENGINE_MSG_LISTING);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].size, INT64_MAX);
    EXPECT_EQ(list[1].size, -1); // 2^64 - 1 as a signed 64-bit value
    // Reading stops at the real end with a size error, nothing is allocated
    // on the declared size's word.
    EXPECT_EQ(engine.run({"", "-t", TARNWICK_CORPUS_DIR "/hostile/crafted-huge-declared-size.zip"}),
              ENGINE_TEST_FAILED);
    for (const auto &m : engine.withCode(ENGINE_MSG_SKIPPING))
        EXPECT_EQ(m.reason, ENGINE_SKIP_CORRUPTED);
}

// Inputs a fuzzer once broke the reader with: listing and testing each
// ends with a result code, not a crash.
TEST(CorpusFuzzRegression, ListAndTestEveryInput) {
    const fs::path dir = TARNWICK_SOURCE_DIR "/tests/enginelib/format/data/fuzz";
    std::vector<std::string> inputs;
    if (fs::is_directory(dir))
        for (const auto &p : fs::directory_iterator(dir))
            if (p.is_regular_file())
                inputs.push_back(p.path().string());
    EXPECT_FALSE(inputs.empty());
    for (const auto &path : inputs) {
        SCOPED_TRACE(path);
        Engine engine;
        const std::int32_t listed = engine.run({"", "-v", path});
        const std::int32_t tested = engine.run({"x", "-t", path});
        EXPECT_NE(listed & 0xffff, ENGINE_BAD_ARGUMENTS);
        EXPECT_NE(tested & 0xffff, ENGINE_BAD_ARGUMENTS);
        engine.query(ENGINE_QUERY_COUNT, path);
        engine.query(1, path);
    }
}

TEST(CorpusFuzzRegression, HugeLzmaDictionaryFailsThatEntryOnly) {
    // The entry asks for a 4 GiB dictionary: it is reported as a method we
    // cannot decode, and testing ends with its verdict instead of claiming
    // the machine ran out of memory.
    Engine engine;
    const std::int32_t rc = engine.run(
        {"", "-t",
         TARNWICK_SOURCE_DIR "/tests/enginelib/format/data/fuzz/lzma-huge-dictionary.zip"});
    EXPECT_NE(rc & 0xffff, ENGINE_NO_MEMORY);
    const auto skips = engine.withCode(ENGINE_MSG_SKIPPING);
    ASSERT_EQ(skips.size(), 1u);
    EXPECT_EQ(skips[0].reason, ENGINE_SKIP_UNKNOWN_METHOD);
}

} // namespace
