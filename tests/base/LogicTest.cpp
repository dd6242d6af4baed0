// The window's decisions that need no screen: result reports, enabling
// rules, row texts and their fields, totals, display texts and geometry,
// and where Extract Here puts an archive.
#include "ExtractHere.h"
#include "MenuRules.h"
#include "NameMatch.h"
#include "ProfileStore.h"
#include "RecentList.h"
#include "RowGeometry.h"
#include "RowText.h"
#include "StatusBarGeometry.h"
#include "ZipEngine.h"
#include "ZipResult.h"

#include <gtest/gtest.h>

namespace {

QLocale TestLocale() {
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale;
}

struct ResultRow {
    int code;
    TZipResultBox box;
    const char *text;
    int resultClass;
};

} // namespace

TEST(ZipResultTest, EveryRowOfTheTable) {
    const QString verb = QStringLiteral("adding");
    const ResultRow rows[] = {
        {10, TZipResultBox::None, "", 1},
        {30, TZipResultBox::None, "", 1},
        {140, TZipResultBox::None, "", 1},
        {40, TZipResultBox::Information, "Some files were skipped while adding.", 1},
        {100, TZipResultBox::Error, "Could not find the archive file.", 2},
        {110, TZipResultBox::Error,
         "The archive file is corrupted. Try using the Fix option on it.", 2},
        {160, TZipResultBox::Error,
         "The archive file is corrupted. Try using the Fix option on it.", 2},
        {120, TZipResultBox::Error, "Ran out of memory while adding.", 2},
        {150, TZipResultBox::Error, "Disk full while adding.", 2},
        {180, TZipResultBox::Error,
         "Another application is currently performing a similar task. Wait until the other "
         "application has completed its operation.",
         2},
        {190, TZipResultBox::Information, "The adding operation was aborted.", 2},
        {200, TZipResultBox::Error, "Test failed - Errors in the archive.", 2},
        {210, TZipResultBox::Error, "No files ended up being tested in the archive.", 2},
        {240, TZipResultBox::Error, "The ZIPENG.DLL or the UNZIPENG.DLL file could not be found.",
         2},
        {280, TZipResultBox::Error, "Problem with the temporary file.", 2},
        {350, TZipResultBox::Error, "Attempt to remove parent directory.", 2},
        {370, TZipResultBox::Error, "Names repeated in archive after discarding pathnames.", 2},
        {380, TZipResultBox::Error,
         "Could not update the Zip archive date. Archive only contains directories or is empty.",
         2},
        {400, TZipResultBox::Error, "Could not access the Zip file or one of the files to process.",
         2},
        {410, TZipResultBox::Error,
         "Attempt to work with a multiple-disk Zip archive, but not in multidisk mode.", 2},
        {130, TZipResultBox::Error, "An error occured while adding the specified files.", 2},
        {1, TZipResultBox::Error, "An error occured while adding the specified files.", 2},
    };
    for (const ResultRow &row : rows) {
        SCOPED_TRACE(row.code);
        for (const bool quiet : {false, true}) {
            const TZipResultReport report = ZipResultReportFor(row.code, verb, quiet);
            EXPECT_TRUE(report.Seen);
            const bool swallowed = quiet && (row.code == 130 || row.code == 1);
            EXPECT_EQ(report.Box, swallowed ? TZipResultBox::None : row.box);
            EXPECT_EQ(report.Text, swallowed ? QString() : QString::fromLatin1(row.text));
            EXPECT_EQ(report.ResultClass, swallowed ? 0 : row.resultClass);
        }
    }
    for (const int code : {0, -1, -200}) {
        const TZipResultReport report = ZipResultReportFor(code, verb, false);
        EXPECT_FALSE(report.Seen);
        EXPECT_EQ(report.Box, TZipResultBox::None);
        EXPECT_EQ(report.ResultClass, 0);
    }
    EXPECT_EQ(ZipResultReportFor(190, QStringLiteral("extracting"), false).Text,
              QStringLiteral("The extracting operation was aborted."));
    // A repair's own verdict is 110 only: its 160 is an engine fault.
    EXPECT_EQ(TooCorruptedToFixText(110),
              QStringLiteral("The specified Zip file is too corrupted to be fixed."));
    EXPECT_EQ(TooCorruptedToFixText(160), QString());
}

