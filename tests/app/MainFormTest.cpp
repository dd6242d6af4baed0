// The main window as the program creates it: layout, titles, enabling,
// busy state, result reports, menus and help.
#include "AppTestSupport.h"

#include "FilesLbDelegate.h"

#include "MainForm.h"
#include "MenuTables.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using platform::MsgKind;
using platform::MsgResult;
using Kind = platform::testing::ScriptedDesktop::Kind;

namespace {

QAction *ItemOf(const TMainFormFm &form, const char *name) {
    auto *item = form.findChild<QAction *>(QString::fromLatin1(name));
    EXPECT_NE(item, nullptr) << name;
    return item;
}

QToolButton *ButtonOf(const TMainFormFm &form, const char *name) {
    auto *button = form.findChild<QToolButton *>(QString::fromLatin1(name));
    EXPECT_NE(button, nullptr) << name;
    return button;
}

bool Enabled(const TMainFormFm &form, const char *name) {
    return ItemOf(form, name)->isEnabled();
}

} // namespace

class MainFormTest : public AppTest {};

TEST_F(MainFormTest, EveryControlAndItemCarriesItsDesignName) {
    auto form = NewForm();
    for (const char *name :
         {"Panel2", "Banner1", "Panel1", "FilesHd", "FilesLb", "StatusBar1", "ProgressBar2",
          "TempFiles", "MainMn", "FileMn", "EditMn", "OptionsMn", "HelpMn", "PopupMenu1"})
        EXPECT_NE(form->findChild<QWidget *>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_NE(form->findChild<QTimer *>(QStringLiteral("Timer1")), nullptr);
    for (const TToolButtonSpec &spec : ToolButtons()) {
        QToolButton *button = ButtonOf(*form, spec.Name);
        EXPECT_EQ(button->geometry(), QRect(spec.X, 4, 38, 38)) << spec.Name;
        EXPECT_EQ(button->statusTip(), QString::fromLatin1(spec.Hint));
    }
    for (auto table : {FileMenuItems(), FixMenuItems(), FileMenuTail(), EditMenuItems(),
                       OptionsMenuItems(), HelpMenuItems()}) {
        for (const TMenuItemSpec &spec : table) {
            QAction *item = ItemOf(*form, spec.Name);
            if (QLatin1String(spec.Caption) == QLatin1String("-")) {
                EXPECT_TRUE(item->isSeparator()) << spec.Name;
                continue;
            }
            EXPECT_EQ(item->text(), QString::fromLatin1(spec.Caption));
            EXPECT_EQ(item->shortcut(), QKeySequence(QString::fromLatin1(spec.Shortcut)));
            EXPECT_EQ(item->statusTip(), QString::fromLatin1(spec.Hint));
            EXPECT_EQ(item->property("HelpContext").toInt(), spec.HelpContext);
        }
    }
    EXPECT_EQ(ItemOf(*form, "FileCloseMn")->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(ItemOf(*form, "FileCloseMn")->property("HelpContext").toInt(), 1003);
    EXPECT_TRUE(ItemOf(*form, "SaveSettingsonExit1")->isChecked());
    auto *popup = form->findChild<QMenu *>(QStringLiteral("PopupMenu1"));
    EXPECT_EQ(popup->actions().size(), 12);
    EXPECT_EQ(popup->actions().at(3)->text(), QStringLiteral("&View File "));

    auto *header = form->findChild<QHeaderView *>(QStringLiteral("FilesHd"));
    // Clickable to sort by a column; until a click the rows show no arrow.
    EXPECT_TRUE(header->sectionsClickable());
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_EQ(header->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Path"));

    // The banner appears at the first tick of the timer.
    auto *banner = form->findChild<QWidget *>(QStringLiteral("Banner1"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return banner->isVisible(); }, 2000));
    EXPECT_EQ(banner->geometry(), QRect(3, 4, 468, 60));
}

TEST_F(MainFormTest, StartWithoutArchive) {
    auto form = NewForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Untitled - Tarnwick for Windows 95"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), form->windowTitle());
    for (const char *name : {"SpdBtnClose", "SpdBtnInfo", "SpdBtnAdd", "SpdBtnRemove",
                             "SpdBtnExtract", "SpdBtnView", "AbortSb"})
        EXPECT_FALSE(ButtonOf(*form, name)->isEnabled()) << name;
    for (const char *name : {"SpdBtnNew", "SpdBtnOpen", "SpdBtnOptions", "SpdBtnHelp"})
        EXPECT_TRUE(ButtonOf(*form, name)->isEnabled()) << name;
    EXPECT_TRUE(form->RowTexts().isEmpty());
    EXPECT_EQ(form->Session().MainZip.ZipFileName, QString());
}

TEST_F(MainFormTest, StartWithQuotedArchivePathHoldingBlanks) {
    QDir(temp_.path()).mkpath(QStringLiteral("my folder/with blanks"));
    const QString path = MakeZip(QStringLiteral("my folder/with blanks/three.zip"),
                                 {{QStringLiteral("b.txt"), QByteArray(1000, 'b')},
                                  {QStringLiteral("A.txt"), QByteArray(2500, 'a')},
                                  {QStringLiteral("docs/sub/README.TXT"), QByteArray("read me")}});
    auto form = std::make_unique<TMainFormFm>(QStringList{path});
    EXPECT_EQ(form->windowTitle(), QStringLiteral("three.zip - Tarnwick for Windows 95"));
    const QString totals = form->StatusText();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QStringList rows = form->RowTexts();
    ASSERT_EQ(rows.size(), 3);
    // Sorted by row text, ignoring case.
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral("A.txt\t")));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("b.txt\t")));
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral("docs/sub/README.TXT\t")));
    const QStringList fields = rows[0].split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 6);
    EXPECT_EQ(fields[3], QStringLiteral("2,500"));
    EXPECT_TRUE(fields[5].endsWith(QLatin1Char('%')));
    EXPECT_TRUE(totals.startsWith(QStringLiteral("3 Entries, 3,507 Bytes, ")))
        << totals.toStdString();
    EXPECT_TRUE(totals.endsWith(QStringLiteral(" Bytes.")));
    EXPECT_EQ(form->TotalsHint(), totals);
    // The list keeps the totals as its hint: over it, panel 0 shows them again.
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    QTest::mouseMove(form->findChild<QWidget *>(QStringLiteral("Panel1")), QPoint(200, 20));
    QTest::mouseMove(list->viewport(), QPoint(100, 100));
    EXPECT_EQ(form->StatusText(), totals);
    QTest::mouseMove(form->findChild<QWidget *>(QStringLiteral("SpdBtnOpen")), QPoint(5, 5));
    EXPECT_EQ(form->StatusText(), QStringLiteral("Open an Existing Archive "));
    for (const char *name : {"SpdBtnClose", "SpdBtnInfo", "SpdBtnAdd"})
        EXPECT_TRUE(ButtonOf(*form, name)->isEnabled()) << name;
    EXPECT_FALSE(ButtonOf(*form, "SpdBtnRemove")->isEnabled());
    // The command line does not touch the recent list.
    EXPECT_FALSE(IniText().contains(QStringLiteral("MRU1")));
}

