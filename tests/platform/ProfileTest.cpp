#include "ScopedEnv.h"
#include "platform/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/testing/QtPrinters.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("TARNWICK_WINDIR", QFile::encodeName(windir()));
    }
    void TearDown() override { qunsetenv("TARNWICK_WINDIR"); }

    QString windir() const { return dir.path() + QStringLiteral("/win"); }
    QString iniPath() const { return windir() + QStringLiteral("/TARNWICK.INI"); }

    void writeFile(const QByteArray &content) {
        QDir().mkpath(windir());
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray readFile() const {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static mode_t modeOf(const QString &path) {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        return st.st_mode & 07777;
    }

    QTemporaryDir dir;
};

const char *kSample = "; Tarnwick settings\n"
                      "[Settings]\n"
                      "  CompressionLevel = 9  \n"
                      "Password=\"  secret \"\n"
                      "; a comment = not a key\n"
                      "not a key line\n"
                      "\n"
                      "[settings]\n"
                      "CompressionLevel=1\n"
                      "[Columns]\n"
                      "Name=90\n";

} // namespace

TEST_F(ProfileTest, ReadsSectionsAndKeysWithoutRegardToCase) {
    writeFile(kSample);
    const QString ini = QStringLiteral("TARNWICK.INI");
    // The first of two sections with the same name wins; blanks are trimmed.
    EXPECT_EQ(GetPrivateProfileString("SETTINGS", "compressionlevel", "6", ini), "9");
    EXPECT_EQ(GetPrivateProfileString("Settings", "Password", "", ini), "  secret ");
    EXPECT_EQ(GetPrivateProfileString("columns", "NAME", "0", ini), "90");
    EXPECT_EQ(GetPrivateProfileString("Settings", "; a comment", "none", ini), "none");
    EXPECT_EQ(GetPrivateProfileString("Settings", "Missing", "dflt  ", ini), "dflt");
    EXPECT_EQ(GetPrivateProfileString("Nowhere", "Name", "x", ini), "x");
    EXPECT_EQ(GetPrivateProfileString("Settings", "Name", "x", QStringLiteral("OTHER.INI")), "x");
}

TEST_F(ProfileTest, ReadReturnsAtMost1023Characters) {
    const QByteArray longValue(1500, 'v');
    writeFile("[S]\nK=" + longValue + "\n");
    EXPECT_EQ(GetPrivateProfileString("S", "K", "", "TARNWICK.INI").size(), 1023);
    EXPECT_EQ(GetPrivateProfileString("S", "None", QString(2000, u'd'), "TARNWICK.INI").size(),
              1023);
}

TEST_F(ProfileTest, WriteChangesOneLineAndKeepsTheRest) {
    writeFile(kSample);
    ASSERT_TRUE(WritePrivateProfileString("SETTINGS", "compressionlevel", "3", "TARNWICK.INI"));
    ASSERT_TRUE(WritePrivateProfileString("Settings", "OnTop", "1", "TARNWICK.INI"));
    ASSERT_TRUE(WritePrivateProfileString("Screens", "MainFormFm", "0,1", "TARNWICK.INI"));
    EXPECT_EQ(readFile(), QByteArray("; Tarnwick settings\n"
                                     "[Settings]\n"
                                     "CompressionLevel=3\n"
                                     "Password=\"  secret \"\n"
                                     "; a comment = not a key\n"
                                     "not a key line\n"
                                     "OnTop=1\n"
                                     "\n"
                                     "[settings]\n"
                                     "CompressionLevel=1\n"
                                     "[Columns]\n"
                                     "Name=90\n"
                                     "\n"
                                     "[Screens]\n"
                                     "MainFormFm=0,1\n"));
}

TEST_F(ProfileTest, WriteKeepsWindowsLineEndsAndRemovesKeysAndSections) {
    writeFile("[A]\r\nX=1\r\nY=2\r\n[B]\r\nZ=3\r\n");
    ASSERT_TRUE(WritePrivateProfileString("a", "x", QString(), "TARNWICK.INI"));
    ASSERT_TRUE(WritePrivateProfileString("b", QString(), QString(), "TARNWICK.INI"));
    ASSERT_TRUE(WritePrivateProfileString("A", "Y", "line1\nline2", "TARNWICK.INI"));
    EXPECT_EQ(readFile(), QByteArray("[A]\r\nY=line1 line2\r\n"));
}

TEST_F(ProfileTest, FirstWriteCreatesOwnerOnlyFolderAndFile) {
    ASSERT_FALSE(QFile::exists(windir()));
    ASSERT_TRUE(WritePrivateProfileString("Settings", "Password", "pw", "TARNWICK.INI"));
    EXPECT_EQ(readFile(), QByteArray("[Settings]\nPassword=pw\n"));
    EXPECT_EQ(modeOf(windir()), mode_t(0700));
    EXPECT_EQ(modeOf(iniPath()), mode_t(0600));
    EXPECT_EQ(LastProfileError(), 0);

    // A file someone made readable by all is narrowed again by the next write.
    ::chmod(QFile::encodeName(iniPath()).constData(), 0644);
    ASSERT_TRUE(WritePrivateProfileString("Settings", "Password", "pw2", "TARNWICK.INI"));
    EXPECT_EQ(modeOf(iniPath()), mode_t(0600));
    EXPECT_EQ(GetPrivateProfileString("Settings", "Password", "", "TARNWICK.INI"), "pw2");
}

TEST_F(ProfileTest, BareNamesResolveInTheConfigurationFolder) {
    EXPECT_EQ(ResolveProfilePath("TARNWICK.INI"), iniPath());
    EXPECT_EQ(ResolveProfilePath("/etc/x.ini"), "/etc/x.ini");
    qunsetenv("TARNWICK_WINDIR");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + QStringLiteral("/xdg")));
        EXPECT_EQ(WindowsDirectory(), dir.path() + QStringLiteral("/xdg/tarnwick"));
    }
    ScopedEnv noXdg("XDG_CONFIG_HOME", QByteArray());
    EXPECT_EQ(WindowsDirectory(), QDir::homePath() + QStringLiteral("/.config/tarnwick"));
}

TEST_F(ProfileTest, FailedWritesAreReported) {
    // The configuration folder cannot be created below a regular file.
    writeFile("");
    qputenv("TARNWICK_WINDIR", QFile::encodeName(iniPath() + QStringLiteral("/sub")));
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "V", "TARNWICK.INI"));
    EXPECT_EQ(LastProfileError(), ENOTDIR);

    // A full path into a missing folder is not created.
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "V", dir.path() + "/missing/T.INI"));
    EXPECT_EQ(LastProfileError(), ENOENT);

    // A folder nobody can create files in, not even root.
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "V", "/proc/TARNWICK.INI"));
    EXPECT_NE(LastProfileError(), 0);
    EXPECT_FALSE(QFile::exists("/proc/TARNWICK.INI"));

    if (::geteuid() != 0) { // root writes anywhere else
        const QString locked = dir.path() + QStringLiteral("/locked");
        QDir().mkpath(locked);
        ::chmod(QFile::encodeName(locked).constData(), 0500);
        EXPECT_FALSE(WritePrivateProfileString("S", "K", "V", locked + "/T.INI"));
        EXPECT_EQ(LastProfileError(), EACCES);
        ::chmod(QFile::encodeName(locked).constData(), 0700);
    }
}
