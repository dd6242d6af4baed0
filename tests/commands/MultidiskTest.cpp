// Sets of pieces in the window, in multidisk mode: listing, the menus with
// rows, extracting, the new-disk prompt for a missing piece, and a set
// opened outside multidisk mode.
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
        EXPECT_EQ(engine.AddToArchive(0), 0);
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

TEST_F(MultidiskTest, AMissingPieceIsAskedForWhileListing) {
    const QString set = MakeSet();
    const QString piece = TempPath(QStringLiteral("set.z02"));
    const QString away = TempPath(QStringLiteral("away"));
    ASSERT_TRUE(QFile::rename(piece, away));
    auto form = NewForm();
    form->MultidiskmodeMnClick();
    // The user brings the piece back, then answers OK.
    const TZipNewdiskEvent ask = form->MainZip.OnNewdisk;
    form->MainZip.OnNewdisk = [&](TZipEngine &engine, std::int32_t disk) {
        QFile::rename(away, piece);
        ask(engine, disk);
    };
    desktop_->answerMessage(MsgResult::OK);
    form->OpenZipFile(set);
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text, QStringLiteral("Please insert disk #2 of the set."));
    EXPECT_EQ(desktop_->messages()[0].kind, MsgKind::Confirm);
    EXPECT_EQ(form->RowTexts().size(), 2);

    // Cancel gives the listing up.
    form->MainZip.OnNewdisk = ask;
    ASSERT_TRUE(QFile::rename(piece, away));
    desktop_->clear();
    desktop_->answerMessage(MsgResult::Cancel).answerMessage(MsgResult::OK);
    form->OpenZipFile(set);
    ASSERT_EQ(desktop_->messages().size(), 2u);
    EXPECT_EQ(desktop_->messages()[1].text, QStringLiteral("The reading operation was aborted."));
    EXPECT_TRUE(form->RowTexts().isEmpty());
}

TEST_F(MultidiskTest, OpeningTheFirstPieceAsksForTheLastDisk) {
    const QString set = MakeSet();
    const QString away = TempPath(QStringLiteral("away.zip"));
    ASSERT_TRUE(QFile::rename(set, away));
    auto form = NewForm();
    form->MultidiskmodeMnClick();
    const TZipNewdiskEvent ask = form->MainZip.OnNewdisk;
    form->MainZip.OnNewdisk = [&](TZipEngine &engine, std::int32_t disk) {
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
