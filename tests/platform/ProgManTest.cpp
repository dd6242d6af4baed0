#include "platform/ProgMan.h"
#include "ScopedEnv.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform::progman;

namespace {

QString ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
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
    const QString second = ReadAll(server.launcherFile(1));
    EXPECT_TRUE(second.contains("Exec=/usr/bin/env FOO=1\n")) << second.toStdString();
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
