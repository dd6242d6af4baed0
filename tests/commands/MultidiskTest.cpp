// Sets of pieces in the window, in multidisk mode: listing, the menus with
// rows, extracting, the new-disk prompt for a missing piece when its data
// is read, and a set opened outside multidisk mode.
#include "CommandsTest.h"

#include "MainForm.h"
#include "ZipEngine.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

using platform::MsgKind;
using platform::MsgResult;

class MultidiskTest : public CommandsTest {
protected:
    // set.z01, set.z02, ... set.zip of 64 KiB pieces holding a.txt and b.bin.
    QString MakeSet() {
        a_ = QByteArray(200000, 'a');
        // Incompressible, so that it spans pieces.
        QRandomGenerator random(7);
        b_.resize(250000);
        for (char &c : b_)
            c = static_cast<char>(random.bounded(256));
        TZipEngine engine;
        engine.MultidiskMode = true;
        engine.PieceSize = 65536;
        engine.UsePaths = false;
        engine.ZipFileName = TempPath(QStringLiteral("set.zip"));
        engine.FilesToProcess = {WriteFile(QStringLiteral("a.txt"), a_),
                                 WriteFile(QStringLiteral("b.bin"), b_)};
        EXPECT_EQ(engine.AddToArchive(TZipAddMode::Add), 0);
        EXPECT_TRUE(QFile::exists(TempPath(QStringLiteral("set.z03"))));
        return engine.ZipFileName;
    }
    bool Enabled(TMainFormFm &form, const char *name) const {
        return form.findChild<QAction *>(QString::fromLatin1(name))->isEnabled();
    }
    QByteArray a_, b_;
};

TEST_F(MultidiskTest, ListsExtractsAndKeepsTheMenuRules) {
    const QString set = MakeSet();
    auto form = NewForm();
    form->MultidiskmodeMnClick();
    form->OpenZipFile(set);
    ASSERT_EQ(form->RowTexts().size(), 2);
    EXPECT_TRUE(desktop_->messages().empty());

    form->EditSelectAllMnClick();
    form->EditMnClick();
    EXPECT_FALSE(Enabled(*form, "EditAddMn"));
    EXPECT_FALSE(Enabled(*form, "EditDeleteMn"));
    EXPECT_FALSE(Enabled(*form, "EditUpdateMn"));
    EXPECT_TRUE(Enabled(*form, "EditExtractMn"));

    const QString out = TempPath(QStringLiteral("out"));
    QDir().mkpath(out);
    desktop_->answerMessage(MsgResult::Yes).answerDirectory(out);
    form->RunItemCommand(QStringLiteral("EditExtractMn"));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/a.txt")), a_);
    EXPECT_EQ(ReadFile(out + QStringLiteral("/b.bin")), b_);
    EXPECT_EQ(desktop_->messages().size(), 1u); // only the extract question
}

// Listing reads only the last piece, which holds the directory: with the
// first piece away nothing is asked. Extracting asks for it when its data
// comes; Cancel gives the extraction up.
TEST_F(MultidiskTest, APieceIsAskedForOnlyWhenItsDataIsRead) {
    const QString set = MakeSet();
    const QString piece = TempPath(QStringLiteral("set.z01"));
    const QString away = TempPath(QStringLiteral("away"));
    ASSERT_TRUE(QFile::rename(piece, away));
    auto form = NewForm();
    form->MultidiskmodeMnClick();
    form->OpenZipFile(set);
    EXPECT_TRUE(desktop_->messages().empty());
    ASSERT_EQ(form->RowTexts().size(), 2);

    // The user brings the piece back, then answers OK.
    const TZipNewdiskEvent ask = form->Session().MainZip.OnNewdisk;
    form->Session().MainZip.OnNewdisk = [&](TZipEngine &engine, std::int32_t disk) {
        QFile::rename(away, piece);
        ask(engine, disk);
    };
    const QString out = TempPath(QStringLiteral("out"));
    QDir().mkpath(out);
    form->EditSelectAllMnClick();
    desktop_->answerMessage(MsgResult::Yes).answerDirectory(out).answerMessage(MsgResult::OK);
    form->RunItemCommand(QStringLiteral("EditExtractMn"));
    ASSERT_EQ(desktop_->messages().size(), 2u);
    EXPECT_EQ(desktop_->messages()[1].text, QStringLiteral("Please insert disk #1 of the set."));
    EXPECT_EQ(desktop_->messages()[1].kind, MsgKind::Confirm);
    EXPECT_EQ(ReadFile(out + QStringLiteral("/a.txt")), a_);
    EXPECT_EQ(ReadFile(out + QStringLiteral("/b.bin")), b_);

    form->Session().MainZip.OnNewdisk = ask;
    ASSERT_TRUE(QFile::rename(piece, away));
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    desktop_->clear();
    desktop_->answerMessage(MsgResult::Yes)
        .answerDirectory(out)
        .answerMessage(MsgResult::Cancel)
        .answerMessage(MsgResult::OK);
    form->EditSelectAllMnClick();
    form->RunItemCommand(QStringLiteral("EditExtractMn"));
    ASSERT_EQ(desktop_->messages().size(), 3u);
    EXPECT_EQ(desktop_->messages()[2].text,
              QStringLiteral("The extracting operation was aborted."));
    EXPECT_EQ(form->RowTexts().size(), 2);
}

