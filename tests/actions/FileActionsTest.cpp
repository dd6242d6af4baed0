// The file manager's actions run as the program runs them: real engines,
// the questions and reports answered by the scripted desktop.
#include "FileActions.h"
#include "AppTestSupport.h"
#include "EngineMessages.h"
#include "Settings.h"

#include <QDir>
#include <QFile>

using platform::MsgKind;
using platform::MsgResult;

namespace {

class FileActionsTest : public AppTest {};

TEST_F(FileActionsTest, OnlyOurFirstArgumentIsAnAction) {
    EXPECT_FALSE(ParseFileAction({"archive.zip"}));
    EXPECT_FALSE(ParseFileAction({"archive.zip", "--add-to"}));
    const auto request = ParseFileAction({"--extract-to-folder", "a.zip", "b.zip"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->Action, TFileAction::ExtractToFolder);
    EXPECT_EQ(request->Files, QStringList({"a.zip", "b.zip"}));
}

TEST_F(FileActionsTest, ExtractHereAsksBeforeReplacingAndReportsFailures) {
    const QString one = MakeZip("one.zip", {{"docs/", ""}, {"docs/a.txt", "new"}});
    QDir(TempPath(QString())).mkpath("docs");
    QFile mine(TempPath("docs/a.txt"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    QFile notArchive(TempPath("words.zip"));
    ASSERT_TRUE(notArchive.open(QIODevice::WriteOnly));
    notArchive.write("no archive at all");
    notArchive.close();
    desktop_->answerMessage(MsgResult::No).answerMessage(MsgResult::OK);
    TSettings settings;
    settings.Overwrite = 2; // ask
    const int worst =
        RunFileAction({TFileAction::ExtractHere, {one, TempPath("words.zip")}}, settings);
    EXPECT_EQ(worst, 2);
    const auto messages = desktop_->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, ReplaceQuestion("docs/a.txt"));
    EXPECT_EQ(messages[1].kind, MsgKind::Error);
    QFile kept(TempPath("docs/a.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "mine"); // one top-level folder: no one/ made
    EXPECT_FALSE(QFileInfo::exists(TempPath("one")));
}

TEST_F(FileActionsTest, AddToMakesANewArchiveBesideTheFiles) {
    for (const char *name : {"a.txt", "b.txt"}) {
        QFile f(TempPath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name);
    }
    const QString folder = QFileInfo(TempPath("a.txt")).absolutePath();
    const QString stem = folder + u'/' + QFileInfo(folder).fileName();
    EXPECT_EQ(NewArchiveFor({TempPath("a.txt")}), TempPath("a.zip"));
    EXPECT_EQ(NewArchiveFor({TempPath("a.txt"), TempPath("b.txt")}), stem + ".zip");
    EXPECT_EQ(RunFileAction({TFileAction::AddTo, {TempPath("a.txt")}}, TSettings()), 0);
    EXPECT_TRUE(QFileInfo::exists(TempPath("a.zip")));
    // A name that is taken is never reused: the archive there stays as it is.
    EXPECT_EQ(NewArchiveFor({TempPath("a.txt")}), TempPath("a-2.zip"));
    EXPECT_TRUE(desktop_->messages().empty());
}

} // namespace
