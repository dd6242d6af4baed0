// The one reader of local and central headers: fields where the format
// puts them, and a header cut short or of the other kind refused.
#include "record_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace zipformat;
using namespace zipformat::detail;

std::vector<std::uint8_t> centralHeader() {
    std::vector<std::uint8_t> b(kCentralHeaderSize, 0);
    put32(b.data(), kSigCentral);
    put16(b.data() + 4, kMadeByUnix);
    put16(b.data() + 10, kMethodDeflate);
    put16(b.data() + 12, 0x1234); // time
    put16(b.data() + 14, 0x5678); // date
    put32(b.data() + 24, kZip64Limit);
    put16(b.data() + 28, 3);
    put16(b.data() + 32, 7);
    put32(b.data() + 42, 0xabcdef01u);
    return b;
}

TEST(RecordHeader, ReadsCentralFieldsAndRefusesShortOrForeignHeaders) {
    const std::vector<std::uint8_t> b = centralHeader();
    Cursor whole(b.data(), b.size());
    RecordHeader h;
    ASSERT_TRUE(readRecordHeader(whole, HeaderKind::Central, h));
    EXPECT_EQ(whole.left(), 0u);
    EXPECT_EQ(h.versionMadeBy, kMadeByUnix);
    EXPECT_EQ(h.method, kMethodDeflate);
    EXPECT_EQ(h.dosTime, 0x56781234u);
    EXPECT_EQ(h.uncompressedSize, kZip64Limit);
    EXPECT_EQ(h.nameSize, 3u);
    EXPECT_EQ(h.commentSize, 7u);
    EXPECT_EQ(h.localHeaderOffset, 0xabcdef01u);

    Cursor shortOne(b.data(), b.size() - 1);
    EXPECT_FALSE(readRecordHeader(shortOne, HeaderKind::Central, h));
    EXPECT_FALSE(shortOne.ok());
    EXPECT_EQ(shortOne.u16(), 0u); // a failed cursor stays failed: 0xef01 is left
    Cursor asLocal(b.data(), b.size());
    EXPECT_FALSE(readRecordHeader(asLocal, HeaderKind::Local, h));
}

} // namespace