TEST(ExtractHereTest, AFolderOnlyWhenTheEntriesShareNoTopLevelName) {
    const struct {
        QStringList names;
        bool single;
    } listings[] = {
        {{"a.txt"}, true},
        {{"dir/", "dir/a.txt", "dir/sub/b.txt"}, true},
        {{"./dir/a.txt", "dir/b.txt"}, true},
        {{"a.txt", "b.txt", "c.txt"}, false},
        {{"dir/a.txt", "dir2/b.txt"}, false},
        {{"dir/a.txt", "dir"}, true}, // the folder and a file of its name: one name
        {{}, false},
    };
    for (const auto &l : listings)
        EXPECT_EQ(HasSingleTopLevel(l.names), l.single) << l.names.join(u',').toStdString();
    const std::pair<const char *, const char *> folders[] = {
        {"/in/photos.zip", "photos"},
        {"p.tar.gz", "p"},
        {"p.TAR.XZ", "p"},
        {"v1.2.7z", "v1.2"},
        {"README", "README.d"},
        {".zip", ".zip.d"},
        {"/in/a.b/archive", "archive.d"},
    };
    for (const auto &[path, folder] : folders)
        EXPECT_EQ(ArchiveFolderName(QString::fromUtf8(path)), QString::fromUtf8(folder)) << path;
}

TEST(MenuRulesTest, FileAndEditTablesInTheirDistinguishingStates) {
    const TArchiveViewState none{};
    EXPECT_FALSE(FileMenuEnabling(none).Close);
    EXPECT_TRUE(FileMenuEnabling(none).Test);
    EXPECT_TRUE(FileMenuEnabling(none).Fix);
    EXPECT_FALSE(EditMenuEnabling(none).Add);
    EXPECT_FALSE(EditMenuEnabling(none).Update);
    EXPECT_FALSE(EditMenuEnabling(none).RowsPresent);
    EXPECT_FALSE(ToolbarEnabling(none).ArchiveButtons);

    const TArchiveViewState noArchiveMultidisk{false, true, 0, 0};
    EXPECT_TRUE(FileMenuEnabling(noArchiveMultidisk).Test);
    EXPECT_FALSE(FileMenuEnabling(noArchiveMultidisk).Fix);

    const TArchiveViewState emptyList{true, false, 0, 0};
    EXPECT_TRUE(FileMenuEnabling(emptyList).Close);
    EXPECT_FALSE(FileMenuEnabling(emptyList).Test);
    EXPECT_FALSE(FileMenuEnabling(emptyList).Fix);
    EXPECT_TRUE(EditMenuEnabling(emptyList).Add);
    EXPECT_TRUE(EditMenuEnabling(emptyList).Update);
    EXPECT_FALSE(EditMenuEnabling(emptyList).UpdateDate);
    EXPECT_FALSE(EditMenuEnabling(emptyList).RowsPresent);

    const TArchiveViewState multidiskEmpty{true, true, 0, 0};
    EXPECT_TRUE(EditMenuEnabling(multidiskEmpty).Add);
    EXPECT_FALSE(EditMenuEnabling(multidiskEmpty).Update);

    const TArchiveViewState multidiskRows{true, true, 3, 2};
    const TEditMenuEnabling m = EditMenuEnabling(multidiskRows);
    EXPECT_FALSE(m.Add);
    EXPECT_FALSE(m.Delete);
    EXPECT_TRUE(m.ExtractView);
    EXPECT_FALSE(m.Update);
    EXPECT_FALSE(m.UpdateDate);
    EXPECT_TRUE(m.RowsPresent);

    const TArchiveViewState rowsNoSelection{true, false, 3, 0};
    EXPECT_FALSE(EditMenuEnabling(rowsNoSelection).Delete);
    EXPECT_FALSE(EditMenuEnabling(rowsNoSelection).ExtractView);
    EXPECT_TRUE(EditMenuEnabling(rowsNoSelection).UpdateDate);
    EXPECT_FALSE(ToolbarEnabling(rowsNoSelection).SelectionButtons);
    EXPECT_TRUE(ToolbarEnabling(TArchiveViewState{true, false, 3, 1}).SelectionButtons);
}

