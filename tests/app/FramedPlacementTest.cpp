// The saved placement of the built program on a real X server, framed by a
// reparenting window manager (openbox) and bare: started and closed again
// without a move, the window saves the line it was restored from.
#include "ProgramEnvironment.h"
#include "XDisplay.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Starts the program on `display` with the INI folder `windir`, lets it come
// up and closes it as a user would; the saved main-window line after.
QString RunAndClose(const QString &display, const QString &windir) {
    QProcess program;
    QProcessEnvironment environment = ProgramEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("TARNWICK_WINDIR"), windir);
    environment.insert(QStringLiteral("TARNWICK_QUIT_AFTER_MS"), QStringLiteral("1000"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TARNWICK_BIN_DIR "/tarnwick"), QStringList());
    if (!program.waitForFinished(60000) || program.exitCode() != 0)
        return QStringLiteral("program failed: ") +
               QString::fromLocal8Bit(program.readAllStandardError());
    QFile ini(windir + QStringLiteral("/TARNWICK.INI"));
    if (!ini.open(QIODevice::ReadOnly))
        return QStringLiteral("no TARNWICK.INI");
    for (const QByteArray &line : ini.readAll().split('\n')) {
        if (line.startsWith("MainFormFm="))
            return QString::fromLatin1(line.mid(11).trimmed());
    }
    return QStringLiteral("no MainFormFm line");
}

} // namespace

TEST(FramedPlacementTest, ThreeStartsAndClosesLeaveTheSavedLineAsItWas) {
    const struct {
        bool windowManager;
        const char *stored;
        const char *saved; // after every run
    } cases[] = {
        {true, "0,1,-1,-1,-1,-1,401,286,878,613", "0,1,-1,-1,-1,-1,401,286,878,613"},
        {false, "0,1,-1,-1,-1,-1,401,286,878,613", "0,1,-1,-1,-1,-1,401,286,878,613"},
        // Its title bar at the top edge stays there.
        {true, "0,1,-1,-1,-1,-1,100,0,577,327", "0,1,-1,-1,-1,-1,100,0,577,327"},
        {true, "0,3,-1,-1,-1,-1,401,286,878,613", "0,3,-1,-1,-1,-1,401,286,878,613"},
        // Off the only screen: brought onto it, then kept.
        {true, "0,1,-1,-1,-1,-1,3000,2000,3477,2327", "0,1,-1,-1,-1,-1,803,573,1280,900"},
    };
    for (const auto &c : cases) {
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        XDisplay display;
        QString why;
        if (!display.start(c.windowManager, folder.path(), why))
            GTEST_SKIP() << why.toStdString();
        const QString windir = folder.path() + QStringLiteral("/windir");
        ASSERT_TRUE(QDir().mkpath(windir));
        QFile ini(windir + QStringLiteral("/TARNWICK.INI"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[Screens]\nMainFormFm=") + c.stored + '\n');
        ini.close();
        for (int run = 1; run <= 3; ++run) {
            EXPECT_EQ(RunAndClose(display.name(), windir).toStdString(), c.saved)
                << "run " << run << " from " << c.stored
                << (c.windowManager ? " under openbox" : " without a window manager");
        }
    }
}
