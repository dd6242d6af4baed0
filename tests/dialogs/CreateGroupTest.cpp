// The create-group dialog: its proposals, the commands it sends and the
// launchers the "ProgMan" service makes of them.
#include "AppTestSupport.h"

#include "DialogCommands.h"
#include "FrmCreateGroup.h"
#include "MainForm.h"
#include "ProgramGroup.h"
#include "platform/ProgMan.h"
#include "platform/testing/DesktopEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

using platform::MsgKind;
using Kind = platform::testing::ScriptedDesktop::Kind;

namespace {

// The scripted desktop, but with the real program-group service.
class ProgManDesktop : public platform::testing::ScriptedDesktop {
public:
    std::unique_ptr<platform::DdeConversation> ddeConnect(const QString &,
                                                          const QString &) override {
        return platform::progman::Server::connect();
    }
};

class EnvGuard {
public:
    EnvGuard(const char *name, const QString &value) : name_(name), old_(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~EnvGuard() { qputenv(name_, old_); }

private:
    const char *name_;
    QByteArray old_;
};

QStringList Commands(const platform::testing::ScriptedDesktop &desktop) {
    QStringList sent;
    for (const auto &r : desktop.requestsOf(Kind::DdeExecute))
        sent << r.parameter;
    return sent;
}

} // namespace

class CreateGroupTest : public AppTest {
protected:
    // Runs the dialog from the menu item with the proposals changed to `folder`.
    void CreateGroup(TMainFormFm &form, const QString &folder, const QString &group) {
        QTimer::singleShot(0, &form, [&form, folder, group] {
            auto *dialog = form.findChild<TFrmCreateGroup *>();
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(folder);
            dialog->findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(group);
            dialog->BtnOkClick();
        });
        EditCreateGroupIcons1Click(form);
    }
};

TEST_F(CreateGroupTest, ProposesFolderAndGroupFromTheArchiveName) {
    auto form = NewForm();
    const struct {
        const char *archive;
        const char *defaultPath;
        QString folder;
        const char *group;
    } cases[] = {{"/arc/TOOLS.ZIP", "/apps", "/apps/TOOLS", "TOOLS"},
                 {"/arc/tools.v2.zip", "/apps/", "/apps//tools", "tools"},
                 {"/arc/README", "/apps", "/apps/", ""},
                 {"/arc/x.zip", "", QDir::currentPath() + "/x", "x"}};
    for (const auto &c : cases) {
        form->Session().MainZip.ZipFileName = QString::fromUtf8(c.archive);
        form->Settings.DefaultExtractPath = QString::fromUtf8(c.defaultPath);
        TFrmCreateGroup dialog(*form);
        EXPECT_EQ(dialog.windowTitle(), "Create Program Group");
        EXPECT_EQ(dialog.findChild<QLineEdit *>("Edit1")->text(), c.folder) << c.archive;
        EXPECT_EQ(dialog.findChild<QLineEdit *>("Edit2")->text(), c.group) << c.archive;
    }
    form->Session().MainZip.ZipFileName.clear();
}

TEST_F(CreateGroupTest, CommandTexts) {
    using namespace progmangroup;
    EXPECT_EQ(CreateGroupCommand("Tools"), "[CreateGroup(Tools)]\r\n");
    EXPECT_EQ(AddItemCommand("/x", "SUB/PROG.EXE", false),
              "[AddItem(\"/x/PROG.EXE\",PROG.EXE)]\r\n");
    EXPECT_EQ(AddItemCommand("/x", "SUB/PROG.EXE", true),
              "[AddItem(/x/SUB/PROG.EXE,PROG.EXE)]\r\n");
    EXPECT_EQ(AddItemCommand("/x", "SUB/", true), "[AddItem(/x/SUB/,SUB)]\r\n");
    const QString longName(300, u'n');
    EXPECT_EQ(CreateGroupCommand(longName).size(), CommandLimit);
    // An item is sent whole or not at all.
    const QString folder = "/" + QString(CommandLimit - 26, u'f');
    EXPECT_EQ(AddItemCommand(folder, "a.txt", true)->size(), CommandLimit);
    EXPECT_FALSE(AddItemCommand(folder + "f", "a.txt", true));
    EXPECT_FALSE(AddItemCommand("/x", longName, true));
}

TEST_F(CreateGroupTest, ExtractsEverythingAndSendsOneItemPerEntry) {
    auto form = NewForm();
    for (const int entries : {3, 60}) {
        const QString name = QStringLiteral("n%1.zip").arg(entries);
        form->OpenZipFile(MakeZipOfCount(name, entries == 60 ? 2 : entries));
        // Another program rewrites it after the listing.
        MakeZipOfCount(name, entries);
        const QString folder = TempPath(QStringLiteral("out%1").arg(entries));
        desktop_->clear();
        desktop_->answerDdeConnect(true);
        CreateGroup(*form, folder, "Numbers");
        const QStringList sent = Commands(*desktop_);
        const int items = std::min(entries, 51);
        ASSERT_EQ(sent.size(), items + 1);
        EXPECT_EQ(sent[0], "[CreateGroup(Numbers)]\r\n");
        EXPECT_EQ(sent[1], "[AddItem(\"" + folder + "/f0000.txt\",f0000.txt)]\r\n");
        EXPECT_EQ(sent.last(), QStringLiteral("[AddItem(\"%1/f%2.txt\",f%2.txt)]\r\n")
                                   .arg(folder)
                                   .arg(items - 1, 4, 10, QChar(u'0')));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), entries);
        EXPECT_EQ(form->SelectedCount(), entries);
        EXPECT_TRUE(desktop_->messages().empty());
    }
}

