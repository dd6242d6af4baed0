#include "platform/testing/ScriptedDesktop.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using namespace platform;
using platform::testing::ScriptedDesktop;

TEST(ScriptedDesktopTest, AnswersInOrderAndRecordsEveryRequest) {
    ScriptedDesktop desktop;
    EXPECT_EQ(&Desktop::current(), &desktop);
    desktop.answerMessage(MsgResult::Yes)
        .answerFiles({"/a/b.zip"}, 2)
        .answerShellOpen(42)
        .answerDdeConnect(true);
    EXPECT_EQ(MessageDlg("Go on?", MsgKind::Confirm, MsgButton::Yes | MsgButton::No),
              MsgResult::Yes);
    FileDialogRequest open;
    open.title = QStringLiteral("Open Archive");
    const FileDialogResult files = desktop.fileDialog(open);
    EXPECT_TRUE(files.accepted);
    EXPECT_EQ(files.files, QStringList{"/a/b.zip"});
    EXPECT_EQ(files.filterIndex, 2);
    EXPECT_EQ(ShellOpen("/a/README.DOC"), 42);
    auto conversation = desktop.ddeConnect("ProgMan", "");
    ASSERT_NE(conversation, nullptr);
    EXPECT_TRUE(conversation->execute("[CreateGroup(X)]"));
    desktop.openTextEditor("/a/README.TXT");

    const auto &r = desktop.requests();
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[0].message.text, "Go on?");
    EXPECT_EQ(r[1].fileDialog.title, "Open Archive");
    EXPECT_EQ(r[2].path, "/a/README.DOC");
    EXPECT_EQ(r[3].path, "ProgMan");
    EXPECT_EQ(r[4].parameter, "[CreateGroup(X)]");
    EXPECT_EQ(r[5].kind, ScriptedDesktop::Kind::TextEditor);
    EXPECT_EQ(desktop.pendingAnswers(), 0u);
}

TEST(ScriptedDesktopTest, UnscriptedOrMismatchedRequestsFailAndGetTheCancelAnswer) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDesktop desktop;
            EXPECT_EQ(MessageDlg("Unexpected", MsgKind::Warning, MsgButton::OK), MsgResult::Cancel);
        },
        "Unscripted message box: Warning \"Unexpected\"");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDesktop desktop;
            desktop.answerMessage(MsgResult::OK);
            EXPECT_FALSE(desktop.fileDialog({}).accepted);
            desktop.clear();
        },
        "expected another request");
    EXPECT_NONFATAL_FAILURE({ ScriptedDesktop().answerMessage(MsgResult::OK); }, "never asked for");
}

TEST(ScriptedDesktopTest, RestoresThePreviousDesktop) {
    Desktop *before = &Desktop::current();
    {
        ScriptedDesktop outer;
        {
            ScriptedDesktop inner;
            EXPECT_EQ(&Desktop::current(), &inner);
        }
        EXPECT_EQ(&Desktop::current(), &outer);
    }
    EXPECT_EQ(&Desktop::current(), before);
}
