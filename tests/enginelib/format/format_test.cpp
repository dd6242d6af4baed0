// The format library on its own: CRC-32, PKWARE keys, DOS times, names,
// entry reading through both decoding paths, and the local-header scan.
#include "library_harness.h"
#include "zipformat/archive.h"
#include "zipformat/crc32.h"
#include "zipformat/dostime.h"
#include "zipformat/entry_walk.h"
#include "zipformat/messenger_base.h"
#include "zipformat/name_patterns.h"
#include "zipformat/names.h"
#include "zipformat/pkcrypt.h"
#include "zipformat/reader.h"
#include "zipformat/records.h"
#include "zipformat/scan.h"
#include "zipformat/source.h"
#include "zipformat/wildcard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

using namespace zipformat;
using enginetest::TempDir;

namespace {

TEST(FormatCrc, KnownValues) {
    EXPECT_EQ(crc32(0, "123456789", 9), 0xcbf43926u);
    std::uint32_t running = crc32(0, "12345", 5);
    EXPECT_EQ(crc32(running, "6789", 4), 0xcbf43926u);
    EXPECT_EQ(crc32(0, "", 0), 0u);
}

TEST(FormatCrypt, EncryptThenDecryptRoundTrips) {
    std::uint8_t data[32];
    for (int i = 0; i < 32; ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    std::uint8_t copy[32];
    std::memcpy(copy, data, sizeof data);
    PkKeys enc("secret");
    enc.encrypt(copy, sizeof copy);
    EXPECT_NE(std::memcmp(copy, data, sizeof data), 0);
    PkKeys dec("secret");
    dec.decrypt(copy, sizeof copy);
    EXPECT_EQ(std::memcmp(copy, data, sizeof data), 0);
}

TEST(FormatCrypt, HeaderCheckByte) {
    std::uint8_t header[kCryptHeaderSize] = {};
    header[11] = cryptCheckByte(0, 0xab000000u, 0);
    PkKeys enc("pw");
    enc.encrypt(header, sizeof header);
    PkKeys good("pw");
    std::uint8_t a[kCryptHeaderSize];
    std::memcpy(a, header, sizeof a);
    EXPECT_TRUE(cryptCheckHeader(good, a, 0xab));
    EXPECT_EQ(cryptCheckByte(kFlagDescriptor, 0xab000000u, 0x1234u), 0x12);
}

TEST(FormatWildcard, PatternsAsBothEnginesUseThem) {
    using zipformat::wildcardMatch;
    EXPECT_TRUE(wildcardMatch("*.txt", "docs/readme.txt")); // "*" crosses folders
    EXPECT_TRUE(wildcardMatch("a*b*c", "axxbyybzzc"));      // backtracking
    EXPECT_FALSE(wildcardMatch("a*b*c", "axxbyybzz"));
    EXPECT_TRUE(wildcardMatch("file?.[ch]", "file1.c"));
    EXPECT_FALSE(wildcardMatch("file?.[!ch]", "file1.c"));
    EXPECT_TRUE(wildcardMatch("[a-c]x", "bx"));
    EXPECT_TRUE(wildcardMatch("[a", "[a")); // an unclosed class is literal
    EXPECT_FALSE(wildcardMatch("*.TXT", "a.txt"));
    // Bytes of UTF-8 names sort above ASCII, not below it.
    EXPECT_TRUE(wildcardMatch("[\x80-\xff]*", "\xc3\xa9t\xc3\xa9"));
    EXPECT_FALSE(wildcardMatch("[a-z]*", "\xc3\xa9t\xc3\xa9"));
    // Many stars against a long miss stay linear.
    EXPECT_FALSE(wildcardMatch(std::string(200, '*') + "x", std::string(100000, 'a')));
    EXPECT_TRUE(zipformat::hasWildcard("a[1]"));
    EXPECT_FALSE(zipformat::hasWildcard("plain/name.txt"));
}

TEST(FormatWildcard, PatternsThatMatchOneNameOnlyGiveThatName) {
    struct Case {
        const char *pattern;
        const char *literal; // null: a real pattern
    };
    const Case cases[] = {{"plain/name.txt", "plain/name.txt"},
                          {"x[*].txt", "x*.txt"},
                          {"[[]ab].txt", "[ab].txt"},
                          {"q[?]", "q?"},
                          {"[-]x", "-x"},
                          {"a[b", "a[b"}, // never closed: an ordinary "["
                          {"x*.txt", nullptr},
                          {"q?", nullptr},
                          {"[ab].txt", nullptr},
                          {"[!a]", nullptr},
                          {"[]]", nullptr},
                          {"[a-c]", nullptr}};
    for (const Case &c : cases) {
        std::string out;
        ASSERT_EQ(patternLiteral(c.pattern, out), c.literal != nullptr) << c.pattern;
        if (c.literal != nullptr) {
            EXPECT_EQ(out, c.literal);
            EXPECT_TRUE(wildcardMatch(c.pattern, out)) << c.pattern;
        }
    }
}

TEST(FormatNamePatterns, NamesAreLookedUpPatternsMatchedAndUnmatchedOnesKept) {
    NamePatterns p({"x[*].txt", "d", "*.c", "w\\v.txt", "nope", "d", "x*.txt"});
    EXPECT_TRUE(p.match("x*.txt"));
    EXPECT_TRUE(p.match("xyz.txt")); // by the pattern alone
    EXPECT_TRUE(p.match("d/"));      // "d" names the folder entry
    EXPECT_TRUE(p.match("w/v.txt")); // "\" stands for "/"
    EXPECT_FALSE(p.match("q.h"));
    EXPECT_EQ(p.unmatched(), (std::vector<std::string>{"*.c", "nope"}));
    EXPECT_TRUE(NamePatterns().empty());
}

// The contract's stop answer is 1; the reading side has also always
// stopped on any other answer but 0, the writing side gone on.
TEST(FormatMessenger, EachSideKeepsItsStopAnswer) {
    auto answer = [](std::int32_t, void *, void *user) {
        return *static_cast<std::int32_t *>(user);
    };
    struct Row {
        MessengerBase::StopAnswer rule;
        std::int32_t answer;
        bool stops;
    };
    const Row rows[] = {
        {MessengerBase::StopAnswer::One, 0, false},
        {MessengerBase::StopAnswer::One, 1, true},
        {MessengerBase::StopAnswer::One, 2, false},
        {MessengerBase::StopAnswer::AnyButZero, 0, false},
        {MessengerBase::StopAnswer::AnyButZero, 1, true},
        {MessengerBase::StopAnswer::AnyButZero, 2, true},
    };
    for (const Row &row : rows) {
        std::int32_t reply = row.answer;
        MessengerBase messenger(answer, &reply, row.rule);
        EXPECT_EQ(messenger.skip("a", 1), row.stops) << row.answer;
        reply = 0; // a stop once asked for stays
        EXPECT_EQ(messenger.askForDisk(2), !row.stops) << row.answer;
        EXPECT_EQ(messenger.checkAbort().code(), row.stops ? ENGINE_ABORTED : ENGINE_OK);
    }
}

TEST(FormatDosTime, RoundTripAndBounds) {
    struct tm tm {};
    tm.tm_year = 121;
    tm.tm_mon = 5;
    tm.tm_mday = 15;
    tm.tm_hour = 12;
    tm.tm_min = 34;
    tm.tm_sec = 56;
    tm.tm_isdst = -1;
    std::time_t t = mktime(&tm);
    std::uint32_t dos = dosFromUnix(t);
    DosFields f = splitDos(dos);
    EXPECT_EQ(f.year, 2021);
    EXPECT_EQ(f.month, 6);
    EXPECT_EQ(f.second, 56);
    std::time_t back = 0;
    EXPECT_TRUE(unixFromDos(dos, back));
    EXPECT_EQ(back, t);
    EXPECT_EQ(dosFromUnix(0), kDosEpoch);
    EXPECT_FALSE(unixFromDos(0, back)); // month 0, day 0
}

TEST(FormatNames, Cp437AndUtf8) {
    std::string out;
    appendCp437AsUtf8(out, "\x80\xe1\xfe");
    EXPECT_EQ(out, "\xc3\x87\xc3\x9f\xe2\x96\xa0");
    EXPECT_TRUE(isValidUtf8("h\xc3\xa9llo"));
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));     // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80")); // surrogate
    EXPECT_FALSE(isValidUtf8("\xe2\x82"));     // cut short
    std::string s = "a\\b\\c";
    slashify(s);
    EXPECT_EQ(s, "a/b/c");
}

