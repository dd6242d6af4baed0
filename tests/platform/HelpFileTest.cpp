#include "platform/HelpFile.h"
#include "HelpViewer.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace platform;
using namespace platform::help;

namespace {

const char *kSmall = "TARNWICK-HELP 1\n"
                     "# a comment\n"
                     "@title Small Help\n"
                     "@contents 1\n"
                     "@helponhelp 2\n"
                     "== 1 Contents\n"
                     "@keywords contents\n"
                     "See [[10|Adding <files>]].\n"
                     "\n"
                     "## not a comment\n"
                     "== 2 Using help\n"
                     "@keywords help; Adding\n"
                     "Body first.\n"
                     "@ is text here\n"
                     "== 10 Add\n"
                     "@keywords add files; adding; Archive\n"
                     "Body.\n";

} // namespace

TEST(HelpFileTest, ParsesTopicsDirectivesAndBodies) {
    ParseError error;
    const auto file = HelpFile::parse(QString::fromUtf8(kSmall), &error);
    ASSERT_TRUE(file) << error.line << ": " << error.message.toStdString();
    EXPECT_EQ(file->title(), "Small Help");
    EXPECT_EQ(file->contentsContext(), 1);
    EXPECT_EQ(file->helpOnHelpContext(), 2);
    ASSERT_EQ(file->topics().size(), 3u);
    EXPECT_EQ(file->topic(1)->body, "See [[10|Adding <files>]].\n\n# not a comment");
    EXPECT_EQ(file->topic(2)->body, "Body first.\n@ is text here");
    EXPECT_EQ(file->topic(10)->title, "Add");
    EXPECT_EQ(file->topic(11), nullptr);
    EXPECT_EQ(BodyToHtml(file->topic(1)->body),
              "<p>See <a href=\"topic:10\">Adding &lt;files&gt;</a>.</p><p># not a comment</p>");
}

TEST(HelpFileTest, KeywordIndexIsSortedAndSearchedByPrefix) {
    const auto file = HelpFile::parse(QString::fromUtf8(kSmall));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->keywords(),
              QStringList({"add files", "Adding", "Archive", "contents", "help"}));
    EXPECT_EQ(file->keywordsStartingWith("AD"), QStringList({"add files", "Adding"}));
    EXPECT_EQ(file->keywordsStartingWith(""), file->keywords());
    EXPECT_EQ(file->topicsForKeyword("ADDING"), (std::vector<int>{2, 10}));
    EXPECT_TRUE(file->topicsForKeyword("zip").empty());
}

TEST(HelpFileTest, RejectsMalformedFilesWithTheLine) {
    const struct {
        const char *text;
        int line;
    } bad[] = {
        {"HELP\n== 1 A\n", 1},
        {"TARNWICK-HELP 1\n== 1 A\n== 1 B\n", 3},
        {"TARNWICK-HELP 1\n== x A\n", 2},
        {"TARNWICK-HELP 1\nstray text\n", 2},
        {"TARNWICK-HELP 1\n@colour red\n", 2},
        {"TARNWICK-HELP 1\n@contents 5\n== 1 A\n", 0},
    };
    for (const auto &b : bad) {
        ParseError error;
        EXPECT_FALSE(HelpFile::parse(QString::fromUtf8(b.text), &error)) << b.text;
        EXPECT_EQ(error.line, b.line) << b.text;
    }
}

TEST(HelpFileTest, ShippedHelpFileCoversEveryMenuContext) {
    ParseError error;
    const auto file = HelpFile::load(QStringLiteral(TARNWICK_BIN_DIR "/Tarnwick.hlp"), &error);
    ASSERT_TRUE(file) << error.line << ": " << error.message.toStdString();
    ASSERT_NE(file->topic(file->contentsContext()), nullptr);
    ASSERT_NE(file->topic(file->helpOnHelpContext()), nullptr);
    const int menuContexts[] = {1000, 1001, 1003, 1010, 1012, 1013, 1015, 1017, 1018, 1024, 1026,
                                1036, 1037, 1039, 1040, 1041, 1045, 1046, 1047, 1048, 1049, 1050};
    const int dialogContexts[] = {1005, 1006, 1007, 1008, 1009};
    for (int context : menuContexts)
        EXPECT_NE(file->topic(context), nullptr) << context;
    for (int context : dialogContexts)
        EXPECT_NE(file->topic(context), nullptr) << context;
    for (const Topic &t : file->topics()) {
        EXPECT_FALSE(t.keywords.isEmpty()) << t.context;
        EXPECT_FALSE(t.body.isEmpty()) << t.context;
        // Every link leads to a topic of the file.
        const QRegularExpression link(QStringLiteral("\\[\\[(\\d+)\\|"));
        for (auto it = link.globalMatch(t.body); it.hasNext();) {
            const int target = it.next().captured(1).toInt();
            EXPECT_NE(file->topic(target), nullptr) << t.context << " links to " << target;
        }
    }
}

TEST(HelpFileTest, ViewerAnswersContentsContextAndKeywordSearch) {
    HelpViewer viewer;
    const QString path = QStringLiteral(TARNWICK_BIN_DIR "/Tarnwick.hlp");
    ASSERT_TRUE(viewer.handle({HelpRequest::Command::Context, 1036, {}, {}}, path));
    EXPECT_EQ(viewer.currentContext(), 1036);
    EXPECT_EQ(viewer.currentTitle(), "Quick Start Tutorial");
    ASSERT_TRUE(viewer.handle({HelpRequest::Command::Contents, 0, {}, {}}, path));
    EXPECT_EQ(viewer.currentContext(), 1);
    ASSERT_TRUE(viewer.handle({HelpRequest::Command::HelpOnHelp, 0, {}, {}}, path));
    EXPECT_EQ(viewer.currentContext(), 2);
    ASSERT_TRUE(viewer.handle({HelpRequest::Command::PartialKey, 0, "extr", {}}, path));
    EXPECT_EQ(viewer.indexEntries(),
              QStringList({"extract files", "extract options", "extract path", "extracting"}));
    // An unknown context shows the contents rather than nothing.
    ASSERT_TRUE(viewer.handle({HelpRequest::Command::Context, 4242, {}, {}}, path));
    EXPECT_EQ(viewer.currentContext(), 1);
}