TEST(RowTextTest, FieldsAreSplitFromOnePosition) {
    const QString row = QStringLiteral("docs/sub/README.TXT\t17/05/24\t13:45:30\t1,234\t567\t54%");
    int position = 1;
    QStringList fields;
    for (int i = 0; i < 6; ++i)
        fields << NextTabField(row, position);
    EXPECT_EQ(fields,
              (QStringList{"docs/sub/README.TXT", "17/05/24", "13:45:30", "1,234", "567", "54%"}));
    EXPECT_EQ(position, 0);
    EXPECT_EQ(NextTabField(row, position), QString());
    position = 1000;
    EXPECT_EQ(NextTabField(row, position), QString());
    EXPECT_EQ(position, 0);
    // The last field is at most four characters: the ratio with its "%".
    position = 1;
    EXPECT_EQ(NextTabField(QStringLiteral("123456"), position), QStringLiteral("1234"));
    position = 1;
    EXPECT_EQ(NextTabField(QStringLiteral("\tb"), position), QString());
    EXPECT_EQ(position, 2);

    EXPECT_EQ(StoredNameFilePart(QStringLiteral("docs/sub/README.TXT")),
              QStringLiteral("README.TXT"));
    EXPECT_EQ(StoredNameFolderPart(QStringLiteral("docs/sub/README.TXT")),
              QStringLiteral("docs/sub"));
    EXPECT_EQ(StoredNameFilePart(QStringLiteral("plain.txt")), QStringLiteral("plain.txt"));
    EXPECT_EQ(StoredNameFolderPart(QStringLiteral("plain.txt")), QString());
    EXPECT_EQ(StoredNameFolderPart(QStringLiteral("/top.txt")), QStringLiteral("/"));
    EXPECT_EQ(StoredNameFilePart(QStringLiteral("dir/")), QString());
}

TEST(NameMatchTest, PatternsMatchTheFileNameOrWithASlashTheWholeNameIgnoringCase) {
    struct Case {
        const char *pattern;
        const char *name;
        bool matches;
    };
    for (const Case &c : std::initializer_list<Case>{
             {"*.txt", "readme.txt", true},
             {"*.txt", "docs/sub/Guide.TXT", true},
             {"*.txt", "notes.txt/readme", false},
             {"*", "dir/", true},
             {"src/*", "src/util/strings.c", true},
             {"src/*", "lib/src/x.c", false},
             {"*/util/*.h", "src/util/strings.h", true},
             {"file?.c", "file1.c", true},
             {"file?.c", "file10.c", false},
             {"a*b*c", "aXbYbZc", true},
             {"a*b*c", "aXbYcZ", false},
             {"ÄRGER*", "ärger.txt", true},
         }) {
        EXPECT_EQ(TNamePattern(QString::fromUtf8(c.pattern)).Matches(QString::fromUtf8(c.name)),
                  c.matches)
            << c.pattern << " " << c.name;
    }
}

TEST(NameMatchTest, FindLooksForTheTextAnywhereInTheNameIgnoringCase) {
    struct Case {
        const char *text;
        const char *name;
        bool found;
    };
    for (const Case &c : std::initializer_list<Case>{
             {"readme", "docs/README.txt", true},
             {"s/r", "docs/README.txt", true},
             {"readme", "read.me", false},
             {"k", "\u212A.txt", true}, // the Kelvin sign folds to "k"
             {"é", "CAFÉ", true},
             {"é", "cafe", false},
         }) {
        EXPECT_EQ(TNameFinder(QString::fromUtf8(c.text)).FoundIn(QByteArrayView(c.name)), c.found)
            << c.text << " " << c.name;
    }
}

TEST(RowTextTest, TotalsTextFormatsBytes) {
    const QLocale locale = TestLocale();
    EXPECT_EQ(TotalsText(3, 1234567, 0, locale),
              QStringLiteral("3 Entries, 1,234,567 Bytes, 0 Bytes."));
    EXPECT_EQ(TotalsText(1, 5000000000LL, 999, locale),
              QStringLiteral("1 Entries, 5,000,000,000 Bytes, 999 Bytes."));
}

