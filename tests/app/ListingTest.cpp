// Opening, listing and closing archives through the real extracting engine:
// row texts, their order, totals, progress and the not-found code.
#include "AppTestSupport.h"

#include "MainForm.h"
#include "ZipEngine.h"

#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QListView>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>

using platform::MsgResult;

class ListingTest : public AppTest {};

TEST_F(ListingTest, HundredEntriesListWithoutProgressAndHundredAndOneWithIt) {
    const QString hundred = MakeZipOfCount(QStringLiteral("100.zip"), 100);
    const QString hundredOne = MakeZipOfCount(QStringLiteral("101.zip"), 101);
    auto form = NewForm();
    auto *bar = form->findChild<QProgressBar *>(QStringLiteral("ProgressBar2"));
    QStringList texts;
    int highest = 0;
    TZipEngine::SetMessagePump([&] {
        texts << form->StatusText();
        highest = std::max(highest, bar->value());
    });
    form->OpenZipFile(hundred);
    EXPECT_EQ(form->RowTexts().size(), 100);
    EXPECT_FALSE(texts.join(QString()).contains(QStringLiteral("Reading")));
    EXPECT_EQ(highest, 0);

    texts.clear();
    form->OpenZipFile(hundredOne);
    TZipEngine::SetMessagePump([] { QCoreApplication::processEvents(); });
    EXPECT_EQ(form->RowTexts().size(), 101);
    EXPECT_TRUE(texts.contains(QStringLiteral("Reading 101 items...")));
    EXPECT_GT(highest, 50);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(form->StatusText(), QStringLiteral("101 Entries, 1,010 Bytes, 1,010 Bytes."));
}

TEST_F(ListingTest, EveryEntryHasARowInRowTextOrderIgnoringCase) {
    // 600 entries with 100-character names, far past the 64,000 characters
    // of rows an older list held, written in reverse; then names whose order
    // hangs on case, on a name ending where another goes on, and on
    // characters beyond ASCII.
    const QString path = TempPath(QStringLiteral("long.zip"));
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, zipfile\n"
                        "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_STORED)\n"
                        "names = ['%04d' % i + 'n' * 96 for i in reversed(range(600))]\n"
                        "names += ['b.txt', 'A.TXT', 'a.txt', 'ab!', 'ab', '\\u00c9.txt',\n"
                        "          'z.txt', '\\u00e9.txt', 'e.txt', 'a_b', 'a[b']\n"
                        "for name in names:\n"
                        "    z.writestr(zipfile.ZipInfo(name, (2024, 1, 2, 3, 4, 6)), b'y' * 7)\n"
                        "z.close()\n"),
         path});
    ASSERT_TRUE(python.waitForFinished(60000));
    auto form = NewForm({path});
    const QStringList rows = form->RowTexts();
    ASSERT_EQ(rows.size(), 611);
    for (qsizetype i = 0; i + 1 < rows.size(); ++i)
        EXPECT_LE(rows[i].compare(rows[i + 1], Qt::CaseInsensitive), 0) << i;
    // Rows equal but for case stay in engine order.
    const auto rowOf = [&rows](const char *name) {
        return rows.indexOf(
            QRegularExpression(QStringLiteral("^") + QLatin1String(name) + QStringLiteral("\t.*")));
    };
    EXPECT_LT(rowOf("A.TXT"), rowOf("a.txt"));
    EXPECT_EQ(rowOf("ab") + 1, rowOf("ab!"));
    EXPECT_TRUE(rows.first().startsWith(QStringLiteral("0000")));
    EXPECT_EQ(form->TotalsHint(), QStringLiteral("611 Entries, 4,277 Bytes, 4,277 Bytes."));
    form->EditSelectAllMnClick();
    EXPECT_EQ(form->SelectedCount(), 611);
}

TEST_F(ListingTest, MissingArchiveListsEmptyWithoutMessage) {
    auto form = NewForm();
    const QString missing = TempPath(QStringLiteral("gone.zip"));
    form->OpenZipFile(missing);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("gone.zip - Tarnwick for Windows 95"));
    EXPECT_TRUE(form->RowTexts().isEmpty());
    // Also outside the quiet open: 100 is never reported by the listing.
    desktop_->answerFiles({missing});
    form->FileOpenMnClick();
    EXPECT_TRUE(desktop_->messages().empty());
    EXPECT_EQ(form->StatusText(), QStringLiteral("0 Entries, 0 Bytes, 0 Bytes."));
}

TEST_F(ListingTest, EntryPastFourGibibytesShowsItsTrueSize) {
    const QString path = TempPath(QStringLiteral("sparse.zip"));
    const quint64 size = (quint64(1) << 32) + 100;
    ASSERT_TRUE(WriteSparseZip64(path, "big/disk.img", size));
    auto form = NewForm({path});
    const QStringList rows = form->RowTexts();
    ASSERT_EQ(rows.size(), 1);
    const QStringList fields = rows.first().split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 6);
    EXPECT_EQ(fields[3], QStringLiteral("4,294,967,396"));
    EXPECT_EQ(fields[4], QStringLiteral("4,294,967,396"));
    EXPECT_EQ(form->TotalsHint(),
              QStringLiteral("1 Entries, 4,294,967,396 Bytes, 4,294,967,396 Bytes."));
}

