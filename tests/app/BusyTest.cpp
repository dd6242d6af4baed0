// The busy state: nesting, what it locks, the abort button, the shortcuts
// it blocks and the close it refuses; and the result report in the window.
#include "AppTestSupport.h"

#include "BusyScope.h"
#include "MainForm.h"

#include <QAction>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include <stdexcept>

using platform::MsgKind;
using platform::MsgResult;

namespace {

QToolButton *ButtonOf(const TMainFormFm &form, const char *name) {
    return form.findChild<QToolButton *>(QString::fromLatin1(name));
}

bool MenusEnabled(const TMainFormFm &form) {
    bool all = true;
    for (const char *name : {"FileMn", "EditMn", "OptionsMn", "HelpMn"})
        all = all && form.findChild<QMenu *>(QString::fromLatin1(name))->menuAction()->isEnabled();
    return all;
}

} // namespace

class BusyTest : public AppTest {};

TEST_F(BusyTest, NestingLocksTheWindowUntilTheOuterCommandLeaves) {
    auto form = NewForm();
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    auto *bar = form->findChild<QProgressBar *>(QStringLiteral("ProgressBar2"));
    ASSERT_FALSE(form->Session().MainZip.UseTempFile);
    form->SetBusy(false);
    form->SetBusy(false);
    EXPECT_EQ(form->Session().BusyCount, 2);
    EXPECT_FALSE(MenusEnabled(*form));
    EXPECT_FALSE(list->isEnabled());
    EXPECT_FALSE(ButtonOf(*form, "SpdBtnOpen")->isEnabled());
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);

    bar->setValue(40);
    form->SetBusy(true);
    // The inner leave already shows the totals and resets the bar ...
    EXPECT_EQ(form->StatusText(), QStringLiteral("0 Entries, 0 Bytes, 0 Bytes."));
    EXPECT_EQ(bar->value(), 0);
    // ... but the window stays locked until the outer command leaves.
    EXPECT_FALSE(MenusEnabled(*form));
    EXPECT_FALSE(list->isEnabled());
    form->SetBusy(true);
    EXPECT_EQ(form->Session().BusyCount, 0);
    EXPECT_TRUE(MenusEnabled(*form));
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(ButtonOf(*form, "SpdBtnOpen")->isEnabled());
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
    form->SetBusy(true);
    EXPECT_EQ(form->Session().BusyCount, 0);
}

TEST_F(BusyTest, BusyScopeNestsAndLeavesWhenAnErrorEndsTheCommand) {
    auto form = NewForm();
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    {
        const TBusyScope command(*form);
        try {
            const TBusyScope inner(*form);
            EXPECT_EQ(form->Session().BusyCount, 2);
            throw std::runtime_error("disk gone");
        } catch (const std::runtime_error &) {
        }
        EXPECT_EQ(form->Session().BusyCount, 1);
        EXPECT_FALSE(list->isEnabled());
    }
    EXPECT_FALSE(form->IsBusy());
    EXPECT_TRUE(list->isEnabled());
}

TEST_F(BusyTest, AbortIsArmedExactlyWhileBusyWhateverUseTempFileSays) {
    for (const bool useTempFile : {false, true}) {
        SCOPED_TRACE(useTempFile);
        WriteIni(QStringLiteral("[Settings]\nUseTempFile=%1\n").arg(int(useTempFile)));
        auto form = NewForm();
        ASSERT_EQ(form->Session().MainZip.UseTempFile, useTempFile);
        EXPECT_FALSE(ButtonOf(*form, "AbortSb")->isEnabled());
        form->SetBusy(false);
        EXPECT_TRUE(ButtonOf(*form, "AbortSb")->isEnabled());
        for (const char *name :
             {"SpdBtnNew", "SpdBtnOpen", "SpdBtnClose", "SpdBtnOptions", "SpdBtnHelp", "SpdBtnAdd"})
            EXPECT_FALSE(ButtonOf(*form, name)->isEnabled()) << name;
        form->SetBusy(true);
        EXPECT_FALSE(ButtonOf(*form, "AbortSb")->isEnabled());
    }
}

TEST_F(BusyTest, ShortcutsRunTheEnablingRulesAndAreBlockedWhileBusy) {
    const QString path = MakeZip(QStringLiteral("two.zip"),
                                 {{QStringLiteral("x.txt"), "x"}, {QStringLiteral("y.txt"), "y"}});
    auto form = NewForm({path});
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    ASSERT_EQ(form->RowTexts().size(), 2);
    list->setFocus();

    form->SetBusy(false);
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(form->SelectedCount(), 0);
    QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(form->Session().MainZip.ZipFileName, path);
    form->SetBusy(true);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(form->SelectedCount(), 2);
    EXPECT_TRUE(ButtonOf(*form, "SpdBtnExtract")->isEnabled());
    QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(form->SelectedCount(), 0);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(form->Session().MainZip.ZipFileName, QString());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Untitled - Tarnwick for Windows 95"));
    // Select All on the now empty list is disabled, so the shortcut does nothing.
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(form->findChild<QAction *>(QStringLiteral("EditSelectAllMn"))->isEnabled());
}

TEST_F(BusyTest, CloseIsRefusedWhileBusy) {
    auto form = NewForm();
    form->SetBusy(false);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    form->SetBusy(true);
    EXPECT_TRUE(form->close());
}

TEST_F(BusyTest, ShowZipResultShowsAtMostOneBoxAndHonoursQuietOpen) {
    auto form = NewForm();
    for (const int code : {0, 10}) {
        TSessionOutcome outcome;
        outcome.Code = code;
        EXPECT_EQ(form->ShowOutcome(outcome, QStringLiteral("adding")), code == 0 ? 0 : 1);
        EXPECT_EQ(outcome.Class, code == 0 ? 0 : 1);
        EXPECT_EQ(outcome.Reported, code != 0);
    }
    EXPECT_TRUE(desktop_->messages().empty());

    desktop_->answerMessage(MsgResult::OK);
    EXPECT_EQ(form->ShowZipResult(40, QStringLiteral("adding")), 1);
    desktop_->answerMessage(MsgResult::OK);
    EXPECT_EQ(form->ShowZipResult(130, QStringLiteral("updating")), 2);
    const auto messages = desktop_->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].kind, MsgKind::Information);
    EXPECT_EQ(messages[0].text, QStringLiteral("Some files were skipped while adding."));
    EXPECT_EQ(messages[0].buttons, platform::MsgButtons(platform::MsgButton::OK));
    EXPECT_EQ(messages[1].kind, MsgKind::Error);
    EXPECT_EQ(messages[1].text,
              QStringLiteral("An error occured while updating the specified files."));

    form->QuietOpen = true;
    EXPECT_EQ(form->ShowZipResult(130, QStringLiteral("updating")), 0);
    desktop_->answerMessage(MsgResult::OK);
    EXPECT_EQ(form->ShowZipResult(110, QStringLiteral("reading")), 2);
    EXPECT_EQ(desktop_->messages().size(), 3u);
}
