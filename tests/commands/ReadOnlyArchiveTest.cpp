// Archives of other formats than ZIP open in the window, are listed and
// extracted, and every command that would change them is refused with one
// message before it asks anything else; a file that is no archive says so.
#include "CommandsTest.h"

#include "DialogCommands.h"
#include "ExtractFiles.h"
#include "InstallCommands.h"
#include "MainForm.h"

#include <QDir>

using platform::MsgResult;

void SelectNames(TMainFormFm &form, const QStringList &names);

class ReadOnlyArchiveTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        TMainFormFm::SetCommandInstaller([](TMainFormFm &window) {
            InstallCommands(window, window.Session());
            InstallDialogCommands(window);
        });
    }
};

TEST_F(ReadOnlyArchiveTest, ATarGzIsListedAndExtractedAndNeverChanged) {
    WriteFile(QStringLiteral("tree/a.txt"), "alpha");
    WriteFile(QStringLiteral("tree/sub/b.txt"), "beta");
    const QString archive = TempPath(QStringLiteral("files.tar.gz"));
    ASSERT_EQ(std::system(("cd '" + TempPath(QString()).toStdString() +
                           "' && bsdtar -czf files.tar.gz tree")
                              .c_str()),
              0);
    const QByteArray before = ReadFile(archive);

    auto form = NewForm();
    form->OpenZipFile(archive);
    EXPECT_EQ(form->RowTexts().size(), 4);
    EXPECT_EQ(form->Session().MainZip.ReadOnlyType(), QStringLiteral("tar.gz"));

    const QString refusal = QStringLiteral(
        "files.tar.gz is a tar.gz archive and can only be read. Extract its files, or add them "
        "to a new ZIP archive.");
    for (const char *item :
         {"EditDeleteMn", "EditAddMn", "EditUpdateMn", "EditUpdateZIPDateMn", "AddComment1"}) {
        SCOPED_TRACE(item);
        SelectNames(*form, {QStringLiteral("tree/a.txt")});
        desktop_->clear();
        desktop_->answerMessage(MsgResult::OK);
        form->RunItemCommand(QString::fromLatin1(item));
        const auto boxes = desktop_->messages();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, refusal);
        EXPECT_EQ(desktop_->requests().size(), 1u);
        EXPECT_EQ(ReadFile(archive), before);
    }
    // Fix picks a closed archive itself.
    auto closed = NewForm();
    for (const char *item : {"FixNormal1", "FixAgressive1"}) {
        SCOPED_TRACE(item);
        desktop_->clear();
        desktop_->answerFiles({archive}).answerMessage(MsgResult::OK);
        closed->RunItemCommand(QString::fromLatin1(item));
        const auto boxes = desktop_->messages();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, refusal);
        EXPECT_EQ(ReadFile(archive), before);
    }

    const QString folder = TempPath(QStringLiteral("out"));
    SelectNames(*form, {QStringLiteral("tree/a.txt"), QStringLiteral("tree/sub/b.txt")});
    desktop_->clear();
    form->Settings.ExtractPath = true;
    ExtractFiles(form->Session(), *form, ExtractRequestFor(form->Settings, folder));
    EXPECT_TRUE(desktop_->messages().empty());
    EXPECT_EQ(ReadFile(folder + QStringLiteral("/tree/a.txt")), QByteArray("alpha"));
    EXPECT_EQ(ReadFile(folder + QStringLiteral("/tree/sub/b.txt")), QByteArray("beta"));

    // A ZIP archive opened next is a ZIP archive again.
    form->OpenZipFile(MakeZip(QStringLiteral("plain.zip"), {{QStringLiteral("x"), "x"}}));
    EXPECT_TRUE(form->Session().MainZip.ReadOnlyType().isEmpty());
}

TEST_F(ReadOnlyArchiveTest, AFileThatIsNoArchiveSaysSoRatherThanAdvisingFix) {
    const QString picture = WriteFile(QStringLiteral("picture.png"),
                                      QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, '\7'));
    auto form = NewForm();
    desktop_->clear();
    desktop_->answerMessage(MsgResult::OK);
    form->OpenZipFile(picture);
    const auto boxes = desktop_->messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("The file is not an archive."));
    EXPECT_TRUE(form->RowTexts().isEmpty());
}
