// The desktop trash without its folders: where the file goes, or why not.
#include "platform/Trash.h"
#include "ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

int ModeOf(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

} // namespace

TEST(TrashTest, HomeTrashIsCreatedPrivatelyWithItsParentsOrTheFailureIsTold) {
    struct Case {
        const char *name;
        const char *dataHome; // below the test folder
        bool makeData;        // the data folder exists, without a Trash folder
        const char *error;    // empty: moved
    };
    const Case cases[] = {
        {"no Trash folder", "data", true, ""},
        {"no data folder at all", "home/.local/share", false, ""},
        {"data folder under a file", "plain/share", false, "Not a directory"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QString data = root.filePath(QString::fromLatin1(c.dataHome));
        if (c.makeData) {
            ASSERT_TRUE(QDir().mkpath(data));
        }
        QFile plain(root.filePath(QStringLiteral("plain")));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString archive = root.filePath(QStringLiteral("work/a.zip"));
        ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("work"))));
        QFile file(archive);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("PK\x05\x06");
        file.close();
        // The trash call once fell back to the current folder: run from there.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(root.filePath(QStringLiteral("work")));
        const ScopedEnv env("XDG_DATA_HOME", QFile::encodeName(data));

        const platform::TrashResult result = platform::MoveToDesktopTrash(archive);
        QDir::setCurrent(previous);
        const QString trash = data + QStringLiteral("/Trash");
        EXPECT_EQ(platform::HomeTrashFolder(), trash);
        EXPECT_EQ(result.error, QString::fromLatin1(c.error));
        EXPECT_EQ(result.moved, *c.error == '\0');
        EXPECT_EQ(QFileInfo::exists(archive), !result.moved);
        EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("work/files"))));
        EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("work/info"))));
        if (!result.moved)
            continue;
        EXPECT_EQ(result.pathInTrash, trash + QStringLiteral("/files/a.zip"));
        EXPECT_TRUE(QFileInfo::exists(trash + QStringLiteral("/files/a.zip")));
        EXPECT_TRUE(QFileInfo::exists(trash + QStringLiteral("/info/a.zip.trashinfo")));
        EXPECT_EQ(ModeOf(trash), 0700);
        if (!c.makeData) {
            EXPECT_EQ(ModeOf(data), 0700);
        }
    }
}
