// The settings store over a real INI file in a private folder.
#include "AppTestSupport.h"

#include "MainForm.h"
#include "ProfileStore.h"
#include "Settings.h"
#include "platform/Paths.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>

#include <sys/stat.h>

using platform::MsgResult;

class SettingsTest : public AppTest {};

TEST_F(SettingsTest, DefaultsWithoutAnIniFile) {
    ASSERT_FALSE(QFile::exists(IniPath()));
    auto form = NewForm();
    const TSettings &s = form->Settings;
    EXPECT_EQ(s.CompressionLevel, 6);
    EXPECT_TRUE(s.ConfirmRemove && s.ConfirmExtract && s.ConfirmAdd);
    EXPECT_TRUE(s.ClearDisk && s.IncludeHidden);
    EXPECT_FALSE(s.OnTop || s.UseTempFile || s.CloseBrowser || s.MoveFiles || s.StorePath ||
                 s.Recurse || s.ExtractPath);
    EXPECT_EQ(s.Overwrite, 2);
    EXPECT_EQ(s.MouseAction, 0);
    EXPECT_EQ(s.ExtractMethod, 0);
    EXPECT_EQ(s.StoredExt, QStringLiteral(".ZIP;.LZH;.ARC;.ARJ;.ZOO"));
    QString temp = platform::TempPath();
    temp.chop(1);
    EXPECT_EQ(s.TempFolder, temp);
    EXPECT_EQ(form->ColumnWidths(), (TColumnWidths{90, 62, 60, 60, 60, 38, 1096}));
    EXPECT_EQ(form->Session().MainZip.Compression, 6);
    EXPECT_EQ(form->Session().MainZip.Overwrite, zowAsk);
    EXPECT_TRUE(form->Session().MainZip.ClearDisks);
    EXPECT_TRUE(form->Session().MainZip.IncludeHiddenFiles);
    EXPECT_FALSE(form->Session().MainZip.UseTempFile);
    EXPECT_FALSE(form->Session().MainZip.UsePaths);
    EXPECT_EQ(form->Session().MainZip.TempPath, temp);
    // Reading writes nothing.
    EXPECT_FALSE(QFile::exists(IniPath()));
}

TEST_F(SettingsTest, EncodingsAndCuts) {
    const QString password(100, QLatin1Char('p'));
    WriteIni(QStringLiteral("[Settings]\nCompressionLevel=0x9\nOverwrite=-1\nTempFolder=/var/tmp/\n"
                            "Password=%1\nMouseAction=abc\nConfirmAdd=7\nOnTop=1\n"
                            "[Columns]\nName=120\nPath=abc\n")
                 .arg(password));
    auto form = NewForm();
    EXPECT_EQ(form->Settings.CompressionLevel, 9);
    EXPECT_EQ(form->Session().MainZip.Compression, 9);
    EXPECT_EQ(form->Settings.Overwrite, 2);
    EXPECT_EQ(form->Settings.TempFolder, QStringLiteral("/var/tmp"));
    EXPECT_EQ(form->Session().MainZip.TempPath, QStringLiteral("/var/tmp"));
    EXPECT_EQ(form->Settings.Password, password.left(80));
    EXPECT_EQ(form->Session().MainZip.Password, password.left(80));
    EXPECT_EQ(form->Settings.MouseAction, 0);
    EXPECT_TRUE(form->Settings.ConfirmAdd);
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form->ColumnWidths()[0], 120);
    EXPECT_EQ(form->ColumnWidths()[6], 1096);
    form->SaveSettingsNow1Click();
    EXPECT_TRUE(IniText().contains(QStringLiteral("TempFolder=/var/tmp\n")));
}

TEST_F(SettingsTest, OverwriteOutsideItsRangeStaysAndLeavesTheEngineAlone) {
    WriteIni(QStringLiteral("[Settings]\nOverwrite=5\nCompressionLevel=abc\n"));
    auto form = NewForm();
    EXPECT_EQ(form->Settings.Overwrite, 5);
    EXPECT_EQ(form->Settings.CompressionLevel, 6);
    EXPECT_EQ(form->Session().MainZip.Overwrite, TZipEngine().Overwrite);
    form->SaveSettingsNow1Click();
    EXPECT_TRUE(IniText().contains(QStringLiteral("Overwrite=5\n")));
    ApplyOverwriteSetting(1, form->Session().MainZip);
    EXPECT_EQ(form->Session().MainZip.Overwrite, zowAlways);
    ApplyOverwriteSetting(0, form->Session().MainZip);
    EXPECT_EQ(form->Session().MainZip.Overwrite, zowNever);
}

