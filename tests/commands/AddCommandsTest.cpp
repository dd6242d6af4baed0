// Add, Update and the shared adding routine, on real archives; their rules
// over a fake session are in CommandRulesTest.cpp.
#include "CommandsTest.h"

#include "MainForm.h"

#include <map>

using Kind = platform::testing::ScriptedDesktop::Kind;

class AddCommandsTest : public CommandsTest {
protected:
    // An open archive holding old.txt, and a file new.txt beside it.
    std::unique_ptr<TMainFormFm> OpenForm(const QString &ini = QString()) {
        WriteIni(ini);
        archive_ = MakeZip(QStringLiteral("a.zip"), {{QStringLiteral("old.txt"), "old"}});
        newFile_ = WriteFile(QStringLiteral("in/new.txt"), "new");
        auto form = NewForm();
        form->OpenZipFile(archive_);
        EXPECT_EQ(form->RowTexts().size(), 1);
        return form;
    }
    // Counts the listings of the archive from now on.
    void CountListings(TMainFormFm &form) {
        auto original = form.Session().MainZip.OnListing;
        form.Session().MainZip.OnListing = [this, original](TZipEngine &zip,
                                                            const TZipFileStats &s) {
            ++listedEntries_;
            original(zip, s);
        };
    }
    QString archive_, newFile_;
    int listedEntries_ = 0;
};

TEST_F(AddCommandsTest, TheAddFilesDialog) {
    auto form = OpenForm(QStringLiteral("[Settings]\nConfirmAdd=0\n"));
    form->AddFilesDg.fileName = QStringLiteral("stale");
    desktop_->cancelFileDialog();
    form->RunItemCommand(QStringLiteral("EditAddMn"));
    const auto dialogs = desktop_->requestsOf(Kind::FileDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    const platform::FileDialogRequest &d = dialogs[0].fileDialog;
    EXPECT_EQ(d.title, QStringLiteral("Add Files"));
    EXPECT_EQ(d.filter, QStringLiteral("All files (*.*)|*.*"));
    EXPECT_TRUE(d.multiSelect && d.fileMustExist && d.pathMustExist);
    EXPECT_TRUE(d.fileName.isEmpty());
}

TEST_F(AddCommandsTest, StorePathDecidesTheStoredFolder) {
    auto form = OpenForm(QStringLiteral("[Settings]\nConfirmAdd=0\nStorePath=0\n"));
    const QString folder = newFile_.section(QLatin1Char('/'), 1, -2);
    desktop_->answerFiles({newFile_});
    form->RunItemCommand(QStringLiteral("EditAddMn"));
    EXPECT_EQ(ZipNames(archive_), QStringList({"old.txt", "new.txt"}));

    // As if changed in the configuration dialog: the next command uses it.
    form->Settings.StorePath = true;
    const QString second = WriteFile(QStringLiteral("in/second.txt"), "2");
    desktop_->answerFiles({second});
    form->RunItemCommand(QStringLiteral("EditAddMn"));
    EXPECT_EQ(ZipNames(archive_).last(), folder + QStringLiteral("/second.txt"));
}

TEST_F(AddCommandsTest, UpdateSwitchesMultidiskOffWithoutAsking) {
    auto form = OpenForm(QStringLiteral("[Settings]\nConfirmAdd=1\n"));
    auto *item = form->findChild<QAction *>(QStringLiteral("MultidiskmodeMn"));
    CountListings(*form);
    form->MultidiskmodeMnClick();
    ASSERT_TRUE(form->Session().MainZip.MultidiskMode && item->isChecked());
    WriteFile(QStringLiteral("in/new.txt"), "changed");
    desktop_->answerFiles({newFile_});
    form->RunItemCommand(QStringLiteral("EditUpdateMn"));
    EXPECT_FALSE(form->Session().MainZip.MultidiskMode);
    EXPECT_FALSE(item->isChecked());
    EXPECT_TRUE(desktop_->messages().empty());
    EXPECT_EQ(listedEntries_, 2);
    EXPECT_EQ(ZipNames(archive_), QStringList({"old.txt", "new.txt"}));
}

// The Encryption setting from the INI file reaches the engine: with AES-256
// and a password, Add writes method 99 (WinZip AES), and the listing shows it.
TEST_F(AddCommandsTest, AesSettingEncryptsWhatAddWrites) {
    auto form = OpenForm(QStringLiteral("[Settings]\nConfirmAdd=0\nPassword=pw\nEncryption=1\n"));
    desktop_->answerFiles({newFile_});
    form->RunItemCommand(QStringLiteral("EditAddMn"));
    std::map<QString, std::uint8_t> packed;
    form->Session().MainZip.OnListing = [&](TZipEngine &, const TZipFileStats &s) {
        packed[s.FileName] = s.EngineByte;
    };
    form->Session().MainZip.ZipFileName = archive_;
    ASSERT_EQ(form->Session().MainZip.ListArchive(), 0);
    ASSERT_EQ(packed.size(), 2u);
    EXPECT_EQ(engine_packed_aes_bits(packed[QStringLiteral("new.txt")]), 256u);
    EXPECT_EQ(engine_packed_aes_bits(packed[QStringLiteral("old.txt")]), 0u);
}