TEST_F(CreateGroupTest, ItemsTooLongToSendWholeAreLeftOutAndCounted) {
    auto form = NewForm();
    form->OpenZipFile(MakeZip("two.zip", {{"a.txt", "a"}, {"longer-name.txt", "b"}}));
    const struct {
        int folderLength;
        int sentItems;
        const char *message;
    } cases[] = {
        {200, 2, nullptr},
        {220, 1, "1 item was left out of the program group: its command line is too long."},
        {239, 0, "2 items were left out of the program group: their command lines are too long."}};
    for (const auto &c : cases) {
        QString folder = TempPath("x");
        folder += QString(c.folderLength - folder.size(), u'x');
        desktop_->clear();
        desktop_->answerDdeConnect(true);
        if (c.message)
            desktop_->answerMessage(platform::MsgResult::OK);
        CreateGroup(*form, folder, "Two");
        EXPECT_EQ(Commands(*desktop_).size(), c.sentItems + 1) << c.folderLength;
        const auto boxes = desktop_->messages();
        ASSERT_EQ(boxes.size(), c.message ? 1u : 0u) << c.folderLength;
        if (c.message) {
            EXPECT_EQ(boxes[0].text, c.message);
            EXPECT_EQ(boxes[0].kind, MsgKind::Information);
        }
        // Whatever was left out, every file is extracted.
        EXPECT_TRUE(QFile::exists(folder + "/longer-name.txt"));
    }
}

namespace {

// Starts a launcher as a desktop does, with "gio launch", and returns what it
// started: the line that the started program appended to $STARTED_LOG.
QString StartedByGio(const QString &gio, const QString &launcher, const QString &log) {
    QFile::remove(log);
    QProcess process;
    process.start(gio, {"launch", launcher});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return "gio failed: " + QString::fromUtf8(process.readAllStandardError());
    // gio returns once the program is spawned, not when it is done.
    QFile file(log);
    for (int waited = 0; waited < 10000; waited += 20) {
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.readAll();
            file.close();
            if (text.endsWith('\n'))
                return QString::fromUtf8(text.chopped(1));
        }
        QThread::msleep(20);
    }
    return "nothing started";
}

} // namespace

