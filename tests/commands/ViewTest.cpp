// View on real archives: where the copy goes, what is opened and by whom,
// the settings it borrows and gives back, and the double-click actions.
#include "CommandsTest.h"

#include "MainForm.h"
#include "ViewFolder.h"
#include "platform/Paths.h"
#include "platform/testing/QtPrinters.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

using platform::MsgResult;
using Kind = platform::testing::ScriptedDesktop::Kind;

void SelectNames(TMainFormFm &form, const QStringList &names);

class ViewTest : public CommandsTest {
protected:
    std::unique_ptr<TMainFormFm> OpenArchive(const QString &archive, const QString &entry) {
        auto form = NewForm();
        form->OpenZipFile(archive);
        SelectNames(*form, {entry});
        return form;
    }
    QStringList Opened() const {
        QStringList opened;
        for (const auto &request : desktop_->requestsOf(Kind::ShellOpen))
            opened << request.path + QLatin1Char('|') + request.parameter;
        return opened;
    }
};

TEST_F(ViewTest, CopyLandsFlatReplacingLinksAndOpensTwiceWithoutAQuestion) {
    const QString archive = MakeZip(QStringLiteral("v.zip"), {{QStringLiteral("d/s/a.txt"), "A"}});
    auto form = OpenArchive(archive, QStringLiteral("d/s/a.txt"));
    const QString folder = TempPath(QStringLiteral("view"));
    QDir().mkpath(folder);
    form->Settings.TempFolder = folder + QLatin1Char('/');
    form->Settings.ExtractPath = true;
    form->Settings.Overwrite = 2;
    ApplyOverwriteSetting(form->Settings.Overwrite, form->Session().MainZip);
    const QString view = ViewFolderFor(folder, platform::TempPath()).Folder;
    // A link planted where the copy goes must be replaced, never written through.
    const QString victim = WriteFile(QStringLiteral("victim.txt"), "keep");
    const QString target = view + QStringLiteral("/a.txt");
    ASSERT_EQ(
        ::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(target).constData()), 0);

    desktop_->answerShellOpen(42).answerShellOpen(42);
    form->RunItemCommand(QStringLiteral("EditView1"));
    form->RunItemCommand(QStringLiteral("EditView1"));
    EXPECT_TRUE(desktop_->messages().empty());
    EXPECT_EQ(ReadFile(victim), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo(target).isSymLink());
    EXPECT_EQ(ReadFile(target), QByteArray("A"));
    EXPECT_FALSE(QFileInfo::exists(view + QStringLiteral("/d")));
    EXPECT_EQ(Opened(), QStringList({target + '|', target + '|'}));
    EXPECT_EQ(form->TempFileNames(), QStringList({target, target}));
    EXPECT_TRUE(form->Settings.ExtractPath);
    EXPECT_EQ(form->Session().MainZip.Overwrite, zowAsk);

    // Closing deletes the copies.
    form->close();
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(ViewTest, FailedOrWarnedExtractionOpensNothingAndGivesTheSettingsBack) {
    // An entry whose recorded CRC no longer matches its data: extracting it
    // skips it with a warning, and the result is a warning too.
    const QString archive =
        MakeZip(QStringLiteral("bad.zip"), {{QStringLiteral("a.txt"), "Hello"}});
    {
        QFile file(archive);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        for (const qsizetype crc : {qsizetype(14), bytes.indexOf("PK\x01\x02") + 16})
            bytes[crc] = static_cast<char>(bytes[crc] ^ 0x01);
        file.seek(0);
        file.write(bytes);
    }
    auto form = OpenArchive(archive, QStringLiteral("a.txt"));
    form->Settings.TempFolder = TempPath(QString());
    form->Settings.ExtractPath = true;
    form->Settings.Overwrite = 0;
    ApplyOverwriteSetting(form->Settings.Overwrite, form->Session().MainZip);
    desktop_->answerMessage(MsgResult::OK).answerMessage(MsgResult::OK);
    form->RunItemCommand(QStringLiteral("EditView1"));
    ASSERT_EQ(desktop_->messages().size(), 2u);
    EXPECT_EQ(desktop_->messages()[0].text,
              QStringLiteral("Skipping \"a.txt\", CRC does not check out."));
    EXPECT_EQ(desktop_->messages()[1].text,
              QStringLiteral("Some files were skipped while extracting."));
    EXPECT_TRUE(Opened().isEmpty());

    // The archive is gone: an error, and again nothing opened.
    desktop_->clear();
    QFile::remove(archive);
    desktop_->answerMessage(MsgResult::OK);
    form->RunItemCommand(QStringLiteral("EditView1"));
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text, QStringLiteral("Could not find the archive file."));
    EXPECT_TRUE(Opened().isEmpty());
    EXPECT_TRUE(form->TempFileNames().isEmpty());
    EXPECT_TRUE(form->Settings.ExtractPath);
    EXPECT_EQ(form->Session().MainZip.Overwrite, zowNever);
}

