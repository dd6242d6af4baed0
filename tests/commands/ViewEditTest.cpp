// A copy opened by View and edited in another program goes back into its
// archive when the user says so; what is put back, or why not, is in
// CommandRulesTest.cpp over a fake session.
#include "CommandsTest.h"

#include "MainForm.h"
#include "ViewEditWatch.h"
#include "ViewFolder.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        copy_ = ViewFolderFor(folder, platform::TempPath()).Folder + QStringLiteral("/a.txt");
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
    void Edit(const QByteArray &text, int minutesLater, bool renameOver = false,
              QString copy = QString()) {
        if (copy.isEmpty())
            copy = copy_;
        const QString written = renameOver ? copy + QStringLiteral(".new") : copy;
        QFile file(written);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60 * minutesLater),
                                     QFileDevice::FileModificationTime));
        file.close();
        if (renameOver) {
            ASSERT_EQ(std::rename(QFile::encodeName(written).constData(),
                                  QFile::encodeName(copy).constData()),
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

TEST_F(ViewEditTest, CopyRewrittenForAnotherEntryIsNotPutBack) {
    // a.txt is docs/a.txt's copy, watched; each selection writes it again.
    const QStringList selections[] = {
        {QStringLiteral("docs/a.txt"), QStringLiteral("c/a.txt")}, // either entry
        {QStringLiteral("b.txt"), QStringLiteral("c/a.txt")},      // c/a.txt, not opened
    };
    for (const QStringList &selection : selections) {
        SelectNames(*form_, selection);
        // The engine writes no copy over one of the same time and size.
        QFile::remove(copy_);
        desktop_->answerShellOpen(42);
        form_->RunItemCommand(QStringLiteral("EditView1"));
        ASSERT_TRUE(QFileInfo::exists(copy_));
        const QStringList before = Entries();
        Edit("new text", 10);
        ReturnToFront();
        EXPECT_TRUE(desktop_->messages().empty()) << selection.join(' ').toStdString();
        EXPECT_EQ(Entries(), before);
        desktop_->clear();
    }
}

TEST_F(ViewEditTest, EditReplacesAnEntryDatedLaterAndKeepsItsEncryption) {
    const QString folder = QFileInfo(copy_).absolutePath();
    const QString copy = folder + QStringLiteral("/later.txt");
    // What the configuration says when the edit goes back is never what
    // the entry had.
    struct Case {
        const char *method; // 7-Zip's -mem, empty for none
        int configured;
        const char *expected; // the encryption, and an AES entry's method
    };
    const Case cases[] = {{"", EncryptionAes256, ""},
                          {"ZipCrypto", EncryptionAes256, "ZipCrypto"},
                          {"AES256", EncryptionZipCrypto, "AES-256/99"},
                          {"AES128", EncryptionAes256, "AES-128/99"}};
    for (const Case &c : cases) {
        const QString method = QString::fromLatin1(c.method);
        const QString source = TempPath(QStringLiteral("src%1/later.txt").arg(method));
        QDir().mkpath(QFileInfo(source).absolutePath());
        const QString archive = TempPath(QStringLiteral("later%1.zip").arg(method));
        {
            QFile file(source);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("old text");
            file.flush();
            ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2031, 1, 1), QTime(12, 0)),
                                         QFileDevice::FileModificationTime));
        }
        QStringList add{QStringLiteral("a"), QStringLiteral("-tzip"), archive, source};
        if (!method.isEmpty())
            add << QStringLiteral("-pseal") << QStringLiteral("-mem=") + method;
        ASSERT_EQ(QProcess::execute(QStringLiteral("7zz"), add << QStringLiteral("-bso0")), 0);

        form_->Session().MainZip.Password = method.isEmpty() ? QString() : QStringLiteral("seal");
        form_->OpenZipFile(archive);
        SelectNames(*form_, {QStringLiteral("later.txt")});
        desktop_->answerShellOpen(42);
        form_->RunItemCommand(QStringLiteral("EditView1"));
        ASSERT_EQ(ReadFile(copy), QByteArray("old text")) << c.method;
        form_->Session().MainZip.Password = QStringLiteral("other");
        ApplyEncryptionSetting(c.configured, form_->Session().MainZip);
        Edit("new text", 0, false, copy);
        desktop_->answerMessage(MsgResult::Yes);
        ReturnToFront();

        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, zipfile, struct\n"
                                     "i = zipfile.ZipFile(sys.argv[1]).getinfo('later.txt')\n"
                                     "s, e = 'ZipCrypto' if i.flag_bits & 1 else '', i.extra\n"
                                     "while len(e) >= 4:\n"
                                     "    tag, size = struct.unpack('<HH', e[:4])\n"
                                     "    if tag == 0x9901:\n"
                                     "        s = 'AES-%d/%d' % (64 + 64 * e[8], i.compress_type)\n"
                                     "    e = e[4 + size:]\n"
                                     "print(s)\n"),
                      archive});
        ASSERT_TRUE(python.waitForFinished(60000));
        EXPECT_EQ(python.readAllStandardOutput().trimmed(), QByteArray(c.expected)) << c.method;
        // The entry opens as the edit, with the password it had.
        form_->Session().MainZip.Password = QStringLiteral("seal");
        desktop_->answerShellOpen(42);
        form_->RunItemCommand(QStringLiteral("EditView1"));
        EXPECT_EQ(ReadFile(copy), QByteArray("new text")) << c.method;
        desktop_->clear();
    }
}
