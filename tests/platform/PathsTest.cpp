#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace platform;

TEST(PathsTest, TempPathEndsWithOneSlash) {
    EXPECT_TRUE(TempPath().endsWith(u'/'));
    EXPECT_FALSE(TempPath().endsWith(QStringLiteral("//")));
    EXPECT_EQ(QDir::cleanPath(TempPath()), QDir::cleanPath(QDir::tempPath()));
}

TEST(PathsTest, FilesBesideTheProgramComeFromItsFolderThenShare) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.path() + QStringLiteral("/bin");
    const QString share = root.path() + QStringLiteral("/share/tarnwick");
    QDir().mkpath(bin);
    QDir().mkpath(share);
    QFile(share + QStringLiteral("/Tarnwick.hlp")).open(QIODevice::WriteOnly);
    QFile(share + QStringLiteral("/README.TXT")).open(QIODevice::WriteOnly);
    QFile(bin + QStringLiteral("/README.TXT")).open(QIODevice::WriteOnly);
    qputenv("TARNWICK_PROGRAM_DIR", QFile::encodeName(bin));

    EXPECT_EQ(ProgramFolder(), bin);
    EXPECT_EQ(FindBesideProgram("README.TXT"), bin + "/README.TXT");
    EXPECT_EQ(FindBesideProgram("Tarnwick.hlp"), share + "/Tarnwick.hlp");
    EXPECT_EQ(FindBesideProgram("README.DOC"), bin + "/README.DOC");
    qunsetenv("TARNWICK_PROGRAM_DIR");
    EXPECT_FALSE(ProgramFolder().isEmpty());
}

TEST(PathsTest, SameFileThroughSpellingsAndLinks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.path() + QStringLiteral("/a.zip");
    const QString other = dir.path() + QStringLiteral("/b.zip");
    for (const QString &path : {file, other}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("same bytes");
    }
    ASSERT_TRUE(QFile::link(file, dir.path() + QStringLiteral("/symbolic.zip")));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(),
                     QFile::encodeName(dir.path() + QStringLiteral("/hard.zip")).constData()),
              0);
    const struct {
        const char *second;
        bool same;
    } rows[] = {
        {"/a.zip", true},    {"/./a.zip", true}, {"/symbolic.zip", true},
        {"/hard.zip", true}, {"/b.zip", false},  {"/missing.zip", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.second);
        EXPECT_EQ(IsSameFile(file, dir.path() + QLatin1String(row.second)), row.same);
    }
}
