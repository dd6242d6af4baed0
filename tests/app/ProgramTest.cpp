// The built program as a user starts it, and the window's placement across
// two runs.
#include "AppTestSupport.h"

#include "MainForm.h"
#include "ProgramEnvironment.h"
#include "platform/PrivateProfile.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

class ProgramTest : public AppTest {};

TEST_F(ProgramTest, StartsOffscreenWithAnArchiveListsItAndQuits) {
    const QString archive =
        MakeZip(QStringLiteral("smoke test.zip"), {{QStringLiteral("hello.txt"), "hello"}});
    QProcess program;
    QProcessEnvironment environment = ProgramEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TARNWICK_WINDIR"), TempPath(QStringLiteral("windir")));
    environment.insert(QStringLiteral("TARNWICK_QUIT_AFTER_MS"), QStringLiteral("300"));
    environment.insert(QStringLiteral("TARNWICK_GRAB_PNG"), TempPath(QStringLiteral("grab.png")));
    environment.insert(QStringLiteral("TARNWICK_QUIT_REPORT"), TempPath(QStringLiteral("report")));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TARNWICK_BIN_DIR "/tarnwick"), {archive});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    QFile report(TempPath(QStringLiteral("report")));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(report.readAll()),
              QStringLiteral("smoke test.zip - Tarnwick for Windows 95\n"
                             "1 Entries, 5 Bytes, 7 Bytes.\n"));
    // Closing saved the settings and the placement.
    EXPECT_TRUE(IniText().contains(QStringLiteral("CompressionLevel=6")));
    EXPECT_TRUE(IniText().contains(QStringLiteral("MainFormFm=")));
    EXPECT_TRUE(QFile::exists(TempPath(QStringLiteral("grab.png"))));
}

TEST_F(ProgramTest, RunsNamedCommandsAnsweringEveryQuestionAndReportsThem) {
    const QString archive = MakeZip(QStringLiteral("two.zip"), {{QStringLiteral("a.txt"), "a"},
                                                                {QStringLiteral("d/b.txt"), "bb"}});
    const QString out = TempPath(QStringLiteral("out"));
    QProcess program;
    QProcessEnvironment environment = ProgramEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TARNWICK_WINDIR"), TempPath(QStringLiteral("windir")));
    environment.insert(QStringLiteral("TARNWICK_QUIT_AFTER_MS"), QStringLiteral("0"));
    environment.insert(QStringLiteral("TARNWICK_QUIT_REPORT"), TempPath(QStringLiteral("report")));
    environment.insert(QStringLiteral("TARNWICK_RUN_COMMANDS"),
                       QStringLiteral("key:End,EditSelectAllMn,EditExtractMn"));
    environment.insert(QStringLiteral("TARNWICK_ANSWER_PATH"), out);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TARNWICK_BIN_DIR "/tarnwick"), {archive});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    QFile report(TempPath(QStringLiteral("report")));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(report.readAll()).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 8);
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("key:End ")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("EditSelectAllMn ")));
    // The Extract question, then the one about the missing folder.
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("box: You are about to Extract")));
    EXPECT_EQ(lines[5], QStringLiteral("box: The specified directory does not exist. Create it?"));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("EditExtractMn ")));
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/a.txt")));
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/b.txt")));
}

TEST_F(ProgramTest, PlacementRoundTripAndTheFortyCharacterLine) {
    QRect saved;
    {
        auto form = NewForm();
        form->setGeometry(120, 90, 610, 420);
        QTest::qWait(20);
        saved = form->geometry();
    }
    const QString line =
        platform::GetPrivateProfileString(QStringLiteral("Screens"), QStringLiteral("MainFormFm"),
                                          QString(), QStringLiteral("TARNWICK.INI"));
    EXPECT_FALSE(line.isEmpty());
    EXPECT_LE(line.size(), 40);
    auto form = NewForm();
    QTest::qWait(20);
    EXPECT_EQ(form->size(), saved.size());
}
