// Opening, listing and closing archives through the real extracting engine:
// row texts, totals, progress, the row-text budget and the not-found code.
#include "AppTestSupport.h"

#include "MainForm.h"
#include "ZipEngine.h"

#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QListView>
#include <QProcess>
#include <QProgressBar>
#include <QTest>

using platform::MsgResult;

namespace {

void Put16(QByteArray &out, quint16 v) {
    out.append(char(v & 0xFF)).append(char(v >> 8));
}
void Put32(QByteArray &out, quint32 v) {
    Put16(out, quint16(v & 0xFFFF));
    Put16(out, quint16(v >> 16));
}
void Put64(QByteArray &out, quint64 v) {
    Put32(out, quint32(v & 0xFFFFFFFFu));
    Put32(out, quint32(v >> 32));
}

// One stored entry of `size` zero bytes (past 4 GiB) in a ZIP64 archive
// whose data is a hole in a sparse file.
bool WriteSparseZip64(const QString &path, const QByteArray &name, quint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // Listing reads only the central directory, so the CRC is left 0.
    const quint32 crc = 0;
    const quint16 dosTime = (13 << 11) | (45 << 5) | 15,
                  dosDate = ((2024 - 1980) << 9) | (5 << 5) | 17;

    QByteArray local;
    Put32(local, 0x04034b50);
    Put16(local, 45);
    Put16(local, 0);
    Put16(local, 0);
    Put16(local, dosTime);
    Put16(local, dosDate);
    Put32(local, crc);
    Put32(local, 0xFFFFFFFFu);
    Put32(local, 0xFFFFFFFFu);
    Put16(local, quint16(name.size()));
    Put16(local, 20);
    local.append(name);
    Put16(local, 1);
    Put16(local, 16);
    Put64(local, size);
    Put64(local, size);
    file.write(local);
    const quint64 centralOffset = quint64(local.size()) + size;

    QByteArray central;
    Put32(central, 0x02014b50);
    Put16(central, 45);
    Put16(central, 45);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, dosTime);
    Put16(central, dosDate);
    Put32(central, crc);
    Put32(central, 0xFFFFFFFFu);
    Put32(central, 0xFFFFFFFFu);
    Put16(central, quint16(name.size()));
    Put16(central, 20);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0);
    Put32(central, 0);
    central.append(name);
    Put16(central, 1);
    Put16(central, 16);
    Put64(central, size);
    Put64(central, size);

    QByteArray tail;
    const quint64 zip64End = centralOffset + quint64(central.size());
    Put32(tail, 0x06064b50);
    Put64(tail, 44);
    Put16(tail, 45);
    Put16(tail, 45);
    Put32(tail, 0);
    Put32(tail, 0);
    Put64(tail, 1);
    Put64(tail, 1);
    Put64(tail, quint64(central.size()));
    Put64(tail, centralOffset);
    Put32(tail, 0x07064b50);
    Put32(tail, 0);
    Put64(tail, zip64End);
    Put32(tail, 1);
    Put32(tail, 0x06054b50);
    Put16(tail, 0);
    Put16(tail, 0);
    Put16(tail, 0xFFFF);
    Put16(tail, 0xFFFF);
    Put32(tail, 0xFFFFFFFFu);
    Put32(tail, 0xFFFFFFFFu);
    Put16(tail, 0);
    if (!file.seek(qint64(centralOffset)))
        return false;
    file.write(central);
    file.write(tail);
    return true;
}

} // namespace

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

TEST_F(ListingTest, RowBudgetKeepsTheTotalsComplete) {
    // 600 entries with 100-character names: far past 64,000 characters of rows.
    const QString path = TempPath(QStringLiteral("long.zip"));
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, zipfile\n"
                        "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_STORED)\n"
                        "for i in range(600):\n"
                        "    z.writestr(zipfile.ZipInfo('%04d' % i + 'n' * 96), b'y' * 7)\n"
                        "z.close()\n"),
         path});
    ASSERT_TRUE(python.waitForFinished(60000));
    auto form = NewForm({path});
    const QStringList rows = form->RowTexts();
    ASSERT_GT(rows.size(), 100);
    ASSERT_LT(rows.size(), 600);
    qint64 length = 0;
    for (const QString &row : rows)
        length += row.size();
    EXPECT_GE(length, 64000);
    EXPECT_LT(length - rows.last().size(), 64000);
    // The first rows in engine order are the ones kept.
    EXPECT_TRUE(rows.first().startsWith(QStringLiteral("0000")));
    EXPECT_EQ(form->TotalsHint(),
              QString::number(rows.size()) + QStringLiteral(" Entries, 4,200 Bytes, 4,200 Bytes."));
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
    EXPECT_EQ(form->BusyCount, 0);
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
