// Turning the engine's per-file record into a TZipFileStats, above all the
// packed MS-DOS date and time, which damaged archives fill with nonsense.
#include "ZipEngine.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t Packed(int y, int mo, int d, int h, int mi, int twoSeconds) {
    return (static_cast<std::uint32_t>(y - 1980) << 25) | (static_cast<std::uint32_t>(mo) << 21) |
           (static_cast<std::uint32_t>(d) << 16) | (static_cast<std::uint32_t>(h) << 11) |
           (static_cast<std::uint32_t>(mi) << 5) | static_cast<std::uint32_t>(twoSeconds);
}

QDateTime Local(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

TEST(DosDateTime, ValidStampsBecomeLocalTime) {
    const QDateTime t = TZipEngine::DosDateTimeToDateTime(Packed(2021, 6, 15, 13, 45, 15));
    EXPECT_EQ(t, Local(2021, 6, 15, 13, 45, 30));
    EXPECT_EQ(t.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(t.time().msec(), 0);
    EXPECT_EQ(TZipEngine::DosDateTimeToDateTime(Packed(1980, 1, 1, 0, 0, 0)),
              Local(1980, 1, 1, 0, 0, 0));
    EXPECT_EQ(TZipEngine::DosDateTimeToDateTime(Packed(2107, 12, 31, 23, 59, 29)),
              Local(2107, 12, 31, 23, 59, 58));
    EXPECT_EQ(TZipEngine::DosDateTimeToDateTime(Packed(2020, 2, 29, 12, 0, 0)),
              Local(2020, 2, 29, 12, 0, 0));
}

TEST(DosDateTime, OutOfRangeFieldsGiveNoDate) {
    const std::vector<std::pair<const char *, std::uint32_t>> broken{
        {"all zero", 0},
        {"month 0", Packed(2000, 0, 10, 1, 1, 1)},
        {"month 13", Packed(2000, 13, 10, 1, 1, 1)},
        {"month 15", Packed(2000, 15, 10, 1, 1, 1)},
        {"day 0", Packed(2000, 5, 0, 1, 1, 1)},
        {"30 February", Packed(2000, 2, 30, 1, 1, 1)},
        {"29 February, no leap year", Packed(2021, 2, 29, 1, 1, 1)},
        {"31 April", Packed(2000, 4, 31, 1, 1, 1)},
        {"hour 24", Packed(2000, 5, 5, 24, 0, 0)},
        {"hour 31", Packed(2000, 5, 5, 31, 0, 0)},
        {"minute 60", Packed(2000, 5, 5, 1, 60, 0)},
        {"minute 63", Packed(2000, 5, 5, 1, 63, 0)},
        {"second 60", Packed(2000, 5, 5, 1, 1, 30)},
        {"second 62", Packed(2000, 5, 5, 1, 1, 31)},
        {"every bit", 0xFFFFFFFFu}};
    for (const auto &[what, packed] : broken)
        EXPECT_FALSE(TZipEngine::DosDateTimeToDateTime(packed).isValid()) << what;
}

TEST(RecordConversion, CopiesEveryFieldAndDropsHighAttributeBits) {
    const char comment[] = {'a', 'b', 'c', 'X', 'Y'}; // no terminator
    EngineFileRecord r{};
    r.FileName = "dir/name.txt";
    r.Size = -5;
    r.CompressedSize = 123456;
    r.EngineValue1 = 2;
    r.Attributes = 0xC0 | ENGINE_ATTR_HIDDEN | ENGINE_ATTR_DIRECTORY;
    r.Reserved[0] = 0xFF;
    r.DosDateTime = Packed(1999, 12, 31, 23, 59, 29);
    r.EngineValue2 = 1;
    r.Ratio = 75;
    r.PercentDone = 42;
    r.EngineByte = 200;
    r.EngineFlag = 0x80;
    r.Comment = comment;
    r.CommentLength = 3;

    const TZipFileStats s = TZipEngine::ConvertRecord(r);
    EXPECT_EQ(s.FileName, "dir/name.txt");
    EXPECT_EQ(s.Size, -5);
    EXPECT_EQ(s.CompressedSize, 123456);
    EXPECT_EQ(s.EngineValue1, 2);
    EXPECT_EQ(s.Attributes, ENGINE_ATTR_HIDDEN | ENGINE_ATTR_DIRECTORY);
    EXPECT_TRUE(s.HasAttribute(1));
    EXPECT_TRUE(s.HasAttribute(4));
    EXPECT_FALSE(s.HasAttribute(0));
    EXPECT_EQ(s.DateTime, Local(1999, 12, 31, 23, 59, 58));
    EXPECT_EQ(s.EngineValue2, 1);
    EXPECT_EQ(s.Ratio, 75);
    EXPECT_EQ(s.PercentDone, 42);
    EXPECT_EQ(s.EngineByte, 200);
    EXPECT_TRUE(s.EngineFlag);
    EXPECT_EQ(s.Comment, "abc");
    // Our engines carry the high words of 64-bit sizes in the spare values.
    EXPECT_EQ(s.TrueSize(), (std::int64_t{2} << 32) + 0xFFFFFFFBll);
    EXPECT_EQ(s.TrueCompressedSize(), (std::int64_t{1} << 32) + 123456);
}

TEST(RecordConversion, MissingTextsAndBadDatesAreEmpty) {
    EngineFileRecord r{};
    r.DosDateTime = Packed(2000, 2, 31, 0, 0, 0);
    r.CommentLength = 10; // with no text to go with it
    const TZipFileStats s = TZipEngine::ConvertRecord(r);
    EXPECT_TRUE(s.FileName.isEmpty());
    EXPECT_TRUE(s.Comment.isEmpty());
    EXPECT_FALSE(s.DateTime.isValid());
    EXPECT_FALSE(s.EngineFlag);
}

} // namespace