TEST_F(ViewTest, TextEditorWhenTheShellFailsAndAPrivateFolderInTheSharedOne) {
    const QString shared = TempPath(QStringLiteral("shared"));
    QDir().mkpath(shared);
    qputenv("TMPDIR", QFile::encodeName(shared));
    const QString archive = MakeZip(QStringLiteral("v.zip"), {{QStringLiteral("a.xyz"), "A"}});
    auto form = OpenArchive(archive, QStringLiteral("a.xyz"));
    form->Settings.TempFolder = shared; // as the settings read it: no trailing "/"
    const QString own = shared + QStringLiteral("/tarnwick-") + QString::number(::geteuid());
    const QString target = ViewFolderFor(shared, shared).Folder + QStringLiteral("/a.xyz");

    desktop_->answerShellOpen(31).answerShellOpen(42);
    form->RunItemCommand(QStringLiteral("EditView1"));
    EXPECT_EQ(Opened(), QStringList({target + '|', "notepad.exe|" + target}));
    EXPECT_EQ(ReadFile(target), QByteArray("A"));
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(own).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(form->TempFileNames(), QStringList({target}));

    // Something else of that name is refused, before any extraction.
    ASSERT_TRUE(QDir(own).removeRecursively());
    ASSERT_EQ(::symlink(QFile::encodeName(TempPath(QString())).constData(),
                        QFile::encodeName(own).constData()),
              0);
    desktop_->clear();
    desktop_->answerMessage(MsgResult::OK);
    form->RunItemCommand(QStringLiteral("EditView1"));
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text, QStringLiteral("The folder ") + own +
                                                QStringLiteral(" is not a private folder of this "
                                                               "user."));
    EXPECT_FALSE(QFileInfo::exists(TempPath(QStringLiteral("a.xyz"))));
    qunsetenv("TMPDIR");
}

TEST_F(ViewTest, OnlySharedTemporaryFolderGetsAPrivateSubfolderNarrowedToTheUser) {
    const QString shared = TempPath(QStringLiteral("tmp"));
    const QString own = shared + QStringLiteral("/tarnwick-") + QString::number(::geteuid());
    QDir().mkpath(own);
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0755), 0);
    EXPECT_EQ(ViewBaseFor(QStringLiteral("/home/u/v/"), shared + '/').Folder, "/home/u/v");
    EXPECT_EQ(ViewBaseFor(shared + '/', shared + '/').Folder, own);
    EXPECT_EQ(QFileInfo(own).permissions() & QFileDevice::ReadOther, 0);
    if (::geteuid() == 0) { // a folder of someone else
        ASSERT_EQ(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
        EXPECT_FALSE(PrivateFolder(own).Error.isEmpty());
    }
}

