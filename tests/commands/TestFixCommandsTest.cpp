// Test Archive, Fix Archive and Update Archive Date through the real
// engines on archives made here; their rules over a fake session are in
// CommandRulesTest.cpp.
#include "CommandsTest.h"

#include "MainForm.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

using platform::MsgKind;
using platform::MsgResult;

namespace {

const QString Untitled = QStringLiteral("Untitled - Tarnwick for Windows 95");

// A copy of `bytes` with the first `find` replaced by `put` (same length).
QByteArray Damaged(QByteArray bytes, const QByteArray &find, const QByteArray &put) {
    const qsizetype at = bytes.indexOf(find);
    EXPECT_GE(at, 0);
    if (at >= 0)
        bytes.replace(at, put.size(), put);
    return bytes;
}

} // namespace

class TestFixCommandsTest : public CommandsTest {
protected:
    // Picks `archive` in the test or fix dialog and runs `item`; the window
    // must come back without an archive, as it started.
    void RunOnArchive(TMainFormFm &form, const char *item, const QString &archive,
                      std::initializer_list<MsgResult> answers, bool pickFile = true) {
        if (pickFile)
            desktop_->answerFiles({archive});
        for (MsgResult answer : answers)
            desktop_->answerMessage(answer);
        form.RunItemCommand(QString::fromLatin1(item));
        EXPECT_TRUE(form.Session().MainZip.ZipFileName.isEmpty());
        EXPECT_EQ(form.windowTitle(), Untitled);
        EXPECT_TRUE(form.RowTexts().isEmpty());
        EXPECT_EQ(form.Session().BusyCount, 0);
        EXPECT_FALSE(form.Session().TestRunning);
    }
    QStringList Texts() const {
        QStringList texts;
        for (const platform::MessageRequest &m : desktop_->messages())
            texts << m.text;
        return texts;
    }
};

TEST_F(TestFixCommandsTest, TestSoundSkippedAndDamagedArchives) {
    const QString sound = MakeZip(QStringLiteral("sound.zip"),
                                  {{QStringLiteral("a.txt"), QByteArray("hello world, hello")},
                                   {QStringLiteral("b.txt"), QByteArray(3000, 'b')}});
    auto form = NewForm();
    form->Settings.LastDirectory = TempPath(QString());
    RunOnArchive(*form, "FileTestMn", sound, {MsgResult::OK});
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("All files in the archive are OK.")});
    const auto dialogs = desktop_->requestsOf(platform::testing::ScriptedDesktop::Kind::FileDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].fileDialog.title, QStringLiteral("Test Archive"));
    EXPECT_EQ(dialogs[0].fileDialog.initialDir, TempPath(QString()));

    // A name that matches nothing is skipped: the engine answers 40.
    desktop_->clear();
    form->Session().MainZip.FilesToProcess =
        QStringList{QStringLiteral("a.txt"), QStringLiteral("gone.txt")};
    RunOnArchive(*form, "FileTestMn", sound, {MsgResult::OK, MsgResult::OK});
    EXPECT_EQ(Texts(),
              (QStringList{QStringLiteral("File \"gone.txt\" failed test: file not found."),
                           QStringLiteral("All files tested in the archive are OK.\r"
                                          "(Some files were skipped)")}));

    // Damaged compressed data of the first entry (its data starts at 35).
    desktop_->clear();
    const QString damaged = WriteFile(
        QStringLiteral("damaged.zip"),
        Damaged(ReadFile(sound), ReadFile(sound).mid(40, 4), QByteArray("\x00\xff\x00\xff", 4)));
    RunOnArchive(*form, "FileTestMn", damaged, {MsgResult::OK, MsgResult::OK});
    const QStringList texts = Texts();
    ASSERT_EQ(texts.size(), 2) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("File \"a.txt\" failed test: ")));
    EXPECT_EQ(texts[1], QStringLiteral("Test failed - Errors in the archive."));
    EXPECT_EQ(desktop_->messages()[0].kind, MsgKind::Warning);
    EXPECT_EQ(desktop_->messages()[1].kind, MsgKind::Error);
}

TEST_F(TestFixCommandsTest, FixTruncatedAndHopelessFiles) {
    const QString sound =
        MakeZip(QStringLiteral("sound.zip"), {{QStringLiteral("a.txt"), QByteArray(2000, 'a')},
                                              {QStringLiteral("b.txt"), QByteArray(2000, 'b')}});
    const QByteArray bytes = ReadFile(sound);
    // The central directory is gone: what is left are the entries.
    const QString truncated =
        WriteFile(QStringLiteral("truncated.zip"), bytes.left(bytes.indexOf("PK\x01\x02")));
    auto form = NewForm();
    desktop_->answerFiles({truncated});
    desktop_->answerTrash(true);
    RunOnArchive(*form, "FixNormal1", truncated, {MsgResult::OK}, false);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("The specified Zip file has been fixed.")});
    EXPECT_EQ(ZipNames(truncated), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));

    desktop_->clear();
    const QString hopeless =
        WriteFile(QStringLiteral("hopeless.zip"), QByteArray("not an archive at all, only words"));
    RunOnArchive(*form, "FixNormal1", hopeless, {MsgResult::OK});
    EXPECT_EQ(Texts(),
              QStringList{QStringLiteral("The specified Zip file is too corrupted to be fixed.")});
    EXPECT_EQ(desktop_->messages()[0].kind, MsgKind::Information);
}

