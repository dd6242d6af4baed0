#include "platform/Desktop.h"
#include "platform/testing/ScriptedDesktop.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;
using platform::testing::ScriptedDesktop;

TEST(DesktopHelpersTest, UnexpectedErrorIsCaptionedWithTheApplicationTitle) {
    ScriptedDesktop desktop;
    desktop.answerMessage(MsgResult::OK);
    ShowUnexpectedError(QStringLiteral("File not found"));
    ASSERT_EQ(desktop.messages().size(), 1u);
    const MessageRequest box = desktop.messages().front();
    EXPECT_EQ(box.caption, "Tarnwick for Windows 95");
    EXPECT_EQ(box.text, "File not found.");
    EXPECT_EQ(box.kind, MsgKind::Error);
    EXPECT_EQ(box.buttons, MsgButtons(MsgButton::OK));
}

TEST(DesktopHelpersTest, SelectDirectoryCreatesAMissingFolderOnlyAfterYes) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString missing = root.path() + QStringLiteral("/a/b/c");
    ScriptedDesktop desktop;

    desktop.answerDirectory(root.path());
    EXPECT_EQ(SelectDirectory(QStringLiteral("/start")), root.path());
    EXPECT_TRUE(desktop.messages().empty()); // an existing folder needs no question
    EXPECT_EQ(desktop.requests().front().directory.initialDir, "/start");
    EXPECT_EQ(desktop.requests().front().directory.caption, "Select Directory");

    desktop.clear();
    desktop.answerDirectory(missing).answerMessage(MsgResult::No);
    EXPECT_EQ(SelectDirectory(root.path()), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(missing));
    ASSERT_EQ(desktop.messages().size(), 1u);
    EXPECT_EQ(desktop.messages().front().text,
              "The specified directory does not exist. Create it?");
    EXPECT_EQ(desktop.messages().front().buttons, MsgButton::Yes | MsgButton::No);

    desktop.clear();
    desktop.answerDirectory(missing).answerMessage(MsgResult::Yes);
    EXPECT_EQ(SelectDirectory(root.path()), missing);
    EXPECT_TRUE(QFileInfo(missing).isDir());

    desktop.clear();
    desktop.cancelDirectory();
    EXPECT_EQ(SelectDirectory(root.path()), std::nullopt);
}

TEST(DesktopHelpersTest, SendToTrashAsksFirst) {
    ScriptedDesktop desktop;
    desktop.answerMessage(MsgResult::No);
    EXPECT_FALSE(SendToTrash(QStringLiteral("/data/old.zip")));
    EXPECT_TRUE(desktop.requestsOf(ScriptedDesktop::Kind::Trash).empty());
    EXPECT_EQ(desktop.messages().front().text,
              "Are you sure you want to send \"old.zip\" to the Trash?");
    EXPECT_EQ(desktop.messages().front().kind, MsgKind::Confirm);

    desktop.clear();
    desktop.answerMessage(MsgResult::Yes).answerTrash(true);
    EXPECT_TRUE(SendToTrash(QStringLiteral("rel.zip")));
    const auto trash = desktop.requestsOf(ScriptedDesktop::Kind::Trash);
    ASSERT_EQ(trash.size(), 1u);
    EXPECT_EQ(trash.front().path, QDir::current().absoluteFilePath("rel.zip"));
}

TEST(DesktopHelpersTest, HelpRequestsCarryTheApplicationHelpFile) {
    ScriptedDesktop desktop;
    SetApplicationHelpFile(QStringLiteral("Tarnwick.hlp"));
    HelpContents();
    HelpPartialKey();
    HelpOnHelp();
    HelpContext(1036);
    const auto help = desktop.requestsOf(ScriptedDesktop::Kind::Help);
    ASSERT_EQ(help.size(), 4u);
    EXPECT_EQ(help[0].help.command, HelpRequest::Command::Contents);
    EXPECT_EQ(help[1].help.command, HelpRequest::Command::PartialKey);
    EXPECT_TRUE(help[1].help.key.isEmpty());
    EXPECT_EQ(help[2].help.command, HelpRequest::Command::HelpOnHelp);
    EXPECT_EQ(help[3].help.command, HelpRequest::Command::Context);
    EXPECT_EQ(help[3].help.context, 1036);
    for (const auto &r : help)
        EXPECT_EQ(r.help.helpFile, "Tarnwick.hlp");
}
