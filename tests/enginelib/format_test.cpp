// The format library on its own: CRC-32, PKWARE keys, DOS times, names,
// entry reading through both decoding paths, and the local-header scan.
#include "unzip_harness.h"
#include "zipformat/archive.h"
#include "zipformat/crc32.h"
#include "zipformat/dostime.h"
#include "zipformat/names.h"
#include "zipformat/pkcrypt.h"
#include "zipformat/reader.h"
#include "zipformat/records.h"
#include "zipformat/scan.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zipformat;
using unziptest::TempDir;

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

// Collects output; optionally offers a mapped buffer on the heap.
class Collect final : public OutputSink {
public:
    explicit Collect(bool offerMap) : offerMap_(offerMap) {}
    std::string data;
    bool mapped = false;
    Error write(const std::uint8_t *p, std::size_t n) noexcept override {
        data.append(reinterpret_cast<const char *>(p), n);
        return Error::Ok;
    }
    std::uint8_t *mapOutput(std::uint64_t size) noexcept override {
        if (!offerMap_)
            return nullptr;
        mapped = true;
        data.assign(static_cast<std::size_t>(size), '\0');
        return reinterpret_cast<std::uint8_t *>(data.data());
    }
    Error unmapOutput(std::uint64_t size, Error result) noexcept override {
        data.resize(static_cast<std::size_t>(size));
        return result;
    }

private:
    bool offerMap_;
};

TEST(FormatReader, WholeStreamedAndMappedAgree) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "row " + std::to_string(i * 31 % 977) + "\n";
    unziptest::writeFile(dir / "t.txt", text);
    ASSERT_EQ(unziptest::shell("cd " + unziptest::quote(dir.path().string()) +
                               " && python3 -c \"import zipfile;zipfile.ZipFile('a.zip','w',"
                               "zipfile.ZIP_DEFLATED).write('t.txt')\""),
              0);
    Archive a;
    ASSERT_EQ(a.open((dir / "a.zip").string()), Error::Ok);
    ASSERT_EQ(a.size(), 1u);
    ReadOptions whole;
    Collect c1(false);
    EXPECT_EQ(readEntry(a, 0, c1, whole), Error::Ok);
    EXPECT_TRUE(c1.data == text);
    ReadOptions small;
    small.wholeBufferCap = 16; // forces the other paths
    Collect c2(false);
    EXPECT_EQ(readEntry(a, 0, c2, small), Error::Ok);
    EXPECT_TRUE(c2.data == text);
    EXPECT_FALSE(c2.mapped);
    Collect c3(true);
    EXPECT_EQ(readEntry(a, 0, c3, small), Error::Ok);
    EXPECT_TRUE(c3.mapped);
    EXPECT_TRUE(c3.data == text);
}

// Checks only; reports how much was verified.
class CheckOnly final : public OutputSink {
public:
    std::uint64_t written = 0, verifiedBytes = 0;
    Error write(const std::uint8_t *, std::size_t n) noexcept override {
        written += n;
        return Error::Ok;
    }
    bool needsData() const noexcept override { return false; }
    Error verified(std::uint64_t size) noexcept override {
        verifiedBytes = size;
        return Error::Ok;
    }
};

TEST(FormatReader, LargeEntryCheckedThroughAWindow) {
    TempDir dir;
    // 48 MiB, well past the window the checker keeps.
    ASSERT_EQ(unziptest::shell("cd " + unziptest::quote(dir.path().string()) +
                               " && python3 -c \"import zipfile;z=zipfile.ZipFile('a.zip','w',"
                               "zipfile.ZIP_DEFLATED);z.writestr('big',b''.join(b'%07d,' % i for "
                               "i in range(6291456)));z.close()\""),
              0);
    Archive a;
    ASSERT_EQ(a.open((dir / "a.zip").string()), Error::Ok);
    ReadOptions small;
    small.wholeBufferCap = 1 << 20;
    CheckOnly c;
    EXPECT_EQ(readEntry(a, 0, c, small), Error::Ok);
    EXPECT_EQ(c.written, 0u);
    EXPECT_EQ(c.verifiedBytes, 48u << 20);
    a.close();

    // The same entry with a wrong CRC in the directory fails the check.
    std::string bytes = unziptest::readFile(dir / "a.zip");
    std::size_t central = bytes.rfind(std::string("PK\x01\x02", 4));
    ASSERT_NE(central, std::string::npos);
    bytes[central + 16] = static_cast<char>(bytes[central + 16] ^ 1);
    unziptest::writeFile(dir / "b.zip", bytes);
    ASSERT_EQ(a.open((dir / "b.zip").string()), Error::Ok);
    CheckOnly bad;
    EXPECT_EQ(readEntry(a, 0, bad, small), Error::BadCrc);
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

} // namespace