TEST_F(CreateGroupTest, EveryLauncherStartsExactlyItsFileThroughGio) {
    const QString gio = QStandardPaths::findExecutable("gio");
    if (gio.isEmpty())
        GTEST_SKIP() << "gio is not installed (scripts/deps.sh installs libglib2.0-bin)";
    // The archive's scripts and the test's own xdg-open, first in PATH, say
    // what they were started for.
    const QByteArray script = "#!/bin/sh\nprintf 'ran %s\\n' \"$0\" >> \"$STARTED_LOG\"\n";
    const QString archive = MakeZip("odd.zip", {{"pct%f.sh", script},
                                                {"run me.sh", script},
                                                {"say \"hi\".txt", "b"},
                                                {"sub/", ""},
                                                {"sub/it's $HOME 100%.txt", "c"},
                                                {"two words.txt", "a"}});
    ASSERT_TRUE(QDir().mkpath(TempPath("bin")));
    QFile opener(TempPath("bin/xdg-open"));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf 'open %s\\n' \"$1\" >> \"$STARTED_LOG\"\n");
    opener.close();
    opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner);
    const EnvGuard path("PATH", TempPath("bin") + ":" + qEnvironmentVariable("PATH"));
    const EnvGuard log("STARTED_LOG", TempPath("started"));
    const EnvGuard data("XDG_DATA_HOME", TempPath("data"));
    const EnvGuard config("XDG_CONFIG_HOME", TempPath("config"));
    desktop_.reset();
    desktop_ = std::make_unique<ProgManDesktop>();
    auto form = NewForm();
    form->OpenZipFile(archive);
    for (const bool storedFolders : {false, true}) {
        form->Settings.ExtractPath = storedFolders;
        const QString folder = TempPath(storedFolders ? "with folders" : "flat, \"quoted\"");
        const QString group = storedFolders ? "Odd 2" : "Odd 1";
        CreateGroup(*form, folder, group);
        const QString sub = storedFolders ? "/sub" : "";
        const struct {
            QString name;
            QString started;
        } launchers[] = {{"pct%f.sh", "ran " + folder + "/pct%f.sh"},
                         {"run me.sh", "ran " + folder + "/run me.sh"},
                         {"say \"hi\".txt", "open " + folder + "/say \"hi\".txt"},
                         // A folder entry opens its folder (the extraction folder, when
                         // the stored folders are not kept) and is named after it.
                         {"sub", "open " + folder + sub},
                         {"it's $HOME 100%.txt", "open " + folder + sub + "/it's $HOME 100%.txt"},
                         {"two words.txt", "open " + folder + "/two words.txt"}};
        int index = 0;
        for (const auto &expected : launchers) {
            const QString launcher = TempPath("data/applications/tarnwick-odd-%1-%2.desktop")
                                         .arg(storedFolders ? 2 : 1)
                                         .arg(index++);
            EXPECT_EQ(StartedByGio(gio, launcher, TempPath("started")), expected.started);
            EXPECT_EQ(platform::testing::DesktopEntryValue(launcher, "Name"), expected.name);
            EXPECT_EQ(platform::testing::ValidatorComplaints(launcher), QString());
        }
    }
    EXPECT_TRUE(desktop_->messages().empty());
}

TEST_F(CreateGroupTest, UnwritableMenuFolderIsReportedOnce) {
    const QString archive = MakeZip("one.zip", {{"a.txt", "a"}, {"b.txt", "b"}});
    QFile blocker(TempPath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const EnvGuard data("XDG_DATA_HOME", TempPath("blocker/data"));
    desktop_.reset();
    desktop_ = std::make_unique<ProgManDesktop>();
    auto form = NewForm();
    form->OpenZipFile(archive);
    desktop_->answerMessage(platform::MsgResult::OK);
    CreateGroup(*form, TempPath("out"), "One");
    const auto boxes = desktop_->messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unable to create group.");
    EXPECT_EQ(boxes[0].kind, MsgKind::Information);
    // The files are extracted all the same.
    EXPECT_TRUE(QFile::exists(TempPath("out/b.txt")));
}
