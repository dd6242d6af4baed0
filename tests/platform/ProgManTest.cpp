#include "platform/ProgMan.h"
#include "ScopedEnv.h"
#include "platform/testing/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform::progman;
using platform::testing::ExecArguments;

namespace {

QString ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString ExecValue(const QString &launcher) {
    return platform::testing::DesktopEntryValue(launcher, QStringLiteral("Exec"));
}

} // namespace

TEST(ProgManTest, ParsesCommandLists) {
    const auto commands =
        ParseCommands("[CreateGroup(My Tools)]\r\n[AddItem(\"/x/a, b.txt\",a, b.txt)]");
    ASSERT_TRUE(commands);
    ASSERT_EQ(commands->size(), 2u);
    EXPECT_EQ((*commands)[0].name, "CreateGroup");
    EXPECT_EQ((*commands)[0].args, QStringList{"My Tools"});
    EXPECT_EQ((*commands)[1].args, QStringList({"\"/x/a, b.txt\"", "a", "b.txt"}));
    EXPECT_FALSE(ParseCommands("CreateGroup(x)"));
    EXPECT_FALSE(ParseCommands("[CreateGroup(x)"));
    EXPECT_EQ(ParseCommands("  ")->size(), 0u);
    EXPECT_EQ(GroupId("My Tools!"), "my-tools");
    EXPECT_EQ(GroupId("***"), "group");
}

TEST(ProgManTest, GroupAndItemsBecomeMenuFiles) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString doc = root.path() + QStringLiteral("/files/read me.txt");
    QDir().mkpath(root.path() + QStringLiteral("/files"));
    QFile(doc).open(QIODevice::WriteOnly);

    Server server(root.path() + "/data", root.path() + "/config");
    ASSERT_TRUE(server.execute("[CreateGroup(My Tools)]\r\n"));
    ASSERT_TRUE(server.execute("[AddItem(\"" + doc + "\",read me.txt)]\r\n"));
    ASSERT_TRUE(server.execute("[AddItem(/usr/bin/env FOO=1,Env)]\r\n"));

    EXPECT_EQ(ReadAll(root.path() + "/data/desktop-directories/tarnwick-my-tools.directory"),
              "[Desktop Entry]\nType=Directory\nName=My Tools\n");
    const QString first = ReadAll(root.path() + "/data/applications/tarnwick-my-tools-0.desktop");
    EXPECT_TRUE(first.contains("Name=read me.txt\n"));
    EXPECT_TRUE(first.contains("Exec=xdg-open \"" + doc + "\"\n")) << first.toStdString();
    // A command line is one file, never a program with arguments.
    EXPECT_EQ(ExecArguments(ExecValue(server.launcherFile(1))),
              QStringList({"xdg-open", "/usr/bin/env FOO=1"}));
    const QString menu =
        ReadAll(root.path() + "/config/menus/applications-merged/tarnwick-my-tools.menu");
    EXPECT_TRUE(menu.contains("<Name>My Tools</Name>"));
    EXPECT_TRUE(menu.contains("<Directory>tarnwick-my-tools.directory</Directory>"));
    EXPECT_TRUE(menu.contains("<Filename>tarnwick-my-tools-0.desktop</Filename>"));
    EXPECT_TRUE(menu.contains("<Filename>tarnwick-my-tools-1.desktop</Filename>"));

    // Reopening the group keeps its items and adds after them.
    Server again(root.path() + "/data", root.path() + "/config");
    ASSERT_TRUE(again.execute("[CreateGroup(My Tools)][AddItem(/bin/true,True)]"));
    EXPECT_TRUE(QFile::exists(again.launcherFile(2)));
    EXPECT_FALSE(again.execute("[AddItem(x)]junk"));
    EXPECT_FALSE(Server(root.path(), root.path()).execute("[AddItem(/bin/true,No group)]"));
}

TEST(ProgManTest, NoServerAnswersWhenTheFoldersCannotBeWritten) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString file = root.path() + QStringLiteral("/plain");
    QFile(file).open(QIODevice::WriteOnly);
    {
        ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(file + "/data"));
        ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(root.path() + "/config"));
        EXPECT_EQ(Server::connect(), nullptr);
    }
    ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(root.path() + "/data"));
    ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(root.path() + "/config"));
    EXPECT_NE(Server::connect(), nullptr);
}

TEST(ProgManTest, LaunchersNameExactlyTheirFile) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = root.path() + QStringLiteral("/it's a \"dir\", $HOME");
    ASSERT_TRUE(QDir().mkpath(folder));
    Server server(root.path() + "/data", root.path() + "/config");
    ASSERT_TRUE(server.execute("[CreateGroup(Odd, names)]"));
    EXPECT_EQ(server.groupName(), "Odd, names");
    const char *const names[] = {
        "plain.txt",          "two words.txt",   "say \"hi\".txt", "100%.txt",
        "$(touch x);`id`.sh", "back\\slash.txt", "a,b).txt",       "run me"};
    int index = 0;
    for (const char *name : names) {
        const QString file = folder + u'/' + QString::fromUtf8(name);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (QString::fromUtf8(name) == "run me")
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        f.close();
        for (const bool quoted : {true, false}) {
            const QString line = quoted ? u'"' + file + u'"' : file;
            ASSERT_TRUE(
                server.execute("[AddItem(" + line + "," + QString::fromUtf8(name) + ")]\r\n"))
                << name;
            const QString launcher = server.launcherFile(index++);
            const QStringList expected = QString::fromUtf8(name) == "run me"
                                             ? QStringList{file}
                                             : QStringList{"xdg-open", file};
            EXPECT_EQ(ExecArguments(ExecValue(launcher)), expected) << name;
            EXPECT_TRUE(ReadAll(launcher).contains(
                "\nName=" + QString::fromUtf8(name).replace("\\", "\\\\") + "\n"))
                << ReadAll(launcher).toStdString();
            EXPECT_EQ(platform::testing::ValidatorComplaints(launcher), QString());
        }
    }
    // A command cut short of its closing quote still names the file.
    EXPECT_EQ(LauncherTarget("\"" + folder + "/plain.txt"), folder + "/plain.txt");
    EXPECT_EQ(SplitAddItem("\"/x/a,b.txt\",a,b.txt"),
              std::make_pair(QString("\"/x/a,b.txt\""), QString("a,b.txt")));
}
