// A copy opened by View and edited in another program goes back into its
// archive when the user says so.
#include "CommandsTest.h"

#include "MainForm.h"
#include "ViewEditWatch.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using platform::MsgResult;

void SelectNames(TMainFormFm &form, const QStringList &names);

namespace {

const QString kQuestion =
    QStringLiteral("The file docs/a.txt has been changed. Update it in the archive?");

} // namespace

class ViewEditTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        archive_ = MakeZip(QStringLiteral("v.zip"), {{QStringLiteral("docs/a.txt"), "old text"},
                                                     {QStringLiteral("b.txt"), "bee"},
                                                     {QStringLiteral("c/a.txt"), "dee"}});
        form_ = NewForm();
        const QString folder = TempPath(QStringLiteral("view"));
        QDir().mkpath(folder);
        form_->Settings.TempFolder = folder;
        copy_ = folder + QStringLiteral("/a.txt");
        watch_ = TViewEditWatch::Of(*form_);
        ASSERT_NE(watch_, nullptr);
        // The test says when the program is in front.
        QObject::disconnect(qApp, nullptr, watch_, nullptr);
        watch_->SetForeground(false);
        form_->OpenZipFile(archive_);
        SelectNames(*form_, {QStringLiteral("docs/a.txt")});
        desktop_->answerShellOpen(42);
        form_->RunItemCommand(QStringLiteral("EditView1"));
        ASSERT_EQ(ReadFile(copy_), QByteArray("old text"));
    }

    // An edit as an editor makes it, saved later than the entry's time.
    void Edit(const QByteArray &text, int minutesLater, bool renameOver = false) {
        const QString written = renameOver ? copy_ + QStringLiteral(".new") : copy_;
        QFile file(written);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60 * minutesLater),
                                     QFileDevice::FileModificationTime));
        file.close();
        if (renameOver) {
            ASSERT_EQ(std::rename(QFile::encodeName(written).constData(),
                                  QFile::encodeName(copy_).constData()),
                      0);
        }
    }
    void ReturnToFront() {
        watch_->SetForeground(false);
        watch_->SetForeground(true);
        QTest::qWait(50);
    }
    // Each entry's name, CRC, and a digest of its stored bytes, by Python's
    // zipfile.
    QStringList Entries() const {
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, zipfile, hashlib\n"
                                     "z = zipfile.ZipFile(sys.argv[1])\n"
                                     "f = open(sys.argv[1], 'rb')\n"
                                     "for i in z.infolist():\n"
                                     "    f.seek(i.header_offset + 26)\n"
                                     "    n = int.from_bytes(f.read(2), 'little')\n"
                                     "    m = int.from_bytes(f.read(2), 'little')\n"
                                     "    f.seek(n + m, 1)\n"
                                     "    raw = f.read(i.compress_size)\n"
                                     "    print(i.filename, i.CRC, hashlib.sha1(raw).hexdigest(),"
                                     " z.read(i).decode())\n"),
                      archive_});
        EXPECT_TRUE(python.waitForFinished(60000));
        return QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'));
    }
    QStringList Questions() const {
        QStringList texts;
        for (const auto &m : desktop_->messages())
            texts << m.text;
        return texts;
    }

    QString archive_;
    QString copy_;
    std::unique_ptr<TMainFormFm> form_;
    TViewEditWatch *watch_ = nullptr;
};

TEST_F(ViewEditTest, ChangedCopyAsksOnReturnAndYesUpdatesThatEntryOnly) {
    const QStringList before = Entries();
    ASSERT_EQ(before.filter(QStringLiteral(".txt ")).size(), 3) << before.join('\n').toStdString();
    Edit("new text", 10);
    QTest::qWait(400);
    EXPECT_TRUE(desktop_->messages().empty()) << "asked while in the background";

    desktop_->answerMessage(MsgResult::Yes);
    ReturnToFront();
    EXPECT_EQ(Questions(), QStringList{kQuestion});
    const QStringList after = Entries();
    ASSERT_EQ(after.size(), before.size()) << after.join('\n').toStdString();
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (after[i].startsWith(QStringLiteral("docs/a.txt "))) {
            EXPECT_TRUE(after[i].endsWith(QStringLiteral(" new text"))) << after[i].toStdString();
        } else {
            EXPECT_TRUE(before.contains(after[i])) << after[i].toStdString();
        }
    }
    EXPECT_TRUE(form_->RowTexts().filter(QStringLiteral("docs/a.txt\t")).size() == 1);

    // Once per change: coming back again asks nothing.
    desktop_->clear();
    ReturnToFront();
    EXPECT_TRUE(desktop_->messages().empty());
}

TEST_F(ViewEditTest, EditorSavingByRenameWhileInFrontAsksAtOnceAndAgain) {
    watch_->SetForeground(true);
    QTest::qWait(50);
    desktop_->answerMessage(MsgResult::Yes).answerMessage(MsgResult::No);
    Edit("first edit", 10, true);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !desktop_->messages().empty(); }, 5000));
    // The rename dropped the watch on the old file; the new one is watched.
    Edit("second edit", 20, true);
    EXPECT_TRUE(QTest::qWaitFor([this] { return desktop_->messages().size() == 2; }, 5000));
    EXPECT_EQ(Questions(), QStringList({kQuestion, kQuestion}));
    // No keeps the archive as the first answer left it.
    EXPECT_TRUE(Entries()
                    .filter(QStringLiteral("docs/a.txt "))
                    .first()
                    .endsWith(QStringLiteral(" first edit")));
}

TEST_F(ViewEditTest, CopyOfAnArchiveNoLongerOpenAsksNothing) {
    const QString other = MakeZip(QStringLiteral("other.zip"), {{QStringLiteral("x.txt"), "x"}});
    form_->OpenZipFile(other);
    const QStringList before = Entries();
    Edit("new text", 10);
    ReturnToFront();
    EXPECT_TRUE(desktop_->messages().empty());
    EXPECT_EQ(form_->StatusText(),
              QStringLiteral("The file docs/a.txt has been changed, but its archive is no "
                             "longer open."));
    EXPECT_EQ(Entries(), before);
}

TEST_F(ViewEditTest, CopyThatTwoSelectedEntriesShareIsNotPutBack) {
    SelectNames(*form_, {QStringLiteral("docs/a.txt"), QStringLiteral("c/a.txt")});
    // The engine writes no copy over one of the same time and size.
    QFile::remove(copy_);
    desktop_->answerShellOpen(42);
    form_->RunItemCommand(QStringLiteral("EditView1"));
    const QStringList before = Entries();
    Edit("new text", 10);
    ReturnToFront();
    EXPECT_TRUE(desktop_->messages().empty());
    EXPECT_EQ(Entries(), before);
}