// Collects output and the largest single write.
class Collect final : public OutputSink {
public:
    std::string data;
    std::size_t largestWrite = 0;
    Error write(const std::uint8_t *p, std::size_t n) noexcept override {
        data.append(reinterpret_cast<const char *>(p), n);
        largestWrite = std::max(largestWrite, n);
        return Error::Ok;
    }
};

TEST(FormatReader, WholeAndStreamedAgree) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "row " + std::to_string(i * 31 % 977) + "\n";
    enginetest::writeFile(dir / "t.txt", text);
    ASSERT_EQ(enginetest::shell("cd " + enginetest::quote(dir.path().string()) +
                                " && python3 -c \"import zipfile;zipfile.ZipFile('a.zip','w',"
                                "zipfile.ZIP_DEFLATED).write('t.txt')\""),
              0);
    Archive a;
    ASSERT_EQ(a.open((dir / "a.zip").string()), Error::Ok);
    ASSERT_EQ(a.size(), 1u);
    ReadOptions whole;
    Collect c1;
    EXPECT_EQ(readEntry(a, 0, c1, whole), Error::Ok);
    EXPECT_TRUE(c1.data == text);
    ReadOptions small;
    small.wholeBufferCap = 16; // forces the streamed path
    Collect c2;
    EXPECT_EQ(readEntry(a, 0, c2, small), Error::Ok);
    EXPECT_TRUE(c2.data == text);
}