TEST_F(MultidiskTest, OpeningTheFirstPieceAsksForTheLastDisk) {
    const QString set = MakeSet();
    const QString away = TempPath(QStringLiteral("away.zip"));
    ASSERT_TRUE(QFile::rename(set, away));
    auto form = NewForm();
    form->MultidiskmodeMnClick();
    const TZipNewdiskEvent ask = form->Session().MainZip.OnNewdisk;
    form->Session().MainZip.OnNewdisk = [&](TZipEngine &engine, std::int32_t disk) {
        QFile::rename(away, set);
        ask(engine, disk);
    };
    desktop_->answerMessage(MsgResult::OK);
    form->OpenZipFile(TempPath(QStringLiteral("set.z01")));
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text,
              QStringLiteral("Please insert the last disk of the set."));
    EXPECT_EQ(form->RowTexts().size(), 2);
}

// New Archive and Add in multidisk mode onto media of 100,000 bytes (the
// engine's hook): each full medium asks for the next disk; OK goes on,
// Cancel ends the add and leaves no piece behind.
TEST_F(MultidiskTest, AddingAsksForEachDiskAndCancelLeavesNoPieces) {
    WriteIni(QStringLiteral("[Settings]\nConfirmAdd=0\n"));
    QRandomGenerator random(3);
    QByteArray data(300000, '\0');
    for (char &c : data)
        c = static_cast<char>(random.bounded(256));
    const QString file = WriteFile(QStringLiteral("in/data.bin"), data);
    const QString set = TempPath(QStringLiteral("set.zip"));
    const QString prompt = QStringLiteral("Please insert disk #%1 of the set.");
    qputenv("TARNWICK_ZIPENG_MEDIUM_BYTES", "100000");
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "Cancel at disk 3" : "OK to every disk");
        auto form = NewForm();
        form->MultidiskmodeMnClick();
        desktop_->clear();
        desktop_->answerFiles({set});
        form->RunItemCommand(QStringLiteral("FileNewMn"));
        desktop_->answerFiles({file}).answerMessage(MsgResult::OK);
        desktop_->answerMessage(cancel ? MsgResult::Cancel : MsgResult::OK);
        if (!cancel)
            desktop_->answerMessage(MsgResult::OK).answerMessage(MsgResult::OK);
        desktop_->answerMessage(MsgResult::OK); // completion or abort report
        form->RunItemCommand(QStringLiteral("EditAddMn"));
        QStringList texts;
        for (const auto &box : desktop_->messages())
            texts << box.text;
        if (cancel) {
            EXPECT_EQ(texts, QStringList({prompt.arg(2), prompt.arg(3),
                                          QStringLiteral("The adding operation was aborted.")}));
            EXPECT_TRUE(QDir(TempPath(QString())).entryList({QStringLiteral("set.*")}).isEmpty());
            EXPECT_TRUE(form->RowTexts().isEmpty());
        } else {
            ASSERT_EQ(texts.size(), 4);
            EXPECT_EQ(texts.mid(0, 3), QStringList({prompt.arg(2), prompt.arg(3), prompt.arg(4)}));
            EXPECT_TRUE(texts[3].startsWith(QStringLiteral("Add operation completed.")));
            EXPECT_EQ(form->RowTexts().size(), 1);
            EXPECT_TRUE(QFile::exists(TempPath(QStringLiteral("set.z03"))));
        }
    }
    qunsetenv("TARNWICK_ZIPENG_MEDIUM_BYTES");
}

// Test Archive from the File menu (no archive open) reads the whole set.
TEST_F(MultidiskTest, TestArchiveChecksEverySetPiece) {
    const QString set = MakeSet();
    auto form = NewForm();
    form->MultidiskmodeMnClick();
    desktop_->answerFiles({set}).answerMessage(MsgResult::OK);
    form->RunItemCommand(QStringLiteral("FileTestMn"));
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text, QStringLiteral("All files in the archive are OK."));
}

TEST_F(MultidiskTest, OutsideMultidiskModeASetIsRefused) {
    const QString set = MakeSet();
    auto form = NewForm();
    desktop_->answerMessage(MsgResult::OK);
    form->OpenZipFile(set);
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text,
              QStringLiteral("Attempt to work with a multiple-disk Zip archive, but not in "
                             "multidisk mode."));
    EXPECT_TRUE(form->RowTexts().isEmpty());
}
