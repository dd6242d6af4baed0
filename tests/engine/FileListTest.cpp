// How FilesToProcess becomes file elements: ">" entries are include
// patterns where includes are allowed (add, delete) and plain names
// elsewhere; "<" entries are always exclude patterns; patterns are sent only
// when at least one name is.
#include "EngineHarness.h"

namespace {

const std::string Zip = "/a.zip";

class FileList : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        engine.ZipFileName = QString::fromStdString(Zip);
        engine.StoredExtensions.clear();
    }

    TZipEngine engine;
};

const QStringList Mixed{"a.c", ">*.c", "<*.o", "dir/b.h", ">*.h", "<tmp/*"};

TEST_F(FileList, IncludesAndExcludesFollowTheNamesInListOrder) {
    engine.FilesToProcess = Mixed;
    ASSERT_EQ(engine.AddToArchive(TZipAddMode::Add), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-6", "-t", "010180", Zip, "a.c", "dir/b.h", "-i", "*.c",
                                       "*.h", "-x", "*.o", "tmp/*"}));

    engine.FilesToProcess = Mixed;
    ASSERT_EQ(engine.DeleteFromArchive(), 0);
    EXPECT_EQ(OneCall().args,
              (Strings{"", "-d", Zip, "a.c", "dir/b.h", "-i", "*.c", "*.h", "-x", "*.o", "tmp/*"}));
}

TEST_F(FileList, WithoutIncludesAGreaterSignIsPartOfTheName) {
    engine.FilesToProcess = Mixed;
    ASSERT_EQ(engine.ExtractFromArchive(TZipExtractMode::All), 0);
    EXPECT_EQ(OneCall().args,
              (Strings{"", Zip, "a.c", ">*.c", "dir/b.h", ">*.h", "-x", "*.o", "tmp/*"}));
    engine.FilesToProcess = Mixed;
    ASSERT_EQ(engine.ListArchive(), 0);
    EXPECT_EQ(OneCall().args,
              (Strings{"", "-v", Zip, "a.c", ">*.c", "dir/b.h", ">*.h", "-x", "*.o", "tmp/*"}));
    engine.FilesToProcess = Mixed;
    ASSERT_EQ(engine.TestArchive(), 0);
    EXPECT_EQ(OneCall().args,
              (Strings{"", "-t", Zip, "a.c", ">*.c", "dir/b.h", ">*.h", "-x", "*.o", "tmp/*"}));
}

TEST_F(FileList, PatternsAloneSendNothing) {
    engine.FilesToProcess = QStringList{">*.c", "<*.o", ">*.h"};
    ASSERT_EQ(engine.DeleteFromArchive(), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-d", Zip}));

    engine.FilesToProcess = QStringList{"<*.o", "<*.a"};
    ASSERT_EQ(engine.ExtractFromArchive(TZipExtractMode::All), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", Zip}));

    // Where includes are not allowed, ">" entries are names, so the
    // excludes go along.
    engine.FilesToProcess = QStringList{">*.c", "<*.o"};
    ASSERT_EQ(engine.TestArchive(), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-t", Zip, ">*.c", "-x", "*.o"}));
}

TEST_F(FileList, OnlyTheSectionsThatHaveEntriesAreSent) {
    engine.FilesToProcess = QStringList{"a", "<b"};
    ASSERT_EQ(engine.DeleteFromArchive(), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-d", Zip, "a", "-x", "b"}));

    engine.FilesToProcess = QStringList{">b", "a"};
    ASSERT_EQ(engine.DeleteFromArchive(), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-d", Zip, "a", "-i", "b"}));

    // Only the first character is the mark.
    engine.FilesToProcess = QStringList{"a", ">>x", "<<y", "<>z"};
    ASSERT_EQ(engine.DeleteFromArchive(), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-d", Zip, "a", "-i", ">x", "-x", "<y", ">z"}));
}

} // namespace

namespace {

// Names chosen in the list or in a file dialog select exactly themselves:
// what the engines read as a pattern or an option is escaped, "<" and ">"
// are no marks, and the flag is used up with the list.
TEST_F(FileList, LiteralNamesAreEscapedToMatchOnlyThemselves) {
    const QStringList names{"x*.txt", "q?.txt", "[ab].txt", "<x.txt", ">y",
                            "-x",     "d/",     "a]b",      "é z"};
    engine.FilesToProcess = names;
    engine.LiteralNames = true;
    ASSERT_EQ(engine.DeleteFromArchive(), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-d", Zip, "x[*].txt", "q[?].txt", "[[]ab].txt",
                                       "<x.txt", ">y", "[-]x", "d/", "a]b", "é z"}));
    EXPECT_FALSE(engine.LiteralNames);

    engine.FilesToProcess = names;
    ASSERT_EQ(engine.DeleteFromArchive(), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-d", Zip, "x*.txt", "q?.txt", "[ab].txt", "-x", "d/",
                                       "a]b", "é z", "-i", "y", "-x", "x.txt"}))
        << "without the flag, the same list is patterns and marks";

    // Files on disk: the engine reads patterns in the last part of a path
    // only, and a path starting with "-" is made relative to "./".
    engine.FilesToProcess = QStringList{"/in/[d]/x*.txt", "-r/a?", "d*/"};
    engine.LiteralNames = true;
    ASSERT_EQ(engine.AddToArchive(TZipAddMode::Add), 0);
    const Strings args = OneCall().args;
    EXPECT_EQ(Strings(args.end() - 3, args.end()),
              (Strings{"/in/[d]/x[*].txt", "./-r/a[?]", "d[*]/"}));
}

TEST_F(FileList, RowsGoByPositionAndNameToEntryOperationsOnly) {
    const auto rows = [this] {
        engine.FilesToProcess = QStringList{"x*.txt", "-x", "d/"};
        engine.FilePositions = {7, 1, 3};
        engine.LiteralNames = true;
    };
    rows();
    ASSERT_EQ(engine.ExtractFromArchive(TZipExtractMode::All), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", Zip, "-#", "7:x*.txt", "1:-x", "3:d/"}));
    EXPECT_TRUE(engine.FilePositions.isEmpty());
    rows();
    ASSERT_EQ(engine.AddToArchive(TZipAddMode::Add), 0);
    const Strings args = OneCall().args;
    EXPECT_EQ(Strings(args.end() - 3, args.end()), (Strings{"x[*].txt", "./-x", "d/"}));
    rows();
    engine.FilePositions.removeLast(); // out of step: the names alone
    ASSERT_EQ(engine.DeleteFromArchive(), 0);
    EXPECT_EQ(OneCall().args, (Strings{"", "-d", Zip, "x[*].txt", "[-]x", "d/"}));
}

} // namespace
