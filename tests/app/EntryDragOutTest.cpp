// Entries dragged out of the built program's contents list with the mouse
// (xdotool) onto another program's window, on an X server of the test's
// own: the XDND exchange a file manager sees.
#include "AppTestSupport.h"
#include "FilesLbDelegate.h"
#include "XDisplay.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// The main window's fixed layout below its menu bar: the banner panel,
// the toolbar panel and the header, then the rows of the contents list.
constexpr int ClientHeight = 283;
constexpr int ListTop = 67 + 45 + 17;

class XProgram {
public:
    XProgram(const QString &display, const QString &program, const QStringList &arguments,
             const QString &tempFolder = QString()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (!tempFolder.isEmpty())
            environment.insert(QStringLiteral("TMPDIR"), tempFolder);
        process_.setProcessEnvironment(environment);
        process_.start(program, arguments);
    }
    ~XProgram() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(5000);
        }
    }
    // Waits for a line of its standard output; false when it did not come.
    bool waitForLine(const QByteArray &line, int milliseconds = 20000) {
        QElapsedTimer clock;
        clock.start();
        while (!output_.split('\n').contains(line) && clock.elapsed() < milliseconds &&
               process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(100);
            output_ += process_.readAllStandardOutput();
        }
        output_ += process_.readAllStandardOutput();
        return output_.split('\n').contains(line);
    }
    QProcess &process() { return process_; }

private:
    QProcess process_;
    QByteArray output_;
};