TEST_F(SettingsTest, EncryptionIsWrittenOnlyOnceChosenAndOnlyOneValueMeansAes) {
    const struct {
        const char *ini; // [Settings] lines; empty: no file
        int setting;
        TZipEncryption engine;
        const char *saved; // the line saved; empty: no Encryption key at all
    } cases[] = {
        {"", 0, zenZipCrypto, ""},
        {"Encryption=1\n", 1, zenAes256, "Encryption=1\n"},
        {"Encryption=0\n", 0, zenZipCrypto, "Encryption=0\n"},
        {"Encryption=7\n", 7, zenZipCrypto, "Encryption=7\n"},
        {"Encryption=abc\n", 0, zenZipCrypto, "Encryption=0\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ini);
        QFile::remove(IniPath());
        if (*c.ini != '\0')
            WriteIni(QStringLiteral("[Settings]\n") + QString::fromLatin1(c.ini));
        auto form = NewForm();
        EXPECT_EQ(form->Settings.Encryption, c.setting);
        EXPECT_EQ(form->Session().MainZip.Encryption, c.engine);
        form->SaveSettingsNow1Click();
        if (*c.saved == '\0')
            EXPECT_FALSE(IniText().contains(QStringLiteral("Encryption")));
        else
            EXPECT_TRUE(IniText().contains(QString::fromLatin1(c.saved)))
                << IniText().toStdString();
    }
}

TEST_F(SettingsTest, StoreSymlinksDrivesTheEngineAndIsWrittenOnlyOnceChosen) {
    const struct {
        const char *ini;
        bool on;
        const char *saved; // empty: no StoreSymlinks key at all
    } cases[] = {
        {"", false, ""},
        {"StoreSymlinks=1\n", true, "StoreSymlinks=1\n"},
        {"StoreSymlinks=0\n", false, "StoreSymlinks=0\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ini);
        QFile::remove(IniPath());
        if (*c.ini != '\0')
            WriteIni(QStringLiteral("[Settings]\n") + QString::fromLatin1(c.ini));
        auto form = NewForm();
        EXPECT_EQ(form->Settings.StoreSymlinks, c.on);
        EXPECT_EQ(form->Session().MainZip.StoreSymlinks, c.on);
        form->SaveSettingsNow1Click();
        if (*c.saved == '\0')
            EXPECT_FALSE(IniText().contains(QStringLiteral("StoreSymlinks")));
        else
            EXPECT_TRUE(IniText().contains(QString::fromLatin1(c.saved)))
                << IniText().toStdString();
    }
}

TEST_F(SettingsTest, SaveSettingsNowWritesEveryKeyOwnerReadable) {
    auto form = NewForm();
    form->findChild<QAction *>(QStringLiteral("SaveSettingsonExit1"))->setChecked(false);
    form->findChild<QHeaderView *>(QStringLiteral("FilesHd"))->resizeSection(1, 77);
    form->findChild<QAction *>(QStringLiteral("SaveSettingsNow1"))->trigger();
    const QString ini = IniText();
    for (const char *key : {"CompressionLevel=6",
                            "ConfirmRemove=1",
                            "ConfirmExtract=1",
                            "ConfirmAdd=1",
                            "TempFolder=",
                            "OnTop=0",
                            "UseTempFile=0",
                            "Password=",
                            "CloseBrowser=0",
                            "MouseAction=0",
                            "ClearDisk=1",
                            "IncludeHidden=1",
                            "MoveFiles=0",
                            "StorePath=0",
                            "Recurse=0",
                            "StoredExt=.ZIP;.LZH;.ARC;.ARJ;.ZOO",
                            "Overwrite=2",
                            "DefaultExtractPath=",
                            "ExtractPath=0",
                            "ExtractMethod=0",
                            "Name=90",
                            "Date=77",
                            "Time=60",
                            "Size=60",
                            "Packed=60",
                            "Ratio=38",
                            "Path=1096"})
        EXPECT_TRUE(ini.contains(QString::fromLatin1(key))) << key;
    // Skipped while empty.
    EXPECT_FALSE(ini.contains(QStringLiteral("LastDirectory")));
    // It holds the password in plain text.
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(IniPath()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(SettingsTest, CloseSavesWhileCheckedAndAFailedWriteKeepsTheWindowOpen) {
    {
        auto form = NewForm();
        EXPECT_TRUE(form->close());
        EXPECT_TRUE(IniText().contains(QStringLiteral("CompressionLevel=6")));
    }
    QFile::remove(IniPath());
    {
        auto form = NewForm();
        form->findChild<QAction *>(QStringLiteral("SaveSettingsonExit1"))->trigger();
        EXPECT_TRUE(form->close());
        EXPECT_FALSE(IniText().contains(QStringLiteral("CompressionLevel")));
    }
    // A configuration folder under a plain file cannot be created, not even by root.
    QFile blocker(TempPath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("TARNWICK_WINDIR", TempPath(QStringLiteral("blocker/windir")).toLocal8Bit());
    auto form = NewForm();
    desktop_->answerMessage(MsgResult::OK);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    const auto messages = desktop_->messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(messages[0].text, QStringLiteral("Unable to write to TARNWICK.INI."));
    // Without the settings, the close goes through and the placement line
    // is the write that fails, with the same error.
    form->findChild<QAction *>(QStringLiteral("SaveSettingsonExit1"))->setChecked(false);
    desktop_->answerMessage(MsgResult::OK);
    EXPECT_TRUE(form->close());
    ASSERT_EQ(desktop_->messages().size(), 2u);
    EXPECT_EQ(desktop_->messages()[1].text, QStringLiteral("Unable to write to TARNWICK.INI."));
    form.reset();
    EXPECT_EQ(desktop_->messages().size(), 2u);
}