TEST_F(MainFormTest, EnablingTablesInTheirDistinguishingStates) {
    const QString path = MakeZip(QStringLiteral("two.zip"),
                                 {{QStringLiteral("x.txt"), "x"}, {QStringLiteral("y.txt"), "y"}});
    auto form = NewForm();
    form->FileMnClick();
    EXPECT_FALSE(Enabled(*form, "FileCloseMn"));
    EXPECT_FALSE(Enabled(*form, "CopyArchive1"));
    EXPECT_TRUE(Enabled(*form, "FileTestMn"));
    EXPECT_TRUE(Enabled(*form, "FileFixMn"));
    form->EditMnClick();
    EXPECT_FALSE(Enabled(*form, "EditAddMn"));
    EXPECT_FALSE(Enabled(*form, "EditSelectAllMn"));

    form->MultidiskmodeMnClick();
    form->OptionsMnClick();
    EXPECT_TRUE(ItemOf(*form, "MultidiskmodeMn")->isChecked());
    form->FileMnClick();
    EXPECT_FALSE(Enabled(*form, "FileFixMn"));
    EXPECT_TRUE(Enabled(*form, "FileTestMn"));

    form->OpenZipFile(path);
    ASSERT_EQ(form->RowTexts().size(), 2);
    form->PopupMenu1Popup();
    EXPECT_FALSE(Enabled(*form, "EditAddMn"));
    EXPECT_FALSE(Enabled(*form, "EditCreateGroupIcons1"));
    EXPECT_FALSE(Enabled(*form, "AddFile1"));
    EXPECT_FALSE(Enabled(*form, "CreateGroupsIcons1"));
    EXPECT_FALSE(Enabled(*form, "EditUpdateMn"));
    EXPECT_TRUE(Enabled(*form, "SelectAll1"));
    EXPECT_TRUE(Enabled(*form, "CloseArchive1"));
    EXPECT_FALSE(Enabled(*form, "FileTestMn"));
    EXPECT_FALSE(Enabled(*form, "RemoveFile1"));

    form->EditSelectAllMnClick();
    EXPECT_EQ(form->SelectedCount(), 2);
    EXPECT_TRUE(ButtonOf(*form, "SpdBtnRemove")->isEnabled());
    form->PopupMenu1Popup();
    EXPECT_FALSE(Enabled(*form, "RemoveFile1")); // multidisk mode
    EXPECT_TRUE(Enabled(*form, "ExtractFile1"));
    form->MultidiskmodeMnClick();
    form->PopupMenu1Popup();
    EXPECT_TRUE(Enabled(*form, "RemoveFile1"));
    EXPECT_TRUE(Enabled(*form, "AddFile1"));
    form->DeselectAll2Click();
    EXPECT_EQ(form->SelectedCount(), 0);
    EXPECT_FALSE(ButtonOf(*form, "SpdBtnView")->isEnabled());

    // An open archive with an empty list takes adds even in multidisk mode.
    form->MultidiskmodeMnClick();
    desktop_->answerFiles({TempPath(QStringLiteral("new.zip"))});
    form->FileNewMnClick();
    form->EditMnClick();
    EXPECT_TRUE(Enabled(*form, "EditAddMn"));
    EXPECT_TRUE(Enabled(*form, "EditCreateGroupIcons1"));
    EXPECT_FALSE(Enabled(*form, "EditUpdateZIPDateMn"));
    EXPECT_FALSE(Enabled(*form, "AddComment1"));
}