QString XDoTool(const QString &display, const QStringList &arguments) {
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(10000);
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

// The drag folders made below the instances' view folders in the private
// folder in `tempFolder`.
QStringList DragFoldersIn(const QString &tempFolder) {
    const QString base = tempFolder + QStringLiteral("/tarnwick-") + QString::number(::geteuid());
    QStringList folders;
    for (const QString &view : QDir(base).entryList({QStringLiteral("view-*")}, QDir::Dirs)) {
        for (const QString &drag :
             QDir(base + QLatin1Char('/') + view).entryList({QStringLiteral("drag-*")}, QDir::Dirs))
            folders << view + QLatin1Char('/') + drag;
    }
    return folders;
}

QByteArray Bytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class EntryDragOutTest : public AppTest {};

TEST_F(EntryDragOutTest, TwoRowsAndAFolderRowArriveAtAnotherProgram) {
    XDisplay display;
    QString why;
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "xdotool is not installed (scripts/deps.sh)";
    if (!display.start(false, temp_.path(), why))
        GTEST_SKIP() << why.toStdString();
    const QString x = display.name();
    const QString archive =
        MakeZip(QStringLiteral("drag.zip"), {{QStringLiteral("a.txt"), "A-bytes"},
                                             {QStringLiteral("b.txt"), "B-bytes"},
                                             {QStringLiteral("docs/"), ""},
                                             {QStringLiteral("docs/c.txt"), "C-bytes"},
                                             {QStringLiteral("docs/sub/d.txt"), "D-bytes"},
                                             {QStringLiteral("z.txt"), "Z-bytes"}});
    const QByteArray archiveBytes = Bytes(archive);
    const QString dropped = TempPath(QStringLiteral("dropped"));
    const QString tempFolder = TempPath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(dropped) && QDir().mkpath(tempFolder));

    XProgram target(x, QStringLiteral(TARNWICK_DROP_TARGET),
                    {QStringLiteral("700"), QStringLiteral("100"), dropped});
    ASSERT_TRUE(target.waitForLine("shown")) << "the drop target did not come up";
    XProgram program(x, QStringLiteral(TARNWICK_BIN_DIR "/tarnwick"), {archive}, tempFolder);
    QString window;
    for (int tries = 0; window.isEmpty() && tries < 200; ++tries) {
        window =
            XDoTool(x, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--pid"), QString::number(program.process().processId())})
                .trimmed();
        if (window.isEmpty())
            QThread::msleep(100);
    }
    ASSERT_FALSE(window.isEmpty()) << "the program's window did not show";
    // Shown with its designed size, the window's height beyond the client
    // area is its menu bar.
    int left = 0, top = 0, height = 0;
    for (const QString &line :
         XDoTool(x, {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window})
             .split(QLatin1Char('\n'))) {
        const QStringList pair = line.split(QLatin1Char('='));
        if (pair.size() == 2 && pair[0] == QLatin1String("X"))
            left = pair[1].toInt();
        else if (pair.size() == 2 && pair[0] == QLatin1String("Y"))
            top = pair[1].toInt();
        else if (pair.size() == 2 && pair[0] == QLatin1String("HEIGHT"))
            height = pair[1].toInt();
    }
    ASSERT_GT(height, ClientHeight);
    const int rowX = left + 40;
    const auto rowY = [&](int row) {
        return top + height - ClientHeight + ListTop + row * TFilesLbDelegate::RowHeight +
               TFilesLbDelegate::RowHeight / 2;
    };
    const auto move = [&](int toX, int toY) {
        XDoTool(x, {QStringLiteral("mousemove"), QString::number(toX), QString::number(toY)});
        QThread::msleep(30);
    };
    const auto dragFromFirstRow = [&](int toX, int toY) {
        move(rowX, rowY(0));
        XDoTool(x, {QStringLiteral("mousedown"), QStringLiteral("1")});
        for (int step = 1; step <= 10; ++step)
            move(rowX + (toX - rowX) * step / 10, rowY(0) + (toY - rowY(0)) * step / 10);
    };

    // Rows a.txt, b.txt and docs/ of a.txt, b.txt, docs/, docs/c.txt,
    // docs/sub/d.txt, z.txt.
    XDoTool(x, {"mousemove", QString::number(rowX), QString::number(rowY(0)), "click", "1",
                "keydown", "ctrl", "mousemove", QString::number(rowX), QString::number(rowY(1)),
                "click", "1", "mousemove", QString::number(rowX), QString::number(rowY(2)), "click",
                "1", "keyup", "ctrl"});

    // Dropped on the program's own banner: nothing is added, and what the
    // drag extracted goes again.
    dragFromFirstRow(left + 300, top + height - ClientHeight + 30);
    XDoTool(x, {QStringLiteral("mouseup"), QStringLiteral("1")});
    for (int tries = 0; !DragFoldersIn(tempFolder).isEmpty() && tries < 50; ++tries)
        QThread::msleep(100);
    EXPECT_TRUE(DragFoldersIn(tempFolder).isEmpty());

    dragFromFirstRow(850, 250);
    ASSERT_TRUE(target.waitForLine("enter")) << "the drag did not reach the drop target";
    move(860, 260);
    // Extracted before the drop, so that the target's request on the drop
    // is answered at once.
    EXPECT_EQ(DragFoldersIn(tempFolder).size(), 1);
    XDoTool(x, {QStringLiteral("mouseup"), QStringLiteral("1")});
    ASSERT_TRUE(target.waitForLine("dropped 3")) << "the drop brought no files";
    EXPECT_TRUE(target.process().waitForFinished(10000));

    // Entries with their bytes; the folder row brought what lies below it.
    const QMap<QString, QByteArray> expected = {{QStringLiteral("a.txt"), "A-bytes"},
                                                {QStringLiteral("b.txt"), "B-bytes"},
                                                {QStringLiteral("docs/c.txt"), "C-bytes"},
                                                {QStringLiteral("docs/sub/d.txt"), "D-bytes"}};
    QStringList files;
    QDirIterator all(dropped, QDir::Files, QDirIterator::Subdirectories);
    while (all.hasNext())
        files << all.next().mid(dropped.size() + 1);
    files.sort();
    EXPECT_EQ(files, expected.keys());
    for (auto entry = expected.begin(); entry != expected.end(); ++entry)
        EXPECT_EQ(Bytes(dropped + u'/' + entry.key()), entry.value()) << entry.key().toStdString();
    EXPECT_EQ(DragFoldersIn(tempFolder).size(), 1);
    EXPECT_EQ(Bytes(archive), archiveBytes);
}