// The directory's sizes and CRC of the only entry of a zip made by zipfile,
// and where its compressed data lies, so tests can rewrite both.
struct OneEntry {
    std::string bytes;
    std::size_t central = 0, dataPos = 0, packed = 0;
    explicit OneEntry(std::string b) : bytes(std::move(b)) {
        central = bytes.rfind(std::string("PK\x01\x02", 4));
        std::size_t nameLen = static_cast<std::uint8_t>(bytes[26]) |
                              static_cast<std::size_t>(static_cast<std::uint8_t>(bytes[27])) << 8;
        std::size_t extraLen = static_cast<std::uint8_t>(bytes[28]) |
                               static_cast<std::size_t>(static_cast<std::uint8_t>(bytes[29])) << 8;
        dataPos = 30 + nameLen + extraLen;
        packed = central - dataPos; // no descriptor: zipfile writes sizes first
    }
};

TEST(FormatReader, LargeDeflatedEntryStreamsInBoundedChunks) {
    TempDir dir;
    // 48 MiB, far above the injected cap, in one deflate stream.
    ASSERT_EQ(enginetest::shell("cd " + enginetest::quote(dir.path().string()) +
                                " && python3 -c \"import zipfile;z=zipfile.ZipFile('a.zip','w',"
                                "zipfile.ZIP_DEFLATED,compresslevel=1);z.writestr('big',b''.join("
                                "b'%07d,' % i for i in range(6291456)));z.close()\""),
              0);
    std::string expected;
    expected.reserve(48u << 20);
    char cell[16];
    for (int i = 0; i < 6291456; ++i) {
        std::snprintf(cell, sizeof cell, "%07d,", i);
        expected += cell;
    }
    Archive a;
    ASSERT_EQ(a.open((dir / "a.zip").string()), Error::Ok);
    ReadOptions small;
    small.wholeBufferCap = 1 << 20;
    Collect c;
    EXPECT_EQ(readEntry(a, 0, c, small), Error::Ok);
    EXPECT_TRUE(c.data == expected);
    EXPECT_LE(c.largestWrite, std::size_t{1} << 20);
    a.close();

    const OneEntry good(enginetest::readFile(dir / "a.zip"));
    ASSERT_NE(good.central, std::string::npos);
    auto expectFailure = [&](const std::string &bytes, const char *what, bool crcOnly) {
        SCOPED_TRACE(what);
        enginetest::writeFile(dir / "b.zip", bytes);
        Archive b;
        ASSERT_EQ(b.open((dir / "b.zip").string()), Error::Ok);
        Collect bad;
        Error err = readEntry(b, 0, bad, small);
        if (crcOnly)
            EXPECT_EQ(err, Error::BadCrc);
        else
            EXPECT_TRUE(err == Error::BadCrc || err == Error::Corrupted) << static_cast<int>(err);
    };

    std::string wrongCrc = good.bytes;
    wrongCrc[good.central + 16] = static_cast<char>(wrongCrc[good.central + 16] ^ 1);
    expectFailure(wrongCrc, "wrong CRC in the directory", true);

    std::string flipped = good.bytes;
    flipped[good.dataPos + good.packed / 2] =
        static_cast<char>(flipped[good.dataPos + good.packed / 2] ^ 0x10);
    expectFailure(flipped, "a flipped byte in the middle of the stream", false);
}

