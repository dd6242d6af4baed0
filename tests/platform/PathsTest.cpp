#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
