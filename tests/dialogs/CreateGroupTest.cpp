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
        form->MainZip.ZipFileName = QString::fromUtf8(c.archive);
        form->Settings.DefaultExtractPath = QString::fromUtf8(c.defaultPath);
        TFrmCreateGroup dialog(*form);
        EXPECT_EQ(dialog.windowTitle(), "Create Program Group");
        EXPECT_EQ(dialog.findChild<QLineEdit *>("Edit1")->text(), c.folder) << c.archive;
        EXPECT_EQ(dialog.findChild<QLineEdit *>("Edit2")->text(), c.group) << c.archive;
    }
    form->MainZip.ZipFileName.clear();
}

TEST_F(CreateGroupTest, CommandTexts) {
    using namespace progmangroup;
    EXPECT_EQ(CreateGroupCommand("Tools"), "[CreateGroup(Tools)]\r\n");
    EXPECT_EQ(AddItemCommand("/x", "SUB/PROG.EXE", false),
              "[AddItem(\"/x/PROG.EXE\",PROG.EXE)]\r\n");
    EXPECT_EQ(AddItemCommand("/x", "SUB/PROG.EXE", true),
              "[AddItem(/x/SUB/PROG.EXE,PROG.EXE)]\r\n");
    const QString longName(300, u'n');
    EXPECT_EQ(CreateGroupCommand(longName).size(), CommandLimit);
    EXPECT_EQ(AddItemCommand("/x", longName, true).size(), CommandLimit);
}

TEST_F(CreateGroupTest, ExtractsEverythingAndSendsOneItemPerEntry) {
    auto form = NewForm();
    for (const int entries : {3, 60}) {
        const QString archive = MakeZipOfCount(QStringLiteral("n%1.zip").arg(entries), entries);
        form->OpenZipFile(archive);
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

TEST_F(CreateGroupTest, LaunchersOpenExactlyTheExtractedFiles) {
    const QString archive = MakeZip(
        "odd.zip",
        {{"two words.txt", "a"}, {"say \"hi\".txt", "b"}, {"sub/it's $HOME 100%.txt", "c"}});
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
        platform::progman::Server server(TempPath("data"), TempPath("config"));
        ASSERT_TRUE(server.execute("[CreateGroup(" + group + ")]"));
        const QString menu = server.menuFile();
        EXPECT_TRUE(QFile::exists(menu)) << menu.toStdString();
        EXPECT_TRUE(QFile::exists(server.directoryFile()));
        QStringList opened;
        for (int i = 0; i < 3; ++i) {
            const QString launcher = TempPath("data/applications/tarnwick-odd-%1-%2.desktop")
                                         .arg(storedFolders ? 2 : 1)
                                         .arg(i);
            const QStringList args = platform::testing::ExecArguments(
                platform::testing::DesktopEntryValue(launcher, "Exec"));
            ASSERT_EQ(args.size(), 2) << launcher.toStdString();
            EXPECT_EQ(args[0], "xdg-open");
            EXPECT_TRUE(QFileInfo(args[1]).isFile()) << args[1].toStdString();
            opened << QFileInfo(args[1]).canonicalFilePath();
            EXPECT_EQ(platform::testing::ValidatorComplaints(launcher), QString());
        }
        const QString sub = storedFolders ? "/sub/" : "/";
        EXPECT_EQ(opened,
                  QStringList({QFileInfo(folder + "/say \"hi\".txt").canonicalFilePath(),
                               QFileInfo(folder + sub + "it's $HOME 100%.txt").canonicalFilePath(),
                               QFileInfo(folder + "/two words.txt").canonicalFilePath()}));
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