// A trash that takes the file away, as the desktop's does, keeping what it
// took and from where.
class TakingTrash : public platform::testing::ScriptedDesktop {
public:
    bool moveToTrash(const QString &path) override {
        const bool moved = ScriptedDesktop::moveToTrash(path);
        if (moved) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                taken = file.readAll();
            QFile::remove(path);
        }
        return moved;
    }
    QByteArray taken;
};

// A damaged entry is named as it is left out, and the damaged file goes to
// the trash from the archive's own path (or, when the trash refuses it,
// stays beside the archive).
TEST_F(TestFixCommandsTest, FixNamesWhatItDropsAndKeepsTheOriginal) {
    const QString sound = MakeZip(QStringLiteral("sound.zip"),
                                  {{QStringLiteral("a.txt"), QByteArray("hello world, hello")},
                                   {QStringLiteral("b.txt"), QByteArray(3000, 'b')}});
    const QByteArray damaged =
        Damaged(ReadFile(sound), ReadFile(sound).mid(40, 4), QByteArray("\x00\xff\x00\xff", 4));
    for (const bool trashWorks : {true, false}) {
        SCOPED_TRACE(trashWorks ? "trash" : "no trash");
        TakingTrash trash;
        platform::Desktop *const before = platform::Desktop::setCurrent(&trash);
        const auto restore = qScopeGuard([before] { platform::Desktop::setCurrent(before); });
        const QString archive = WriteFile(QStringLiteral("damaged.zip"), damaged);
        auto form = NewForm();
        trash.answerFiles({archive});
        trash.answerMessage(MsgResult::OK); // the skip warning
        trash.answerTrash(trashWorks);
        trash.answerMessage(MsgResult::OK);
        if (!trashWorks)
            trash.answerMessage(MsgResult::OK);
        form->RunItemCommand(QStringLiteral("FixNormal1"));
        QStringList texts;
        for (const platform::MessageRequest &m : trash.messages())
            texts << m.text;
        ASSERT_EQ(texts.size(), trashWorks ? 2 : 3) << texts.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Skipping \"a.txt\", ")))
            << texts[0].toStdString();
        EXPECT_EQ(texts.last(), QStringLiteral("Some files were skipped while fixing."));
        EXPECT_EQ(ZipNames(archive), QStringList{QStringLiteral("b.txt")});
        const auto trashed = trash.requestsOf(platform::testing::ScriptedDesktop::Kind::Trash);
        ASSERT_EQ(trashed.size(), 1u);
        EXPECT_EQ(trashed[0].path, QFileInfo(archive).canonicalFilePath());
        EXPECT_EQ(trashWorks ? trash.taken : ReadFile(archive + QStringLiteral(".damaged")),
                  damaged);
        if (!trashWorks) {
            EXPECT_EQ(texts[1], QStringLiteral("The damaged Zip file could not be moved to the "
                                               "Trash. It is kept as \"") +
                                    archive + QStringLiteral(".damaged\"."));
        }
        // Nothing is left behind in the archive's folder.
        EXPECT_TRUE(
            QDir(QFileInfo(archive).absolutePath())
                .entryList({QStringLiteral(".tarnwick-fix-*")}, QDir::Hidden | QDir::AllEntries)
                .isEmpty());
        QFile::remove(archive + QStringLiteral(".damaged"));
    }
}

TEST_F(TestFixCommandsTest, ArchiveDateIsTheNewestEntryAndFoldersOnlyGive380) {
    const QString archive =
        MakeZip(QStringLiteral("dated.zip"), {{QStringLiteral("a.txt"), QByteArray("a")}});
    auto form = NewForm();
    form->OpenZipFile(archive);
    form->RunItemCommand(QStringLiteral("EditUpdateZIPDateMn"));
    // MakeZip dates every entry 2024-05-17 13:45:30.
    EXPECT_EQ(QFileInfo(archive).lastModified(), QDateTime(QDate(2024, 5, 17), QTime(13, 45, 30)));
    EXPECT_TRUE(desktop_->messages().empty());
    EXPECT_EQ(form->RowTexts().size(), 1);

    const QString folders =
        MakeZip(QStringLiteral("folders.zip"), {{QStringLiteral("only/"), QByteArray()}});
    form->OpenZipFile(folders);
    desktop_->answerMessage(MsgResult::OK);
    form->RunItemCommand(QStringLiteral("EditUpdateZIPDateMn"));
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text,
              QStringLiteral("Could not update the Zip archive date. Archive only contains "
                             "directories or is empty."));
    EXPECT_EQ(form->Session().BusyCount, 0);
}