TEST_F(ViewTest, EachInstanceViewsIntoAFreshFolderOfItsOwnAndStaleOnesGoAtStart) {
    const QString base = TempPath(QStringLiteral("base"));
    // What instances left in the base, by whether their lock is held now.
    struct Left {
        const char *name;
        bool lockFile;
        bool held;
        bool stays;
    };
    const Left left[] = {
        {"view-1-aaaaaa", true, false, false},  // its instance ended
        {"view-2-bbbbbb", false, false, false}, // a removal stopped half way
        {"view-3-cccccc", true, true, true},    // its instance runs
        {"mine", false, false, true},           // no instance's folder
    };
    std::vector<int> locks;
    for (const Left &l : left) {
        const QString folder = base + QLatin1Char('/') + QLatin1String(l.name);
        QDir().mkpath(folder);
        WriteFile(QStringLiteral("copy.txt"), "decrypted");
        QFile::rename(TempPath(QStringLiteral("copy.txt")), folder + QStringLiteral("/copy.txt"));
        if (l.lockFile) {
            locks.push_back(::open(QFile::encodeName(folder + QStringLiteral("/.lock")).constData(),
                                   O_RDWR | O_CREAT, 0600));
            if (l.held) {
                ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
            }
        }
    }
    WriteIni(QStringLiteral("[Settings]\nTempFolder=") + base + QLatin1Char('\n'));
    auto form = NewForm();
    QTest::qWait(10);
    for (const Left &l : left) {
        EXPECT_EQ(QFileInfo::exists(base + QLatin1Char('/') + QLatin1String(l.name) +
                                    QStringLiteral("/copy.txt")),
                  l.stays)
            << l.name;
    }
    for (const int lock : locks)
        ::close(lock);

    const QString view = ViewFolderFor(base, platform::TempPath()).Folder;
    EXPECT_EQ(QFileInfo(view).absolutePath(), base);
    EXPECT_TRUE(QFileInfo(view).fileName().startsWith(
        QStringLiteral("view-") + QString::number(::getpid()) + QLatin1Char('-')));
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(view).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(ViewFolderFor(base, platform::TempPath()).Folder, view);
    // Held while the instance runs: no other instance takes it for stale.
    RemoveStaleViewFolders(base);
    EXPECT_TRUE(QFileInfo::exists(view));
}

TEST_F(ViewTest, DoubleClickRunsTheCommandOfMouseAction) {
    const QString archive = MakeZip(QStringLiteral("m.zip"), {{QStringLiteral("a.txt"), "A"}});
    auto form = OpenArchive(archive, QStringLiteral("a.txt"));
    form->Settings.TempFolder = TempPath(QString());
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    const QPoint row = list->visualRect(list->model()->index(0, 0)).center();
    struct Case {
        int action;
        Kind first; // the first thing the command asks of the desktop
        const char *startOfText;
    };
    const Case cases[] = {{0, Kind::ShellOpen, ""},
                          {1, Kind::Message, "You are about to Extract"},
                          {2, Kind::Message, "You have chosen to Remove"},
                          {3, Kind::Help, ""}};
    for (const Case &c : cases) {
        form->Settings.MouseAction = c.action;
        desktop_->clear();
        if (c.first == Kind::ShellOpen)
            desktop_->answerShellOpen(42);
        else if (c.first == Kind::Message)
            desktop_->answerMessage(MsgResult::No);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        if (c.first == Kind::Help) { // nothing at all
            EXPECT_TRUE(desktop_->requests().empty());
            continue;
        }
        ASSERT_FALSE(desktop_->requests().empty()) << c.action;
        EXPECT_EQ(desktop_->requests()[0].kind, c.first) << c.action;
        if (c.first == Kind::Message) {
            EXPECT_TRUE(desktop_->requests()[0].message.text.startsWith(c.startOfText));
        }
    }
    EXPECT_EQ(form->RowTexts().size(), 1);
}

TEST_F(ViewTest, ExitClosesTheEditorWindowsAndDeletesEveryViewedCopy) {
    const QString archive = MakeZip(QStringLiteral("two.zip"), {{QStringLiteral("a.txt"), "A"},
                                                                {QStringLiteral("b.txt"), "B"}});
    auto form = OpenArchive(archive, QStringLiteral("a.txt"));
    SelectNames(*form, {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    const QString folder = TempPath(QStringLiteral("view"));
    QDir().mkpath(folder);
    form->Settings.TempFolder = folder;
    desktop_->answerShellOpen(42);
    form->RunItemCommand(QStringLiteral("EditView1"));
    const QString view = ViewFolderFor(folder, platform::TempPath()).Folder;
    const QString first = view + QStringLiteral("/a.txt");
    const QString second = view + QStringLiteral("/b.txt");
    ASSERT_TRUE(QFileInfo::exists(second));
    // What the shell's fallback opens: the program's own editor window.
    platform::CreateQtDesktop()->openTextEditor(first);
    const auto editors = [] {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count +=
                widget->objectName() == QLatin1String("TextEditorWindow") && widget->isVisible();
        return count;
    };
    ASSERT_EQ(editors(), 1);

    form->FileExitMnClick();
    EXPECT_FALSE(form->isVisible());
    // No window of the program is left to keep it running.
    EXPECT_EQ(editors(), 0);
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_FALSE(QFileInfo::exists(second));
}
