// Copy, Rename and Delete Archive on real files.
#include "CommandsTest.h"

#include "ArchiveFileCommands.h"
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
    QString LastText() const {
        const auto m = desktop_->messages();
        return m.empty() ? QString() : m.back().text;
    }
    QString ReplaceQuestion(const QString &path) const {
        return QStringLiteral("The file \"") + path +
               QStringLiteral("\" already exists. Do you want to replace this file?");
    }

    QString archive_;
    QByteArray bytes_;
    std::unique_ptr<TMainFormFm> form_;
};

TEST_F(ArchiveFileCommandsTest, CopyToNewAndExistingFiles) {
    const QString fresh = TempPath(QStringLiteral("copy.zip"));
    RunWithTarget("CopyArchive1", fresh);
    EXPECT_EQ(ReadFile(fresh), bytes_);
    EXPECT_TRUE(desktop_->messages().empty());
    const auto dialog = desktop_->requestsOf(Kind::FileDialog).back().fileDialog;
    EXPECT_EQ(dialog.title, QStringLiteral("Copy Archive To"));
    EXPECT_TRUE(dialog.overwritePrompt && dialog.createPrompt);
    EXPECT_EQ(form_->Session().MainZip.ZipFileName, archive_);

    const QString existing = WriteFile(QStringLiteral("existing.zip"), "keep me");
    ::chmod(existing.toLocal8Bit().constData(), 0640);
    RunWithTarget("CopyArchive1", existing, {MsgResult::No});
    EXPECT_EQ(LastText(), ReplaceQuestion(existing));
    EXPECT_EQ(ReadFile(existing), QByteArray("keep me"));
    RunWithTarget("CopyArchive1", existing, {MsgResult::Yes});
    EXPECT_EQ(ReadFile(existing), bytes_);
    struct stat st {};
    ASSERT_EQ(::stat(existing.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file stays behind.
    EXPECT_EQ(QDir(TempPath(QString()))
                  .entryList({QStringLiteral(".tarnwick-*")}, QDir::Hidden | QDir::Files),
              QStringList());
}

TEST_F(ArchiveFileCommandsTest, CopyOntoTheArchiveItselfOrAFullDiskChangesNothing) {
    const QString link = TempPath(QStringLiteral("link.zip"));
    ASSERT_TRUE(QFile::link(archive_, link));
    ASSERT_EQ(::link(archive_.toLocal8Bit().constData(),
                     TempPath(QStringLiteral("hard.zip")).toLocal8Bit().constData()),
              0);
    for (const QString &self : {archive_, TempPath(QStringLiteral("hard.zip")), link,
                                TempPath(QStringLiteral("./open.zip"))}) {
        SCOPED_TRACE(self.toStdString());
        desktop_->clear();
        RunWithTarget("CopyArchive1", self, {MsgResult::Yes, MsgResult::OK});
        EXPECT_EQ(LastText(), QStringLiteral("The archive cannot be copied onto itself."));
        EXPECT_EQ(ReadFile(archive_), bytes_);
    }

    // The disk fills up half-way: the old target stays as it was.
    desktop_->clear();
    const QString target = WriteFile(QStringLiteral("target.zip"), "the user's file");
    qputenv("TARNWICK_COPY_FAIL_AFTER", "100");
    RunWithTarget("CopyArchive1", target, {MsgResult::Yes, MsgResult::OK});
    qunsetenv("TARNWICK_COPY_FAIL_AFTER");
    EXPECT_EQ(LastText(), QStringLiteral("Disk full."));
    EXPECT_EQ(desktop_->messages().back().kind, MsgKind::Error);
    EXPECT_EQ(ReadFile(target), QByteArray("the user's file"));
    EXPECT_EQ(ReadFile(archive_), bytes_);
    EXPECT_EQ(form_->RowTexts().size(), 2);
}

TEST_F(ArchiveFileCommandsTest, RenameMovesAndReopensOrKeepsTheOldNameOnFailure) {
    QDir(TempPath(QString())).mkdir(QStringLiteral("other"));
    const QString moved = TempPath(QStringLiteral("other/moved.zip"));
    RunWithTarget("RenameArchive1", moved);
    EXPECT_FALSE(QFileInfo::exists(archive_));
    EXPECT_EQ(ReadFile(moved), bytes_);
    EXPECT_EQ(form_->Session().MainZip.ZipFileName, moved);
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("moved.zip - Tarnwick for Windows 95"));
    EXPECT_EQ(form_->RowTexts().size(), 2);
    EXPECT_EQ(desktop_->requestsOf(Kind::FileDialog).back().fileDialog.title,
              QStringLiteral("Rename Archive To"));

    // Onto an existing file, confirmed.
    const QString existing = WriteFile(QStringLiteral("existing.zip"), "old");
    RunWithTarget("RenameArchive1", existing, {MsgResult::Yes});
    EXPECT_EQ(LastText(), ReplaceQuestion(existing));
    EXPECT_EQ(ReadFile(existing), bytes_);
    EXPECT_EQ(form_->Session().MainZip.ZipFileName, existing);

    // Into a folder that does not exist: reported, still open where it was.
    desktop_->clear();
    RunWithTarget("RenameArchive1", TempPath(QStringLiteral("missing/x.zip")), {MsgResult::OK});
    EXPECT_EQ(LastText(), QStringLiteral("File not found."));
    EXPECT_EQ(form_->Session().MainZip.ZipFileName, existing);
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("existing.zip - Tarnwick for Windows 95"));
    EXPECT_EQ(form_->RowTexts().size(), 2);
    EXPECT_EQ(ReadFile(existing), bytes_);
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

TEST_F(ArchiveFileCommandsTest, DeleteSendsTheArchiveToTheTrashAndClosesItOnlyThen) {
    desktop_.reset();
    auto trashing = std::make_unique<TrashingDesktop>();
    auto *desktop = trashing.get();
    desktop_ = std::move(trashing);
    // A data folder without a Trash folder yet: the trash makes its own.
    qputenv("XDG_DATA_HOME", TempPath(QStringLiteral("data")).toLocal8Bit());
    QDir().mkpath(TempPath(QStringLiteral("data")));
    struct Case {
        MsgResult answer; // to the trash's own question
        bool moved;       // what the system's trash reports
    };
    // Declined, failed (the system shows its own error box), done.
    for (const Case c :
         {Case{MsgResult::No, false}, Case{MsgResult::Yes, false}, Case{MsgResult::Yes, true}}) {
        form_->OpenZipFile(archive_);
        form_->MultidiskmodeMnClick();
        desktop->clear();
        desktop->answerMessage(MsgResult::Yes).answerMessage(c.answer);
        if (c.answer == MsgResult::Yes)
            desktop->answerTrash(c.moved);
        form_->RunItemCommand(QStringLiteral("FileDeleteMn"));
        EXPECT_FALSE(form_->Session().MainZip.MultidiskMode);
        EXPECT_EQ(form_->Session().MainZip.ZipFileName.isEmpty(), c.moved);
        EXPECT_EQ(form_->windowTitle() == QStringLiteral("Untitled - Tarnwick for Windows 95"),
                  c.moved);
        EXPECT_EQ(form_->RowTexts().isEmpty(), c.moved);
        for (const char *button : {"SpdBtnClose", "SpdBtnInfo", "SpdBtnAdd"})
            EXPECT_EQ(form_->findChild<QToolButton *>(QLatin1String(button))->isEnabled(),
                      !c.moved);
        const auto messages = desktop->messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages[0].text, QStringLiteral("Are you sure you want to delete file\r\"") +
                                        archive_ + QStringLiteral("\"?"));
        EXPECT_EQ(messages[0].kind, MsgKind::Confirm);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text,
                  QStringLiteral("Are you sure you want to send \"open.zip\" to the Trash?"));
        EXPECT_EQ(QFileInfo::exists(archive_), !c.moved);
    }
    EXPECT_EQ(ReadFile(TempPath(QStringLiteral("data/Trash/files/open.zip"))), bytes_);
    qunsetenv("XDG_DATA_HOME");
    EXPECT_FALSE(RecycleFile(archive_)); // nothing there any more, nothing asked

    // No to the first question: nothing happens.
    const QString kept = MakeZip(QStringLiteral("kept.zip"), {{QStringLiteral("k"), "k"}});
    form_->OpenZipFile(kept);
    desktop->clear();
    desktop->answerMessage(MsgResult::No);
    form_->RunItemCommand(QStringLiteral("FileDeleteMn"));
    EXPECT_EQ(form_->Session().MainZip.ZipFileName, kept);
    EXPECT_EQ(form_->RowTexts().size(), 1);
}