TEST(FormatReader, StreamedDeflateRejectsCutAndTrailingData) {
    TempDir dir;
    ASSERT_EQ(enginetest::shell("cd " + enginetest::quote(dir.path().string()) +
                                " && python3 -c \"import zipfile;z=zipfile.ZipFile('a.zip','w',"
                                "zipfile.ZIP_DEFLATED);z.writestr('t',b''.join(b'%d;' % (i*i%7919)"
                                " for i in range(400000)));z.close()\""),
              0);
    const OneEntry good(enginetest::readFile(dir / "a.zip"));
    ASSERT_NE(good.central, std::string::npos);
    ReadOptions small;
    small.wholeBufferCap = 16;
    // Rewrites the compressed data and the directory's compressed size (the
    // local header's too), keeping everything else.
    auto withData = [&](const std::string &data) {
        std::string out = good.bytes.substr(0, good.dataPos) + data;
        std::size_t central = out.size();
        out += good.bytes.substr(good.central);
        auto put32 = [&](std::size_t at, std::uint32_t v) {
            for (int k = 0; k < 4; ++k)
                out[at + k] = static_cast<char>(v >> (8 * k));
        };
        put32(18, static_cast<std::uint32_t>(data.size()));
        put32(central + 20, static_cast<std::uint32_t>(data.size()));
        std::size_t end = out.rfind(std::string("PK\x05\x06", 4));
        put32(end + 16, static_cast<std::uint32_t>(central));
        return out;
    };
    const std::string packed = good.bytes.substr(good.dataPos, good.packed);
    for (std::size_t tail : {1u, 3u, 8u, 2000u}) {
        SCOPED_TRACE("trailing bytes: " + std::to_string(tail));
        enginetest::writeFile(dir / "b.zip", withData(packed + std::string(tail, '\x5a')));
        Archive b;
        ASSERT_EQ(b.open((dir / "b.zip").string()), Error::Ok);
        Collect c;
        EXPECT_EQ(readEntry(b, 0, c, small), Error::Corrupted);
    }
    enginetest::writeFile(dir / "c.zip", withData(packed.substr(0, packed.size() - 40)));
    Archive c;
    ASSERT_EQ(c.open((dir / "c.zip").string()), Error::Ok);
    Collect cut;
    EXPECT_EQ(readEntry(c, 0, cut, small), Error::Corrupted);
    // The untouched archive still reads, through the same rewriting.
    enginetest::writeFile(dir / "d.zip", withData(packed));
    Archive d;
    ASSERT_EQ(d.open((dir / "d.zip").string()), Error::Ok);
    Collect fine;
    EXPECT_EQ(readEntry(d, 0, fine, small), Error::Ok);
}

// Pieces "abc", "defg" and "hi": a range is read across them whether their
// sizes are at hand (a folder holding the set) or each piece has to be asked
// for (removable media), and an offset past a piece's end goes on into the
// next piece either way.
TEST(FormatSource, RangesOfASetReadAcrossPieces) {
    struct Case {
        std::uint32_t fromDisk, fromOffset, toDisk, toOffset;
        const char *bytes;
    };
    const Case cases[] = {{0, 1, 2, 1, "bcdefgh"}, {0, 4, 2, 1, "efgh"}, {1, 0, 1, 4, "defg"}};
    const TempDir dir;
    for (bool atHand : {true, false}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(atHand ? "at hand: " : "asked for: ") + c.bytes);
            for (const char *name : {"drawer", "s.z01", "s.z02"})
                std::filesystem::remove_all(dir / name);
            std::filesystem::create_directory(dir / "drawer");
            const auto shelf = atHand ? dir.path() : dir / "drawer";
            enginetest::writeFile(shelf / "s.z01", "abc");
            enginetest::writeFile(shelf / "s.z02", "defg");
            enginetest::writeFile(dir / "s.zip", "hi");
            const std::string last = (dir / "s.zip").string();
            Source src;
            ASSERT_EQ(src.open(last), Error::Ok);
            ASSERT_EQ(src.attachPieces(last, 3,
                                       [&](std::uint32_t disk) {
                                           const std::string name = "s.z0" + std::to_string(disk);
                                           std::filesystem::rename(dir / "drawer" / name,
                                                                   dir / name);
                                           return true;
                                       }),
                      Error::Ok);
            std::vector<std::uint8_t> out;
            EXPECT_TRUE(src.readRange(src.positionOf(c.fromDisk, c.fromOffset),
                                      src.positionOf(c.toDisk, c.toOffset), out));
            EXPECT_EQ(std::string(out.begin(), out.end()), c.bytes);
        }
    }
}