TEST_F(ListingTest, NewOpenAndClose) {
    const QString existing = MakeZip(QStringLiteral("old.zip"), {{QStringLiteral("a"), "a"}});
    auto form = NewForm();
    desktop_->answerFiles({existing});
    form->FileNewMnClick();
    const auto dialogs = desktop_->requestsOf(platform::testing::ScriptedDesktop::Kind::FileDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].fileDialog.title, QStringLiteral("New Archive"));
    EXPECT_EQ(dialogs[0].fileDialog.filter,
              QStringLiteral("Zip file (*.ZIP)|*.ZIP|All files (*.*)|*.*"));
    EXPECT_TRUE(dialogs[0].fileDialog.overwritePrompt);
    EXPECT_FALSE(QFile::exists(existing)); // replaced by the new, empty archive
    EXPECT_EQ(form->windowTitle(), QStringLiteral("old.zip - Tarnwick for Windows 95"));
    EXPECT_EQ(form->StatusText(), QStringLiteral("0 Entries, 0 Bytes, 0 Bytes."));
    EXPECT_EQ(form->Settings.LastDirectory, temp_.path());

    const QString three = MakeZip(
        QStringLiteral("three.zip"),
        {{QStringLiteral("a"), "a"}, {QStringLiteral("b"), "bb"}, {QStringLiteral("c"), "ccc"}});
    desktop_->answerFiles({three});
    form->FileOpenMnClick();
    const auto opens = desktop_->requestsOf(platform::testing::ScriptedDesktop::Kind::FileDialog);
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[1].fileDialog.title, QStringLiteral("Open Archive"));
    EXPECT_EQ(opens[1].fileDialog.initialDir, temp_.path());
    EXPECT_TRUE(opens[1].fileDialog.fileMustExist);
    EXPECT_EQ(form->RowTexts().size(), 3);
    EXPECT_TRUE(form->StatusText().startsWith(QStringLiteral("3 Entries, 6 Bytes, ")));

    form->FileCloseMnClick();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Untitled - Tarnwick for Windows 95"));
    EXPECT_TRUE(form->RowTexts().isEmpty());
    EXPECT_EQ(form->StatusText(), QString());
    desktop_->cancelFileDialog();
    form->FileOpenMnClick();
    EXPECT_EQ(form->StatusText(), QStringLiteral("0 Entries, 0 Bytes, 0 Bytes."));
    EXPECT_EQ(form->Session().BusyCount, 0);
}

TEST_F(ListingTest, SelectedRowsAreHighlightedInEveryColumn) {
    const QString archive = MakeZip(QStringLiteral("sel.zip"), {{"a.txt", "alpha"}});
    auto form = NewForm();
    form->OpenZipFile(archive);
    form->EditSelectAllMnClick();
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    auto *header = form->findChild<QHeaderView *>(QStringLiteral("FilesHd"));
    const QImage image = list->viewport()->grab().toImage();
    const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
    // The left edge of every column's cell in the first row.
    for (int k = 0; k < 6; ++k) {
        const int x = header->sectionViewportPosition(k) + 1;
        EXPECT_EQ(image.pixelColor(x, 1), highlight) << "column " << k;
    }
}

TEST_F(ListingTest, ClickedHeaderSortsAndSelectedRowsStayTheirEntries) {
    const QString path =
        MakeZip(QStringLiteral("sizes.zip"), {{QStringLiteral("a"), QByteArray(300, 'a')},
                                              {QStringLiteral("b"), "b"},
                                              {QStringLiteral("c"), QByteArray(20, 'c')}});
    auto form = NewForm({path});
    auto *header = form->findChild<QHeaderView *>(QStringLiteral("FilesHd"));
    auto *list = form->findChild<QListView *>(QStringLiteral("FilesLb"));
    const auto click = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, 8));
    };
    const auto shown = [&] {
        QString first;
        for (const QString &row : form->RowTexts())
            first += row.at(0);
        return first;
    };
    EXPECT_FALSE(header->isSortIndicatorShown());
    list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select);

    click(3); // Size
    EXPECT_EQ(shown(), QStringLiteral("bca"));
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 3);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(form->SelectedEntries().Names, QStringList{QStringLiteral("c")});
    EXPECT_EQ(form->SelectedEntries().Positions, QList<std::int32_t>{3});
    EXPECT_TRUE(list->selectionModel()->isSelected(list->model()->index(1, 0)));

    click(3);
    EXPECT_EQ(shown(), QStringLiteral("acb"));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // A command takes the rows as they are seen.
    list->clearSelection();
    list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::Select);
    EXPECT_EQ(form->SelectedEntries().Names, QStringList{QStringLiteral("a")});
    EXPECT_EQ(form->SelectedEntries().Positions, QList<std::int32_t>{1});

    form->ListArchiveContents();
    EXPECT_EQ(shown(), QStringLiteral("acb"));
    form->OpenZipFile(path);
    EXPECT_EQ(shown(), QStringLiteral("abc"));
    EXPECT_FALSE(header->isSortIndicatorShown());
}

TEST_F(ListingTest, SelectMatchingSaysHowManyRowsAreSelected) {
    auto form = NewForm({MakeZipOfCount(QStringLiteral("ten.zip"), 10)});
    desktop_->answerText(QStringLiteral("*"));
    form->RunItemCommand(QStringLiteral("EditSelectMatchingMn"));
    EXPECT_EQ(form->SelectedCount(), 10);
    EXPECT_EQ(form->StatusText(), QStringLiteral("10 Entries selected."));
}
