// Add, Update and the shared adding routine, on real archives.
#include "CommandsTest.h"

#include "MainForm.h"

#include <QDateTime>
#include <QFile>
#include <QProgressBar>

#include <map>

using platform::MsgKind;
using platform::MsgResult;
using Kind = platform::testing::ScriptedDesktop::Kind;

namespace {

// Records the busy count at every box and dialog, then answers from the script.
class BusyProbeDesktop : public platform::testing::ScriptedDesktop {
public:
    const TMainFormFm *form = nullptr;
    std::vector<int> busy;
    platform::MsgResult messageBox(const platform::MessageRequest &request) override {
        busy.push_back(form ? form->Session().BusyCount : -1);
        return ScriptedDesktop::messageBox(request);
    }
    platform::FileDialogResult fileDialog(const platform::FileDialogRequest &request) override {
        busy.push_back(form ? form->Session().BusyCount : -1);
        return ScriptedDesktop::fileDialog(request);
    }
};

} // namespace

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

TEST_F(AddCommandsTest, ConfirmationComesBeforeTheBusyState) {
    struct Case {
        const char *ini;
        MsgResult answer; // None: no question expected
        bool dialog;
    };
    const Case cases[] = {{"[Settings]\nConfirmAdd=1\n", MsgResult::No, false},
                          {"[Settings]\nConfirmAdd=1\n", MsgResult::Yes, true},
                          // The title-bar close answers Cancel, which goes on.
                          {"[Settings]\nConfirmAdd=1\n", MsgResult::Cancel, true},
                          {"[Settings]\nConfirmAdd=0\n", MsgResult::None, true}};
    for (const Case &c : cases) {
        desktop_.reset();
        auto probe = std::make_unique<BusyProbeDesktop>();
        auto form = OpenForm(QString::fromLatin1(c.ini));
        probe->form = form.get();
        if (c.answer != MsgResult::None)
            probe->answerMessage(c.answer);
        if (c.dialog)
            probe->answerFiles({newFile_});
        form->RunItemCommand(QStringLiteral("EditAddMn"));
        std::vector<int> expectedBusy;
        if (c.answer != MsgResult::None) {
            ASSERT_FALSE(probe->messages().empty());
            EXPECT_EQ(probe->messages()[0].text,
                      QStringLiteral("You are about to Add one or more files to the ") + archive_ +
                          QStringLiteral(" Archive file.  Are you sure you want to do this?"));
            EXPECT_EQ(probe->messages()[0].kind, MsgKind::Confirm);
            expectedBusy.push_back(0);
        }
        if (c.dialog)
            expectedBusy.push_back(1);
        EXPECT_EQ(probe->busy, expectedBusy) << c.ini;
        EXPECT_EQ(form->Session().BusyCount, 0);
        const QStringList expected =
            c.dialog ? QStringList{"old.txt", "new.txt"} : QStringList{"old.txt"};
        EXPECT_EQ(ZipNames(archive_), expected);
        EXPECT_EQ(form->RowTexts().size(), expected.size());
        desktop_ = std::move(probe);
    }
}

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
    // Cancelled: silent, nothing changed, busy state left.
    EXPECT_TRUE(desktop_->messages().empty());
    EXPECT_EQ(ZipNames(archive_), QStringList({"old.txt"}));
    EXPECT_EQ(form->Session().BusyCount, 0);
    EXPECT_EQ(form->StatusText(), QStringLiteral("1 Entries, 3 Bytes, 5 Bytes."));
}