TEST_F(MainFormTest, FormResizeBelowAndAbove445Pixels) {
    auto form = NewForm();
    auto *bar = form->findChild<QProgressBar *>(QStringLiteral("ProgressBar2"));
    auto *panel0 = form->findChild<QLabel *>(QStringLiteral("StatusPanel0"));
    form->resize(400, 300);
    ASSERT_LT(form->frameGeometry().width(), 445);
    QTest::qWait(20);
    const int statusTop = form->statusBar()->y();
    const int width = form->frameGeometry().width();
    EXPECT_EQ(panel0->width(), 260);
    EXPECT_EQ(bar->geometry(), QRect(264, statusTop + 4, width - 287, 13));
    form->resize(700, 300);
    QTest::qWait(20);
    const int wide = form->frameGeometry().width();
    EXPECT_EQ(panel0->width(), wide - 180);
    EXPECT_EQ(bar->geometry(), QRect(wide - 175, form->statusBar()->y() + 4, 153, 13));
}

TEST_F(MainFormTest, HelpMenuRequestsAndReadMeFallback) {
    auto form = NewForm();
    ItemOf(*form, "HelpTopics1")->trigger();
    ItemOf(*form, "Searchforhelpon1")->trigger();
    ItemOf(*form, "HowtoUseHelp2")->trigger();
    ItemOf(*form, "QuickStartTutorial1")->trigger();
    const auto help = desktop_->requestsOf(Kind::Help);
    ASSERT_EQ(help.size(), 4u);
    using Command = platform::HelpRequest::Command;
    EXPECT_EQ(help[0].help.command, Command::Contents);
    EXPECT_EQ(help[1].help.command, Command::PartialKey);
    EXPECT_EQ(help[1].help.key, QString());
    EXPECT_EQ(help[2].help.command, Command::HelpOnHelp);
    EXPECT_EQ(help[3].help.command, Command::Context);
    EXPECT_EQ(help[3].help.context, 1036);

    desktop_->answerShellOpen(2).answerShellOpen(33);
    ItemOf(*form, "ReadMeFile1")->trigger();
    const auto opens = desktop_->requestsOf(Kind::ShellOpen);
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_TRUE(opens[0].path.endsWith(QStringLiteral("/README.DOC")));
    EXPECT_EQ(opens[1].path, QStringLiteral("notepad.exe"));
    EXPECT_TRUE(opens[1].parameter.endsWith(QStringLiteral("/README.TXT")));
}