TEST(FormatArchive, DirectoryFieldsForRawCopies) {
    Archive a;
    ASSERT_EQ(a.open(TARNWICK_CORPUS_DIR "/valid/go-test.zip"), Error::Ok);
    EXPECT_EQ(a.info().comment, "This is a zipfile comment.");
    const Entry &e = a.entry(0);
    EXPECT_EQ(e.name, "test.txt");
    EntryLocation loc;
    ASSERT_EQ(a.locate(0, loc), Error::Ok);
    EXPECT_EQ(loc.headerPos, e.headerPos);
    EXPECT_EQ(loc.dataEnd - loc.dataPos, e.compressedSize);
    EXPECT_LE(loc.end, a.entry(1).headerPos);
    EXPECT_GT(e.centralSize, 46u);
    EXPECT_EQ(a.open("/nonexistent.zip"), Error::NotFound);
}

TEST(FormatScan, LocalHeadersWithAndWithoutSizes) {
    for (const char *f : {"valid/go-test.zip", "valid/go-go-with-datadesc-sig.zip",
                          "valid/go-go-no-datadesc-sig.zip", "valid/go-dd.zip"}) {
        Source src;
        ASSERT_EQ(src.open(std::string(TARNWICK_CORPUS_DIR "/") + f), Error::Ok);
        Archive a;
        ASSERT_EQ(a.open(std::string(TARNWICK_CORPUS_DIR "/") + f), Error::Ok);
        LocalScanner scan(src);
        LocalRecord r;
        std::size_t n = 0;
        while (scan.next(r) == Error::Ok) {
            ASSERT_LT(n, a.size()) << f;
            EXPECT_EQ(r.name, a.entry(n).name) << f;
            EXPECT_EQ(r.compressedSize, a.entry(n).compressedSize) << f;
            EXPECT_EQ(r.crc, a.entry(n).crc) << f;
            ++n;
        }
        EXPECT_EQ(n, a.size()) << f;
    }
}

// Discards what it is given, up to a cap.
class DiscardSink : public OutputSink {
public:
    Error write(const std::uint8_t *, std::size_t size) noexcept override {
        total_ += size;
        return total_ > (std::uint64_t{64} << 20) ? Error::Aborted : Error::Ok;
    }

private:
    std::uint64_t total_ = 0;
};

