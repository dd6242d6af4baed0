// The archive browser: scanning a folder, drawing rows, opening archives.
#include "AppTestSupport.h"

#include "BrowseList.h"
#include "DialogCommands.h"
#include "FrmBrowse.h"
#include "MainForm.h"
#include "platform/testing/QtPrinters.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using Kind = platform::testing::ScriptedDesktop::Kind;

namespace {

void MakeCommentedZip(const QString &path, const QByteArray &comment) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile\n"
                                 "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                 "    z.writestr('a.txt', b'alpha')\n"
                                 "    z.comment = sys.argv[2].encode()\n"),
                  path, QString::fromUtf8(comment)});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
}

QListWidget *ListOf(const TFrmBrowse &browser) {
    return browser.findChild<QListWidget *>(QStringLiteral("FilesLb"));
}

QToolButton *OpenButton(const TFrmBrowse &browser) {
    return browser.findChild<QToolButton *>(QStringLiteral("SpdBtnOpen"));
}

QStringList Paths(const TFrmBrowse &browser) {
    QStringList paths;
    for (int row = 0; row < ListOf(browser)->count(); ++row)
        paths << ListOf(browser)->item(row)->data(browse::PathRole).toString();
    return paths;
}

} // namespace

class BrowseTest : public AppTest {
protected:
    // A folder "arc, hive" of archives: commented, plain, capitals, a
    // comment with commas and one file that is no archive.
    QString MakeFolder() {
        const QString folder = TempPath(QStringLiteral("arc, hive"));
        EXPECT_TRUE(QDir().mkpath(folder));
        MakeCommentedZip(folder + "/notes.zip", "Weekly copy");
        MakeCommentedZip(folder + "/plain.zip", "");
        MakeCommentedZip(folder + "/CAPS.ZIP", "one, two, three");
        QFile bad(folder + "/bad.zip");
        EXPECT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("this is not an archive");
        bad.close();
        // Another format, read only: listed, with no comment.
        EXPECT_EQ(std::system(("bsdtar -czf '" + folder.toStdString() + "/zz.tar.gz' -C '" +
                               folder.toStdString() + "' notes.zip")
                                  .c_str()),
                  0);
        QFile other(folder + "/readme.txt");
        EXPECT_TRUE(other.open(QIODevice::WriteOnly));
        return folder;
    }

    TFrmBrowse *Scanned(TMainFormFm &form, const QString &folder) {
        TFrmBrowse *browser = BrowseArchives1Click(form);
        desktop_->answerDirectory(folder);
        browser->SpdBtnBrowseClick();
        return browser;
    }
};

TEST_F(BrowseTest, ScanListsEveryArchiveWithItsComment) {
    auto form = NewForm();
    const QString folder = MakeFolder();
    TFrmBrowse *browser = Scanned(*form, folder);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->windowTitle(), "Tarnwick Archive Browser");
    EXPECT_EQ(Paths(*browser),
              QStringList({folder + "/bad.zip", folder + "/CAPS.ZIP", folder + "/notes.zip",
                           folder + "/plain.zip", folder + "/zz.tar.gz"}));
    QStringList comments;
    for (int row = 0; row < ListOf(*browser)->count(); ++row)
        comments << ListOf(*browser)->item(row)->data(browse::CommentRole).toString();
    EXPECT_TRUE(comments[0].startsWith("Error #")) << comments[0].toStdString();
    EXPECT_GT(comments[0].mid(7).toInt(), 0);
    EXPECT_EQ(comments.mid(1), QStringList({"one, two, three", "Weekly copy", "", ""}));
    EXPECT_EQ(ListOf(*browser)->statusTip(), "Archives in " + folder);
    EXPECT_FALSE(OpenButton(*browser)->isEnabled());
    // The main window's engine was never touched, and it is idle again.
    EXPECT_TRUE(form->Session().MainZip.ZipFileName.isEmpty());
    EXPECT_EQ(form->Session().BusyCount, 0);
    EXPECT_EQ(TFrmBrowse::LastScanFolder(), folder);

    // A second browser starts its folder choice where the first one scanned.
    TFrmBrowse *second = BrowseArchives1Click(*form);
    ASSERT_NE(second, browser);
    // Nothing starts while the main window is inside an operation.
    form->SetBusy(false);
    second->SpdBtnBrowseClick();
    form->SetBusy(true);
    desktop_->cancelDirectory();
    second->SpdBtnBrowseClick();
    const auto asked = desktop_->requestsOf(Kind::SelectDirectory);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].directory.initialDir, folder);
    EXPECT_EQ(ListOf(*second)->count(), 0);
    second->close();
    browser->close();
}

