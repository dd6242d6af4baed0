// The configuration dialog over the main window's settings, and the
// session's policies that follow them.
#include "AppTestSupport.h"

#include "DialogCommands.h"
#include "EngineSession.h"
#include "FrmConfiguration.h"
#include "MainForm.h"
#include "Settings.h"
#include "ZipEngine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using Kind = platform::testing::ScriptedDesktop::Kind;

namespace {

template <typename T> T *Control(const QWidget &dialog, const char *name) {
    auto *widget = dialog.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Every setting away from its default.
TSettings UnusualSettings() {
    TSettings s;
    s.CompressionLevel = 3;
    s.ConfirmRemove = false;
    s.ConfirmExtract = true;
    s.ConfirmAdd = false;
    s.TempFolder = QStringLiteral("/var/tmp/tw");
    s.UseTempFile = true;
    s.Password = QStringLiteral("secret");
    s.CloseBrowser = true;
    s.MouseAction = 2;
    s.ClearDisk = false;
    s.IncludeHidden = false;
    s.MoveFiles = true;
    s.StorePath = true;
    s.Recurse = true;
    s.StoredExt = QStringLiteral(".JAR");
    s.Overwrite = 1;
    s.DefaultExtractPath = QStringLiteral("/home/u/out");
    s.ExtractPath = true;
    s.ExtractMethod = 1;
    return s;
}

struct EngineView {
    int compression;
    bool clearDisks, useTempFile, recurse, moveFiles, hidden;
    QString tempPath, stored, password;
    int overwrite;
    bool operator==(const EngineView &) const = default;
};

EngineView ViewOf(const TZipEngine &e) {
    return {e.Compression,        e.ClearDisks, e.UseTempFile,      e.Recurse,  e.MoveFiles,
            e.IncludeHiddenFiles, e.TempPath,   e.StoredExtensions, e.Password, e.Overwrite};
}

} // namespace

class ConfigurationTest : public AppTest {};

TEST_F(ConfigurationTest, FillsEveryControlAndWritesThemBack) {
    TSettings settings = UnusualSettings();
    TEngineSession session;
    TZipEngine &engine = session.MainZip;
    QWidget main;
    TFrmConfiguration dialog(settings, &main);
    EXPECT_EQ(dialog.windowTitle(), "Tarnwick Configuration");
    // The designed size, or more where the desktop's face needs it; never resizable.
    EXPECT_GE(dialog.width(), 331);
    EXPECT_GE(dialog.height(), 375);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(Control<QTabWidget>(dialog, "PageControl1")->currentIndex(), 0);
    EXPECT_EQ(Control<QSlider>(dialog, "TrackBar1")->value(), 3);
    EXPECT_EQ(Control<QSlider>(dialog, "TrackBar1")->maximum(), 8);
    EXPECT_EQ(Control<QLineEdit>(dialog, "EdTempFolder")->text(), "/var/tmp/tw");
    EXPECT_EQ(Control<QLineEdit>(dialog, "EdPassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Control<QComboBox>(dialog, "CmOverwrite")->currentText(), "Always Overwrite");
    EXPECT_EQ(Control<QComboBox>(dialog, "CmExtractMethod")->currentText(), "Freshen");
    EXPECT_TRUE(dialog.findChildren<QRadioButton *>().at(2)->isChecked());
    const struct {
        const char *name;
        bool checked;
    } boxes[] = {
        {"CkBxRemove", false},        {"CkBxExtract", true},        {"CkBxAdd", false},
        {"CkBxOnTop", false},         {"CkBxUseTemp", true},        {"CkBxCloseBrowser", true},
        {"CkBxClearDisk", false},     {"CkBxIncludeHidden", false}, {"CkBxMoveFiles", true},
        {"CkBxStorePath", true},      {"CkBxRecurse", true},        {"CkBxExtractPath", true},
        {"CkBxStoreSymlinks", false}, {"CkBxAskPassword", true}};
    for (const auto &box : boxes)
        EXPECT_EQ(Control<QCheckBox>(dialog, box.name)->isChecked(), box.checked) << box.name;

    // OK with nothing changed gives back the same settings and drives the engine.
    dialog.Button2Click();
    EXPECT_EQ(settings, UnusualSettings());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    session.Configure(settings);
    const EngineView expected{3,     false,         true,   true,     true,
                              false, "/var/tmp/tw", ".JAR", "secret", zowAlways};
    EXPECT_EQ(ViewOf(engine), expected);

    // Every control changed reaches its setting.
    TFrmConfiguration again(settings, &main);
    Control<QSlider>(again, "TrackBar1")->setValue(8);
    for (const auto &box : boxes)
        Control<QCheckBox>(again, box.name)->setChecked(!box.checked);
    Control<QLineEdit>(again, "EdStoredExt")->setText(".ZIP");
    again.findChildren<QRadioButton *>().at(1)->setChecked(true);
    Control<QComboBox>(again, "CmExtractMethod")->setCurrentIndex(2);
    again.Button2Click();
    session.Configure(settings);
    EXPECT_EQ(settings.CompressionLevel, 8);
    EXPECT_TRUE(settings.ConfirmRemove && !settings.ConfirmExtract && settings.ConfirmAdd);
    EXPECT_TRUE(settings.OnTop && !settings.UseTempFile && !settings.CloseBrowser);
    EXPECT_TRUE(settings.ClearDisk && settings.IncludeHidden && !settings.MoveFiles);
    EXPECT_TRUE(!settings.StorePath && !settings.Recurse && !settings.ExtractPath);
    EXPECT_TRUE(settings.StoreSymlinks && engine.StoreSymlinks && !settings.AskPassword);
    EXPECT_EQ(settings.MouseAction, 1);
    EXPECT_EQ(settings.ExtractMethod, 2);
    EXPECT_EQ(engine.StoredExtensions, ".ZIP");
    EXPECT_EQ(engine.Compression, 8);
}

TEST_F(ConfigurationTest, PasswordPageChoosesTheEncryption) {
    TSettings settings;
    TEngineSession session;
    TZipEngine &engine = session.MainZip;
    TFrmConfiguration dialog(settings, nullptr);
    auto *choice = Control<QComboBox>(dialog, "CmEncryption");
    ASSERT_EQ(choice->count(), 2);
    EXPECT_EQ(choice->itemText(0), "ZipCrypto (readable everywhere)");
    EXPECT_EQ(choice->itemText(1), "AES-256 (secure)");
    EXPECT_EQ(choice->currentIndex(), 0);
    EXPECT_EQ(choice->parentWidget()->parentWidget()->objectName(), "TabSheet4");
    choice->setCurrentIndex(1);
    dialog.Button2Click();
    session.Configure(settings);
    EXPECT_EQ(settings.Encryption, EncryptionAes256);
    EXPECT_EQ(engine.Encryption, zenAes256);

    // A value from elsewhere selects nothing and survives OK.
    settings.Encryption = 7;
    TFrmConfiguration again(settings, nullptr);
    EXPECT_EQ(Control<QComboBox>(again, "CmEncryption")->currentIndex(), -1);
    again.Button2Click();
    session.Configure(settings);
    EXPECT_EQ(settings.Encryption, 7);
    EXPECT_EQ(engine.Encryption, zenZipCrypto);
}

TEST_F(ConfigurationTest, CancelEscAndTheCloseBoxChangeNothing) {
    auto form = NewForm();
    form->Settings.Overwrite = 0;
    ApplyOverwriteSetting(0, form->Session().MainZip);
    const TSettings before = form->Settings;
    const EngineView engineBefore = ViewOf(form->Session().MainZip);
    for (const char *way : {"Cancel", "Esc", "close box"}) {
        QTimer::singleShot(0, form.get(), [&form, way] {
            auto *dialog = form->findChild<TFrmConfiguration *>();
            ASSERT_NE(dialog, nullptr);
            Control<QSlider>(*dialog, "TrackBar1")->setValue(0);
            Control<QCheckBox>(*dialog, "CkBxOnTop")->setChecked(true);
            Control<QLineEdit>(*dialog, "EdTempFolder")->setText("/elsewhere/");
            Control<QComboBox>(*dialog, "CmOverwrite")->setCurrentIndex(1);
            if (QLatin1String(way) == QLatin1String("Cancel"))
                dialog->Button1Click();
            else if (QLatin1String(way) == QLatin1String("Esc"))
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->close();
        });
        Configuration1Click(*form);
        EXPECT_EQ(form->Settings, before) << way;
        EXPECT_EQ(ViewOf(form->Session().MainZip), engineBefore) << way;
        EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint) << way;
    }
}

TEST_F(ConfigurationTest, TempFolderLosesOneTrailingSlash) {
    const struct {
        const char *typed;
        const char *stored;
    } cases[] = {{"/var/tmp/", "/var/tmp"},
                 {"/var/tmp//", "/var/tmp/"},
                 {"/", ""},
                 {"/var/tmp", "/var/tmp"}};
    for (const auto &c : cases) {
        TSettings settings;
        TEngineSession session;
        TZipEngine &engine = session.MainZip;
        TFrmConfiguration dialog(settings, nullptr);
        Control<QLineEdit>(dialog, "EdTempFolder")->setText(QString::fromUtf8(c.typed));
        dialog.Button2Click();
        session.Configure(settings);
        EXPECT_EQ(settings.TempFolder, c.stored) << c.typed;
        EXPECT_EQ(engine.TempPath, c.stored) << c.typed;
    }
}

TEST_F(ConfigurationTest, NoTempFolderMeansTheTemporaryArchiveLiesBesideTheArchive) {
    TSettings settings;
    TEngineSession session;
    TZipEngine &engine = session.MainZip;
    TFrmConfiguration dialog(settings, nullptr);
    Control<QLineEdit>(dialog, "EdTempFolder")->setText("/");
    Control<QCheckBox>(dialog, "CkBxUseTemp")->setChecked(true);
    dialog.Button2Click();
    session.Configure(settings);
    const QString archive = MakeZip("a.zip", {{"old.txt", "old"}});
    QFile source(TempPath("new.txt"));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("new");
    source.close();
    engine.ZipFileName = archive;
    engine.FilesToProcess = {source.fileName()};
    engine.UsePaths = false;
    EXPECT_EQ(engine.AddToArchive(TZipAddMode::Add), 0);
    EXPECT_EQ(engine.EntryCount(), 2);
}

TEST_F(ConfigurationTest, ValuesThatSelectNothing) {
    TSettings settings;
    settings.Overwrite = 5;
    settings.ExtractMethod = 7;
    settings.MouseAction = 9;
    settings.Password = QString(100, u'p');
    TEngineSession session;
    TZipEngine &engine = session.MainZip;
    TFrmConfiguration dialog(settings, nullptr);
    EXPECT_EQ(Control<QComboBox>(dialog, "CmOverwrite")->currentIndex(), -1);
    dialog.Button2Click();
    session.Configure(settings);
    EXPECT_EQ(settings.Overwrite, 2);
    EXPECT_EQ(settings.ExtractMethod, -1);
    EXPECT_EQ(settings.MouseAction, -1);
    EXPECT_EQ(settings.Password, QString(80, u'p'));
    EXPECT_EQ(engine.Password.size(), 80);

    TFrmConfiguration typed(settings, nullptr);
    auto *password = Control<QLineEdit>(typed, "EdPassword");
    password->clear();
    QTest::keyClicks(password, QString(90, u'q'));
    EXPECT_EQ(password->text(), QString(80, u'q'));
}

TEST_F(ConfigurationTest, StayOnTopAtOnceOnlyWhenSwitchedOn) {
    auto form = NewForm();
    for (const bool on : {true, false}) {
        QTimer::singleShot(0, form.get(), [&form, on] {
            auto *dialog = form->findChild<TFrmConfiguration *>();
            ASSERT_NE(dialog, nullptr);
            // The dialog stays above a main window that is on top.
            EXPECT_EQ(bool(dialog->windowFlags() & Qt::WindowStaysOnTopHint), !on);
            Control<QCheckBox>(*dialog, "CkBxOnTop")->setChecked(on);
            Control<QComboBox>(*dialog, "CmOverwrite")->setCurrentIndex(on ? 1 : 0);
            dialog->Button2Click();
        });
        Configuration1Click(*form);
        EXPECT_EQ(form->Settings.OnTop, on);
        // OK from the menu item: the next operations run with the new rule.
        EXPECT_EQ(form->Session().MainZip.Overwrite, on ? zowAlways : zowNever);
        // Switched off, the window stays on top until the next start.
        EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(form->isVisible());
    }
}

TEST_F(ConfigurationTest, HelpButtonAndF1) {
    TSettings settings;
    TFrmConfiguration dialog(settings, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *pages = Control<QTabWidget>(dialog, "PageControl1");
    const int expected[] = {1007, 1005, 1006, 1009, 1008};
    for (int page = 0; page < 5; ++page) {
        pages->setCurrentIndex(page);
        QTest::keyClick(&dialog, Qt::Key_F1);
    }
    pages->setCurrentIndex(3);
    dialog.Button3Click();
    const auto requests = desktop_->requestsOf(Kind::Help);
    ASSERT_EQ(requests.size(), 6u);
    for (int page = 0; page < 5; ++page)
        EXPECT_EQ(requests[page].help.context, expected[page]);
    EXPECT_EQ(requests[5].help.context, 1010);
    EXPECT_TRUE(dialog.isVisible());
}