// Inputs a fuzzer once broke the library with: each must open (or be
// refused), list, read and scan without a crash, leak or runaway loop.
std::vector<std::string> fuzzInputs() {
    std::vector<std::string> out;
    const std::filesystem::path dir = TARNWICK_SOURCE_DIR "/tests/enginelib/format/data/fuzz";
    if (std::filesystem::is_directory(dir))
        for (const auto &p : std::filesystem::directory_iterator(dir))
            if (p.is_regular_file())
                out.push_back(p.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(FormatFuzzRegression, OpenReadAndScanEveryInput) {
    const auto inputs = fuzzInputs();
    EXPECT_FALSE(inputs.empty());
    for (const auto &path : inputs) {
        SCOPED_TRACE(path);
        for (bool repair : {false, true}) {
            OpenOptions options;
            options.allowMultidisk = repair;
            options.checkOverlap = !repair;
            Archive a;
            if (a.open(path, options) != Error::Ok)
                continue;
            for (std::size_t i = 0; i < a.size(); ++i) {
                const Entry &e = a.entry(i);
                (void)e.modifiedTime();
                (void)e.dosAttributes();
                EntryLocation loc;
                if (a.locate(i, loc) == Error::Ok) {
                    DiscardSink raw;
                    (void)copyRaw(a, loc.dataPos, loc.dataEnd, raw);
                }
                for (std::size_t cap : {std::size_t{0}, std::size_t{64} << 20}) {
                    ReadOptions ro;
                    ro.password = "x";
                    ro.wholeBufferCap = cap;
                    (void)checkEntry(a, i, ro.password);
                    DiscardSink out;
                    (void)readEntry(a, i, out, ro);
                }
            }
        }
        Source src;
        ASSERT_EQ(src.open(path), Error::Ok);
        LocalScanner scan(src);
        LocalRecord r;
        std::size_t calls = 0;
        while (scan.next(r) != Error::NotZip)
            ASSERT_LT(++calls, std::size_t{100000});
    }
}

TEST(FormatFuzzRegression, LzmaDictionaryBeyondTheLimitIsRefused) {
    // 149 bytes: an LZMA entry whose properties name a 4 GiB dictionary and
    // whose directory claims almost 4 GiB of output. The decoder must not
    // allocate that on the entry's word, and the entry alone is passed over.
    Archive a;
    ASSERT_EQ(
        a.open(TARNWICK_SOURCE_DIR "/tests/enginelib/format/data/fuzz/lzma-huge-dictionary.zip"),
        Error::Ok);
    ASSERT_EQ(a.size(), 1u);
    DiscardSink out;
    EXPECT_EQ(readEntry(a, 0, out), Error::UnsupportedMethod);
}

TEST(FormatFuzzRegression, StreamedInflateErrorLeavesPointersAlone) {
    // A deflated entry whose stream turns invalid (a distance reaching back
    // before its start), decoded through the streaming path: the decoder
    // reports the damage and moves nothing past its buffers.
    Archive a;
    ASSERT_EQ(a.open(TARNWICK_SOURCE_DIR
                     "/tests/enginelib/format/data/fuzz/inflate-invalid-distance-streamed.zip"),
              Error::Ok);
    ASSERT_EQ(a.size(), 1u);
    ReadOptions ro;
    ro.wholeBufferCap = 0;
    DiscardSink out;
    EXPECT_EQ(readEntry(a, 0, out, ro), Error::Corrupted);
}

// A directory walked without being held must give every entry exactly as
// the held one does, limits and converted names included, and refuse the
// same archives: over the inputs that once broke the library and the
// shared corpus. It is walked as a later operation takes it over, file
// closed and opened again, its checks not repeated.
TEST(FormatArchive, WalkedDirectoryIsTheHeldOne) {
    auto inputs = fuzzInputs();
    const std::filesystem::path corpus = TARNWICK_CORPUS_DIR;
    if (std::filesystem::is_directory(corpus))
        for (const auto &p : std::filesystem::recursive_directory_iterator(corpus))
            if (p.is_regular_file() && p.path().extension() == ".zip")
                inputs.push_back(p.path().string());
    for (const auto &path : inputs) {
        SCOPED_TRACE(path);
        for (bool overlap : {true, false}) {
            OpenOptions options;
            options.checkOverlap = overlap;
            Archive held, walked;
            const Error heldError = held.open(path, options);
            options.streamEntries = true;
            ASSERT_EQ(walked.open(path, options), heldError);
            if (heldError != Error::Ok)
                continue;
            ASSERT_EQ(walked.size(), held.size());
            EXPECT_EQ(walked.reopen(held), Error::NotAccessible);
            Archive checked = std::move(walked);
            checked.releaseFile();
            ASSERT_EQ(walked.reopen(checked), Error::Ok);
            EntryWalk walk(walked);
            for (std::size_t i = 0; i < held.size(); ++i) {
                ASSERT_TRUE(walk.next());
                const Entry &a = held.entry(i), &b = walk.entry();
                auto fields = [](const Entry &e) {
                    return std::tuple(e.name, e.rawName, e.extra, e.comment, e.versionMadeBy,
                                      e.versionNeeded, e.flags, e.method, e.dosTime, e.crc,
                                      e.compressedSize, e.uncompressedSize, e.diskStart,
                                      e.internalAttributes, e.externalAttributes,
                                      e.localHeaderOffset, e.headerPos, e.centralPos, e.centralSize,
                                      e.limitPos, e.mtime, e.atime, e.hasExactMtime, e.hasAtime,
                                      e.nameFromUnicodeExtra, e.zip64);
                };
                EXPECT_TRUE(fields(b) == fields(a)) << a.name;
                DiscardSink fromHeld, fromWalk;
                EXPECT_EQ(readEntry(walked, b, fromWalk), readEntry(held, i, fromHeld));
            }
            EXPECT_FALSE(walk.next());
            EXPECT_EQ(walk.error(), Error::Ok);
        }
    }
}

} // namespace
