// Files dropped on the main window.
#include "CommandsTest.h"

#include "FileDrag.h"
#include "FileDropEvents.h"
#include "MainForm.h"

using platform::MsgKind;
using platform::MsgResult;

class DropTest : public CommandsTest {};

TEST_F(DropTest, FilesAndAFolderDroppedOnTheWindowAreAdded) {
    WriteIni(QStringLiteral("[Settings]\nConfirmAdd=1\n"));
    const QString archive = MakeZip(QStringLiteral("a.zip"), {{QStringLiteral("old.txt"), "old"}});
    const QString file = WriteFile(QStringLiteral("drop/one.txt"), "1");
    WriteFile(QStringLiteral("drop/dir/inner.txt"), "2");
    const QString folder = TempPath(QStringLiteral("drop/dir"));
    auto form = NewForm();
    form->OpenZipFile(archive);
    // A stay-on-top switch replaces the native window; drops still arrive.
    form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    form->show();

    QList<QUrl> urls = FileUrls({file, folder});
    urls.append(QUrl(QStringLiteral("https://example.com/x.txt")));
    ASSERT_TRUE(SendFileDrop(form.get(), urls));
    // The folder went to the engine as one line, unexpanded.
    EXPECT_EQ(form->FileDrag1->NameWithPath(), QStringList({file, folder}));
    EXPECT_TRUE(desktop_->messages().empty()); // no ConfirmAdd question for a drop
    EXPECT_EQ(ZipNames(archive), QStringList({"old.txt", "one.txt", "inner.txt"}));
    EXPECT_EQ(form->RowTexts().size(), 3);
    EXPECT_EQ(form->Session().BusyCount, 0);
}

TEST_F(DropTest, WithNoArchiveOpenTheDropOffersANewArchive) {
    const QString file = WriteFile(QStringLiteral("drop/one.txt"), "1");
    const QString question = QStringLiteral(
        "You must Open an existing Archive or Create a new one before adding files.  Do you want "
        "to create a new archive file?");
    struct Case {
        MsgResult answer;
        bool named; // the New Archive dialog names a file
    };
    for (const Case c :
         {Case{MsgResult::No, false}, Case{MsgResult::Yes, false}, Case{MsgResult::Yes, true}}) {
        auto form = NewForm();
        const QString archive = TempPath(QStringLiteral("new.zip"));
        desktop_->clear();
        desktop_->answerMessage(c.answer);
        if (c.answer == MsgResult::Yes) {
            if (c.named)
                desktop_->answerFiles({archive});
            else
                desktop_->cancelFileDialog();
        }
        ASSERT_TRUE(SendFileDrop(form.get(), FileUrls({file})));
        ASSERT_FALSE(desktop_->messages().empty());
        EXPECT_EQ(desktop_->messages()[0].text, question);
        EXPECT_EQ(desktop_->messages()[0].kind, MsgKind::Information);
        EXPECT_EQ(form->Session().MainZip.ZipFileName, c.named ? archive : QString());
        if (c.named) {
            EXPECT_EQ(ZipNames(archive), QStringList({"one.txt"}));
            EXPECT_EQ(form->RowTexts().size(), 1);
        } else {
            EXPECT_FALSE(QFileInfo::exists(archive));
        }
        EXPECT_EQ(form->Session().BusyCount, 0);
    }
}

TEST_F(DropTest, ADropWhileACommandIsBusyIsRefused) {
    const QString archive = MakeZip(QStringLiteral("a.zip"), {{QStringLiteral("old.txt"), "old"}});
    const QString file = WriteFile(QStringLiteral("drop/one.txt"), "1");
    auto form = NewForm();
    form->OpenZipFile(archive);
    form->SetBusy(false);
    // The source must see the refusal: an accepted drop tells a file
    // manager the files were taken.
    EXPECT_FALSE(SendFileDrop(form.get(), FileUrls({file})));
    form->SetBusy(true);
    EXPECT_EQ(ZipNames(archive), QStringList({"old.txt"}));
    EXPECT_TRUE(SendFileDrop(form.get(), FileUrls({file})));
    EXPECT_EQ(ZipNames(archive), QStringList({"old.txt", "one.txt"}));
}
