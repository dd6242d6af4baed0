// The recent-archive list: its keys, its menu items and its message.
#include "AppTestSupport.h"

#include "MainForm.h"
#include "ProfileStore.h"

#include <QAction>
#include <QFile>
#include <QMenu>

using platform::MsgResult;

namespace {

QStringList RecentCaptions(const TMainFormFm &form) {
    QStringList captions;
    for (QAction *item : form.findChild<QMenu *>(QStringLiteral("FileMn"))->actions()) {
        if (item->objectName().startsWith(QStringLiteral("MRU")))
            captions << item->text();
    }
    return captions;
}

} // namespace

class RecentTest : public AppTest {
protected:
    void Open(TMainFormFm &form, const QString &path) {
        desktop_->answerFiles({path});
        form.FileOpenMnClick();
    }
    QString Key(int number) const {
        return TProfileStore().ReadString(QStringLiteral("OpenedFiles"),
                                          QStringLiteral("MRU") + QString::number(number),
                                          QString());
    }
};

TEST_F(RecentTest, OpeningABAKeepsDuplicatesBelowTheHead) {
    const QString a = MakeZip(QStringLiteral("a.zip"), {{QStringLiteral("1"), "1"}});
    const QString b = MakeZip(QStringLiteral("b.zip"), {{QStringLiteral("2"), "2"}});
    auto form = NewForm();
    Open(*form, a);
    Open(*form, b);
    Open(*form, a);
    EXPECT_EQ(Key(1), a);
    EXPECT_EQ(Key(2), b);
    EXPECT_EQ(Key(3), a);
    EXPECT_EQ(Key(4), QString());
    const QStringList captions = RecentCaptions(*form);
    ASSERT_EQ(captions.size(), 3);
    EXPECT_TRUE(captions[0].startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(captions[1].startsWith(QStringLiteral("&2 ")));
    EXPECT_TRUE(captions[2].startsWith(QStringLiteral("&3 ")));

    // Opening the head again changes nothing.
    const QString before = IniText();
    Open(*form, a);
    EXPECT_EQ(RecentCaptions(*form), captions);
    EXPECT_EQ(Key(3), a);
    EXPECT_EQ(Key(4), QString());
    EXPECT_EQ(IniText().count(QStringLiteral("MRU")), before.count(QStringLiteral("MRU")));

    // A fifth distinct archive pushes the oldest out.
    const QString c = MakeZip(QStringLiteral("c.zip"), {{QStringLiteral("3"), "3"}});
    const QString d = MakeZip(QStringLiteral("d.zip"), {{QStringLiteral("4"), "4"}});
    Open(*form, c);
    Open(*form, d);
    EXPECT_EQ(RecentCaptions(*form).size(), 4);
    EXPECT_EQ(Key(1), d);
    EXPECT_EQ(Key(4), b);

    // The items come back at the next start, in key order.
    form.reset();
    auto again = NewForm();
    EXPECT_EQ(RecentCaptions(*again).size(), 4);
    EXPECT_TRUE(RecentCaptions(*again)[0].startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(RecentCaptions(*again)[0].endsWith(QStringLiteral("d.zip")));
}

TEST_F(RecentTest, ChoosingAnItemOpensItWithoutReorderingAndADeletedFileIsReported) {
    const QString a = MakeZip(QStringLiteral("a.zip"), {{QStringLiteral("1"), "1"}});
    const QString b = MakeZip(QStringLiteral("b.zip"), {{QStringLiteral("2"), "22"}});
    WriteIni(QStringLiteral("[OpenedFiles]\nMRU1=%1\nMRU2=%2\n").arg(a, b));
    auto form = NewForm();
    auto *second = form->findChild<QAction *>(QStringLiteral("MRU2"));
    ASSERT_NE(second, nullptr);
    second->trigger();
    EXPECT_EQ(form->Session().MainZip.ZipFileName, b);
    EXPECT_EQ(form->RowTexts().size(), 1);
    EXPECT_EQ(Key(1), a);

    QFile::remove(a);
    desktop_->answerMessage(MsgResult::OK);
    form->findChild<QAction *>(QStringLiteral("MRU1"))->trigger();
    const auto messages = desktop_->messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, platform::MsgKind::Information);
    EXPECT_EQ(messages[0].text, QStringLiteral("The archive file, ") + a +
                                    QStringLiteral(", Cannot be located.  Please select another "
                                                   "archive."));
    EXPECT_EQ(form->Session().MainZip.ZipFileName, b);
    EXPECT_NE(form->findChild<QAction *>(QStringLiteral("MRU1")), nullptr);
    EXPECT_EQ(Key(1), a);
}

TEST_F(RecentTest, AFailedWriteOfTheListIsReportedOnceAndTheArchiveStillOpens) {
    const QString a = MakeZip(QStringLiteral("a.zip"), {{QStringLiteral("1"), "1"}});
    auto form = NewForm();
    // A configuration folder under a plain file cannot be written, not even by root.
    QFile blocker(TempPath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("TARNWICK_WINDIR", TempPath(QStringLiteral("blocker/windir")).toLocal8Bit());
    desktop_->answerFiles({a}).answerMessage(MsgResult::OK);
    form->findChild<QAction *>(QStringLiteral("FileOpenMn"))->trigger();
    const auto messages = desktop_->messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Unable to write to TARNWICK.INI."));
    EXPECT_EQ(form->Session().MainZip.ZipFileName, a);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("a.zip - Tarnwick for Windows 95"));
    EXPECT_EQ(form->RowTexts().size(), 1);
    EXPECT_EQ(form->Session().BusyCount, 0);
    EXPECT_TRUE(form->findChild<QMenu *>(QStringLiteral("FileMn"))->menuAction()->isEnabled());
    qputenv("TARNWICK_WINDIR", TempPath(QStringLiteral("windir")).toLocal8Bit());
}
