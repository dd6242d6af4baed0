// Copy, Rename and Delete Archive in the window, on real files; their rules
// over a fake host are in CommandRulesTest.cpp.
#include "CommandsTest.h"

#include "MainForm.h"
#include "platform/Trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QToolButton>

#include <sys/stat.h>
#include <sys/vfs.h>

using platform::MsgKind;
using platform::MsgResult;
using Kind = platform::testing::ScriptedDesktop::Kind;

namespace {

// The scripted desktop, but moving to a real trash as the desktop would.
class TrashingDesktop : public platform::testing::ScriptedDesktop {
public:
    bool moveToTrash(const QString &path) override {
        return ScriptedDesktop::moveToTrash(path) && platform::MoveToDesktopTrash(path).moved;
    }
};

} // namespace

class ArchiveFileCommandsTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        archive_ = MakeZip(QStringLiteral("open.zip"),
                           {{QStringLiteral("a.txt"), "alpha"}, {QStringLiteral("b.txt"), "beta"}});
        bytes_ = ReadFile(archive_);
        form_ = NewForm();
        form_->OpenZipFile(archive_);
        ASSERT_EQ(form_->RowTexts().size(), 2);
    }
    void TearDown() override {
        form_.reset();
        CommandsTest::TearDown();
    }
    // Runs `item` choosing `target` in its save dialog, answering the boxes
    // that follow with `answers`.
    void RunWithTarget(const char *item, const QString &target,
                       std::initializer_list<MsgResult> answers = {}) {
        desktop_->answerFiles({target});
        for (MsgResult answer : answers)
            desktop_->answerMessage(answer);
        form_->RunItemCommand(QString::fromLatin1(item));
        EXPECT_EQ(form_->Session().BusyCount, 0);
        EXPECT_EQ(form_->NewZipDg.title, QStringLiteral("New Archive"));
    }
    QString archive_;
    QByteArray bytes_;
    std::unique_ptr<TMainFormFm> form_;
};

TEST_F(ArchiveFileCommandsTest, CopyOverAnotherFileKeepsItsMode) {
    const QString existing = WriteFile(QStringLiteral("existing.zip"), "keep me");
    ::chmod(existing.toLocal8Bit().constData(), 0640);
    RunWithTarget("CopyArchive1", existing, {MsgResult::Yes});
    const auto dialog = desktop_->requestsOf(Kind::FileDialog).back().fileDialog;
    EXPECT_TRUE(dialog.overwritePrompt && dialog.createPrompt);
    EXPECT_EQ(ReadFile(existing), bytes_);
    struct stat st {};
    ASSERT_EQ(::stat(existing.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ArchiveFileCommandsTest, RenameReopensTheArchiveWhereItWent) {
    QDir(TempPath(QString())).mkdir(QStringLiteral("other"));
    const QString moved = TempPath(QStringLiteral("other/moved.zip"));
    RunWithTarget("RenameArchive1", moved);
    EXPECT_EQ(ReadFile(moved), bytes_);
    EXPECT_EQ(form_->Session().MainZip.ZipFileName, moved);
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("moved.zip - Tarnwick for Windows 95"));
    EXPECT_EQ(form_->RowTexts().size(), 2);
}

TEST_F(ArchiveFileCommandsTest, MovingAcrossFileSystems) {
    // /dev/shm is a file system of its own on most Linux machines.
    struct statfs here {
    }, shm{};
    const QString folder =
        QStringLiteral("/dev/shm/tarnwick-rename-%1").arg(QCoreApplication::applicationPid());
    if (::statfs(TempPath(QString()).toLocal8Bit().constData(), &here) != 0 ||
        ::statfs("/dev/shm", &shm) != 0 || here.f_type == shm.f_type || !QDir().mkpath(folder))
        GTEST_SKIP() << "no second file system at hand";
    const QString target = folder + QStringLiteral("/moved.zip");
    RunWithTarget("RenameArchive1", target);
    EXPECT_EQ(ReadFile(target), bytes_);
    EXPECT_FALSE(QFileInfo::exists(archive_));
    EXPECT_EQ(form_->Session().MainZip.ZipFileName, target);
    QDir(folder).removeRecursively();
}

TEST_F(ArchiveFileCommandsTest, DeleteSendsTheArchiveToTheTrashAndClosesIt) {
    desktop_.reset();
    auto trashing = std::make_unique<TrashingDesktop>();
    auto *desktop = trashing.get();
    desktop_ = std::move(trashing);
    // A data folder without a Trash folder yet: the trash makes its own.
    qputenv("XDG_DATA_HOME", TempPath(QStringLiteral("data")).toLocal8Bit());
    QDir().mkpath(TempPath(QStringLiteral("data")));
    form_->MultidiskmodeMnClick();
    desktop->answerMessage(MsgResult::Yes).answerMessage(MsgResult::Yes).answerTrash(true);
    form_->RunItemCommand(QStringLiteral("FileDeleteMn"));
    EXPECT_FALSE(form_->Session().MainZip.MultidiskMode);
    EXPECT_TRUE(form_->Session().MainZip.ZipFileName.isEmpty());
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Untitled - Tarnwick for Windows 95"));
    EXPECT_TRUE(form_->RowTexts().isEmpty());
    for (const char *button : {"SpdBtnClose", "SpdBtnInfo", "SpdBtnAdd"})
        EXPECT_FALSE(form_->findChild<QToolButton *>(QLatin1String(button))->isEnabled());
    ASSERT_EQ(desktop->messages().size(), 2u);
    EXPECT_EQ(desktop->messages()[0].kind, MsgKind::Confirm);
    EXPECT_FALSE(QFileInfo::exists(archive_));
    EXPECT_EQ(ReadFile(TempPath(QStringLiteral("data/Trash/files/open.zip"))), bytes_);
    qunsetenv("XDG_DATA_HOME");
}