TEST_F(BrowseTest, OpeningHandsTheFirstSelectedPathToTheMainWindow) {
    auto form = NewForm();
    const QString folder = MakeFolder();
    for (const bool closeBrowser : {false, true}) {
        form->Settings.CloseBrowser = closeBrowser;
        form->FileCloseMnClick();
        QPointer<TFrmBrowse> browser = Scanned(*form, folder);
        QListWidget *list = ListOf(*browser);
        list->item(3)->setSelected(true);
        list->item(2)->setSelected(true);
        EXPECT_TRUE(OpenButton(*browser)->isEnabled());
        // Never in the middle of an operation of the main window.
        form->SetBusy(false);
        OpenButton(*browser)->click();
        form->SetBusy(true);
        EXPECT_TRUE(form->Session().MainZip.ZipFileName.isEmpty());
        OpenButton(*browser)->click();
        // The folder's comma does not cut the path.
        EXPECT_EQ(form->Session().MainZip.ZipFileName, folder + "/notes.zip");
        EXPECT_EQ(form->RowTexts().size(), 1);
        QApplication::processEvents();
        EXPECT_EQ(browser.isNull(), closeBrowser);
        if (browser)
            browser->close();
        QApplication::processEvents();
        EXPECT_TRUE(browser.isNull());
    }
}

TEST_F(BrowseTest, EnterOnARowOpensItAsADoubleClickDoes) {
    auto form = NewForm();
    TFrmBrowse *browser = Scanned(*form, MakeFolder());
    ASSERT_TRUE(QTest::qWaitForWindowActive(browser));
    ListOf(*browser)->setCurrentRow(2);
    ListOf(*browser)->setFocus();
    QTest::keyClick(browser->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(form->Session().MainZip.ZipFileName.endsWith("/notes.zip"));
    EXPECT_EQ(form->RowTexts().size(), 1);
    browser->close();
}

TEST_F(BrowseTest, ModalDialogsBlockTheBrowserAndAreCentredOnTheScreen) {
    auto form = NewForm();
    const QString folder = MakeFolder();
    form->OpenZipFile(folder + "/plain.zip");
    TFrmBrowse *browser = Scanned(*form, folder);
    ASSERT_TRUE(QTest::qWaitForWindowActive(browser));
    ListOf(*browser)->setCurrentRow(2);
    ListOf(*browser)->setFocus();
    const std::function<void(TMainFormFm &)> openers[] = {EditCreateGroupIcons1Click,
                                                          Configuration1Click};
    for (const auto &open : openers) {
        bool seen = false;
        QTimer::singleShot(0, form.get(), [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
            // Centred before its frame was known: off by no more than the frame.
            const QPoint offset =
                dialog->frameGeometry().center() - dialog->screen()->availableGeometry().center();
            EXPECT_LE(std::abs(offset.x()), 3) << dialog->objectName().toStdString();
            EXPECT_LE(std::abs(offset.y()), 3) << dialog->objectName().toStdString();
            // The browser cannot switch archives under the dialog.
            QTest::keyClick(browser->windowHandle(), Qt::Key_Return);
            EXPECT_EQ(form->Session().MainZip.ZipFileName, folder + "/plain.zip");
            dialog->reject();
        });
        open(*form);
        EXPECT_TRUE(seen);
    }
    browser->close();
}

TEST_F(BrowseTest, HelpAndPlacement) {
    auto form = NewForm();
    TFrmBrowse *browser = BrowseArchives1Click(*form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(browser));
    QTest::keyClick(browser, Qt::Key_F1);
    const auto help = desktop_->requestsOf(Kind::Help);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].help.context, 1048);
    browser->close();
    QApplication::processEvents();
    EXPECT_TRUE(IniText().contains("FrmBrowse=")) << IniText().toStdString();
}

TEST(BrowseRowTest, CommentsDrawTheirFirstLine) {
    const struct {
        const char *comment;
        const char *shown;
    } cases[] = {{"plain", "plain"},
                 {"first\r\nsecond", "first"},
                 {"first\nsecond", "first"},
                 {"tab\there\x01", "tab here "},
                 {"", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(browse::FirstLine(QString::fromUtf8(c.comment)), c.shown) << c.comment;
}