TEST_F(MainFormTest, DoubleClickRunsTheMouseActionOnTheSelection) {
    const QString path = MakeZip(QStringLiteral("one.zip"), {{QStringLiteral("x.txt"), "x"}});
    WriteIni(QStringLiteral("[Settings]\nMouseAction=2\n"));
    auto form = NewForm({path});
    QStringList ran;
    for (const char *name : {"EditView1", "EditExtractMn", "EditDeleteMn"}) {
        const QString item = QString::fromLatin1(name);
        form->SetCommandHandler(item, [&ran, item] { ran << item; });
    }
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    const QPoint row = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row);
    EXPECT_EQ(form->LastMouseDownPoint, row);
    EXPECT_EQ(form->SelectedCount(), 1);
    EXPECT_TRUE(ButtonOf(*form, "SpdBtnView")->isEnabled());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row);
    EXPECT_EQ(ran, QStringList{QStringLiteral("EditDeleteMn")});
    form->Settings.MouseAction = 0;
    form->FilesLbDblClick();
    form->Settings.MouseAction = 7;
    form->FilesLbDblClick();
    EXPECT_EQ(ran, (QStringList{QStringLiteral("EditDeleteMn"), QStringLiteral("EditView1")}));
    // The toolbar buttons run the same commands as their menu twins.
    ButtonOf(*form, "SpdBtnExtract")->click();
    EXPECT_EQ(ran.last(), QStringLiteral("EditExtractMn"));
}

TEST_F(MainFormTest, F1OnAHighlightedItemAsksForItsHelpTopic) {
    auto form = NewForm();
    auto *file = form->findChild<QMenu *>(QStringLiteral("FileMn"));
    file->popup(form->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    file->setActiveAction(ItemOf(*form, "FileOpenMn"));
    QTest::keyClick(file, Qt::Key_F1);
    const auto help = desktop_->requestsOf(Kind::Help);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].help.command, platform::HelpRequest::Command::Context);
    EXPECT_EQ(help[0].help.context, 1026);
    EXPECT_FALSE(file->isVisible());
}

TEST_F(MainFormTest, ClosingDeletesTheTemporaryFiles) {
    auto form = NewForm();
    auto *list = form->findChild<QListWidget *>(QStringLiteral("TempFiles"));
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->isVisible());
    const QString first = TempPath(QStringLiteral("view1.txt"));
    const QString second = TempPath(QStringLiteral("view2.txt"));
    for (const QString &path : {first, second}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        list->addItem(path);
    }
    list->addItem(TempPath(QStringLiteral("never-made.txt")));
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_FALSE(QFile::exists(second));
}

TEST_F(MainFormTest, BusyListDrawsEveryRowInGreyText) {
    const QString path = MakeZip(QStringLiteral("one.zip"), {{QStringLiteral("WWWWWW.txt"), "x"}});
    auto form = NewForm({path});
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    form->EditSelectAllMnClick();
    const QRect row = list->visualRect(list->model()->index(0, 0));
    auto colours = [&] {
        const QImage image = list->viewport()->grab(row).toImage();
        QSet<QRgb> found;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                found.insert(image.pixel(x, y));
        return found;
    };
    const QPalette palette = list->palette();
    const QRgb grey = palette.color(QPalette::Disabled, QPalette::WindowText).rgb();
    const QRgb highlightText = palette.color(QPalette::Active, QPalette::HighlightedText).rgb();
    EXPECT_TRUE(colours().contains(highlightText));
    form->SetBusy(false);
    const QSet<QRgb> busy = colours();
    EXPECT_TRUE(busy.contains(grey));
    EXPECT_FALSE(busy.contains(highlightText));
    form->SetBusy(true);
}

// A number too wide for its column ends in an ellipsis, never cut to its last
// digits, which would read as another number.
TEST_F(MainFormTest, NumbersTooWideForTheirCellAreElided) {
    const QFontMetrics metrics(QApplication::font());
    const QString number = QStringLiteral("80,000,000");
    const int full = metrics.horizontalAdvance(number);
    EXPECT_EQ(TFilesLbDelegate::FitCellText(number, full, metrics), number);
    const QString shown = TFilesLbDelegate::FitCellText(number, full - 1, metrics);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)) && number.startsWith(shown.chopped(1)))
        << shown.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(shown), full - 1);
}