TEST(RecentListTest, DisplayTextAtThirtyAndThirtyOneCharacters) {
    const QString thirty = QStringLiteral("/home/user/archives/abcdef.zip");
    ASSERT_EQ(thirty.size(), 30);
    EXPECT_EQ(RecentDisplayText(thirty), thirty);
    const QString thirtyOne = QStringLiteral("/home/user/archives/abcdefg.zip");
    ASSERT_EQ(thirtyOne.size(), 31);
    EXPECT_EQ(RecentDisplayText(thirtyOne), QStringLiteral("/home/user/... /abcdefg.zip"));
    EXPECT_EQ(RecentDisplayText(QStringLiteral("/Program Files/Archives/Backups/2024/data.zip")),
              QStringLiteral("/Program Files/Archi... /data.zip"));
    // The tail is cut to 40 characters; a name without a folder has no head.
    const QString longName = QString(50, QLatin1Char('n')) + QStringLiteral(".zip");
    EXPECT_EQ(RecentDisplayText(longName), (QStringLiteral("... /") + longName).left(40));
    EXPECT_EQ(RecentDisplayText(QLatin1Char('/') + longName),
              QStringLiteral("/") + (QStringLiteral("... /") + longName).left(40));
    EXPECT_EQ(RecentCaptionNumber(QStringLiteral("&3 /x.zip")), 3);
}

TEST(ProfileIntegerTest, Encodings) {
    EXPECT_EQ(ParseProfileInteger(QStringLiteral("0x9"), 6), 9);
    EXPECT_EQ(ParseProfileInteger(QStringLiteral("0X1f"), 6), 31);
    EXPECT_EQ(ParseProfileInteger(QStringLiteral("$10"), 6), 16);
    EXPECT_EQ(ParseProfileInteger(QStringLiteral("abc"), 6), 6);
    EXPECT_EQ(ParseProfileInteger(QStringLiteral("-1"), 2), -1);
    EXPECT_EQ(ParseProfileInteger(QStringLiteral("5"), 2), 5);
    EXPECT_EQ(ParseProfileInteger(QStringLiteral(""), 1), 1);
    EXPECT_EQ(ParseProfileInteger(QStringLiteral("0x"), 4), 4); // too short for hexadecimal
}

TEST(GeometryTest, OneRowsCellsAndTextPositions) {
    const TColumnWidths widths{90, 62, 60, 60, 60, 38, 1096};
    const std::array<int, ColumnCount> text{40, 50, 45, 30, 20, 27, 33};
    const TRowPlacement cells = PlaceRowCells(10, 480, widths, text);
    EXPECT_EQ(cells[0].Left, 10);
    EXPECT_EQ(cells[0].Right, 100);
    EXPECT_EQ(cells[0].TextX, 12);
    EXPECT_EQ(cells[1].Left, 100);
    EXPECT_EQ(cells[1].Right, 162);
    EXPECT_EQ(cells[1].TextX, 162 - 50 - 2);
    EXPECT_EQ(cells[4].Right, 10 + 90 + 62 + 60 + 60 + 60);
    EXPECT_EQ(cells[4].TextX, cells[4].Right - 20 - 2);
    EXPECT_EQ(cells[5].Left, 342);
    EXPECT_EQ(cells[5].TextX, 342 + 5); // (38 - 27) / 2 truncated
    EXPECT_EQ(cells[6].Left, 380);
    EXPECT_EQ(cells[6].Right, 480); // to the row's edge, whatever the section's width
    EXPECT_EQ(cells[6].TextX, 382);
    // A text wider than its cell starts left of it and is clipped there.
    // (38 - 41) / 2 truncates toward zero.
    EXPECT_EQ(PlaceRowCells(0, 100, widths, {0, 0, 0, 0, 0, 41, 0})[5].TextX, 332 - 1);
}

TEST(StatusBarGeometryTest, PanelAndProgressBarBelowAndAbove445Pixels) {
    const TStatusLayout narrow = StatusLayoutFor(444, 300);
    EXPECT_EQ(narrow.Panel0Width, 260);
    EXPECT_EQ(narrow.ProgressBar, QRect(264, 304, 444 - 287, 13));
    const TStatusLayout wide = StatusLayoutFor(445, 300);
    EXPECT_EQ(wide.Panel0Width, 265);
    EXPECT_EQ(wide.ProgressBar, QRect(270, 304, 153, 13));
    EXPECT_EQ(StatusLayoutFor(800, 10).ProgressBar, QRect(625, 14, 153, 13));
}