TEST_F(AddCommandsTest, ResultClassDecidesTheRelisting) {
    struct Case {
        const char *failAfter; // TARNWICK_ZIPENG_FAIL_AFTER
        bool missingFile;      // a chosen file that is gone: skipped, code 40
        bool multidisk;
        bool newArchive; // a set is only ever written new
        QStringList boxes;
        int rowsAfter; // -1: not listed again
    };
    const QString skipped = QStringLiteral("Skipping \"%1\", file not found.");
    const QString completed = QStringLiteral(
        "Add operation completed.  To test the archive, you must close it first, then select the "
        "test option from the file menu.");
    const Case cases[] = {
        {"", false, false, false, {}, 2},
        {"",
         true,
         false,
         false,
         {skipped, QStringLiteral("Some files were skipped while adding.")},
         2},
        {"", false, true, true, {completed}, 1},
        {"10", false, false, false, {QStringLiteral("Disk full while adding.")}, -1},
        {"",
         false,
         true,
         false,
         {QStringLiteral("An error occured while adding the specified files.")},
         -1},
    };
    for (const Case &c : cases) {
        auto form = OpenForm(QStringLiteral("[Settings]\nConfirmAdd=0\n"));
        const QString set = TempPath(QStringLiteral("set.zip"));
        if (c.newArchive) {
            desktop_->answerFiles({set});
            form->RunItemCommand(QStringLiteral("FileNewMn"));
        }
        CountListings(*form);
        listedEntries_ = 0;
        form->Session().MainZip.MultidiskMode = c.multidisk;
        const QString gone = TempPath(QStringLiteral("in/gone.txt"));
        QStringList files{newFile_};
        if (c.missingFile)
            files << gone;
        desktop_->clear();
        desktop_->answerFiles(files);
        for (int k = 0; k < c.boxes.size(); ++k)
            desktop_->answerMessage(MsgResult::OK);
        qputenv("TARNWICK_ZIPENG_FAIL_AFTER", c.failAfter);
        form->RunItemCommand(QStringLiteral("EditAddMn"));
        qunsetenv("TARNWICK_ZIPENG_FAIL_AFTER");
        QStringList texts;
        for (const auto &box : desktop_->messages())
            texts << box.text;
        QStringList expected = c.boxes;
        if (c.missingFile)
            expected[0] = expected[0].arg(gone);
        EXPECT_EQ(texts, expected);
        EXPECT_EQ(listedEntries_, std::max(c.rowsAfter, 0)) << c.failAfter << c.multidisk;
        EXPECT_EQ(form->RowTexts().size(), c.rowsAfter < 0 ? 1 : c.rowsAfter);
        if (!c.newArchive) {
            EXPECT_EQ(ZipNames(archive_), c.rowsAfter == 2 ? QStringList({"old.txt", "new.txt"})
                                                           : QStringList({"old.txt"}));
        }
        QFile::remove(set);
    }
}

TEST_F(AddCommandsTest, StorePathIsReadAtEachCommand) {
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

    WriteFile(QStringLiteral("in/new.txt"), "newer");
    desktop_->answerFiles({newFile_});
    form->RunItemCommand(QStringLiteral("EditUpdateMn"));
    EXPECT_TRUE(form->Session().MainZip.UsePaths);
    EXPECT_EQ(ZipNames(archive_).last(), folder + QStringLiteral("/new.txt"));
    // The entry "new.txt" may carry the same two-second time as the file;
    // a later time makes it due for updating whenever the test runs.
    form->Settings.StorePath = false;
    QFile changed(newFile_);
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite));
    ASSERT_TRUE(changed.setFileTime(QDateTime::currentDateTime().addSecs(10),
                                    QFileDevice::FileModificationTime));
    changed.close();
    desktop_->answerFiles({newFile_});
    form->RunItemCommand(QStringLiteral("EditUpdateMn"));
    EXPECT_FALSE(form->Session().MainZip.UsePaths);
}

TEST_F(AddCommandsTest, UpdateSwitchesMultidiskOffWithoutAsking) {
    auto form = OpenForm(QStringLiteral("[Settings]\nConfirmAdd=1\n"));
    auto *item = form->findChild<QAction *>(QStringLiteral("MultidiskmodeMn"));
    CountListings(*form);
    for (const bool cancel : {true, false}) {
        form->MultidiskmodeMnClick();
        ASSERT_TRUE(form->Session().MainZip.MultidiskMode && item->isChecked());
        if (cancel) {
            desktop_->cancelFileDialog();
        } else {
            WriteFile(QStringLiteral("in/new.txt"), "changed");
            desktop_->answerFiles({newFile_});
        }
        listedEntries_ = 0;
        form->RunItemCommand(QStringLiteral("EditUpdateMn"));
        EXPECT_FALSE(form->Session().MainZip.MultidiskMode);
        EXPECT_FALSE(item->isChecked());
        EXPECT_TRUE(desktop_->messages().empty());
        EXPECT_EQ(listedEntries_, cancel ? 0 : 2);
        EXPECT_EQ(form->Session().BusyCount, 0);
    }
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
