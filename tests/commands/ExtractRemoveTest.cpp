// Extract and Remove on real archives through the real engines: the
// extract methods, paths, a large archive, removal in list order and a
// changed archive listed again; their rules over a fake session are in
// CommandRulesTest.cpp. (The replace answers during a real extraction are
// covered with the engine's event handlers.)
#include "CommandsTest.h"

#include "EntryDrag.h"
#include "ExtractFiles.h"
#include "MainForm.h"
#include "platform/testing/QtPrinters.h"

#include <QDir>
#include <QFileInfo>
#include <QListView>

using platform::MsgResult;

namespace {

const QDateTime Old(QDate(2000, 1, 1), QTime(12, 0));
const QDateTime Future(QDate(2030, 1, 1), QTime(12, 0));

void SetModified(const QString &path, const QDateTime &when) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

// Selects the rows of these stored names, in the order given.
void SelectNames(TMainFormFm &form, const QStringList &names) {
    auto *list = form.findChild<QListView *>(QStringLiteral("FilesLb"));
    list->clearSelection();
    const QStringList rows = form.RowTexts();
    for (const QString &name : names)
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex index = list->model()->index(row, 0);
            if (rows[row].section(QLatin1Char('\t'), 0, 0) == name)
                list->selectionModel()->select(index, QItemSelectionModel::Select);
        }
}

class ExtractRemoveTest : public CommandsTest {
protected:
    std::unique_ptr<TMainFormFm> OpenArchive(const QMap<QString, QByteArray> &entries) {
        archive_ = MakeZip(QStringLiteral("a.zip"), entries);
        auto form = NewForm();
        form->OpenZipFile(archive_);
        return form;
    }
    QString archive_;
};

TEST_F(ExtractRemoveTest, ExtractWritesFlatOrWithPathsIntoAFolderItMayCreate) {
    auto form = OpenArchive({{QStringLiteral("d/a.txt"), "A"}});
    const QString out = TempPath(QStringLiteral("out"));
    for (const bool usePaths : {false, true}) {
        form->Settings.ConfirmExtract = false;
        form->Settings.ExtractPath = usePaths;
        form->EditSelectAllMnClick();
        desktop_->clear();
        desktop_->answerDirectory(out).answerMessage(MsgResult::Yes);
        form->RunItemCommand(QStringLiteral("EditExtractMn"));
        ASSERT_EQ(desktop_->messages().size(), 1u);
        EXPECT_EQ(desktop_->messages()[0].text,
                  QStringLiteral("The specified directory does not exist. Create it?"));
        const QString expected = out + (usePaths ? "/d/a.txt" : "/a.txt");
        EXPECT_EQ(ReadFile(expected), QByteArray("A")) << expected.toStdString();
        QDir(out).removeRecursively();
    }
    // An error that ends a command is the window's box.
    form->Settings.DefaultExtractPath = TempPath(QStringLiteral("missing"));
    desktop_->clear();
    desktop_->answerMessage(MsgResult::OK);
    form->RunItemCommand(QStringLiteral("EditExtractMn"));
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text, QStringLiteral("File not found."));
    EXPECT_EQ(desktop_->messages()[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(form->Session().BusyCount, 0);
}

TEST_F(ExtractRemoveTest, SelectAllExtractsAndRemovesEveryEntryOfALargeArchive) {
    // Rows of 5,001 entries hold three times the 64,000 characters an older
    // list kept: every entry must still be acted on.
    archive_ = MakeZipOfCount(QStringLiteral("many.zip"), 5001);
    auto form = NewForm();
    form->OpenZipFile(archive_);
    ASSERT_EQ(form->RowTexts().size(), 5001);
    form->Settings.ConfirmExtract = false;
    form->EditSelectAllMnClick();
    const QString out = TempPath(QStringLiteral("out"));
    QDir().mkpath(out);
    desktop_->answerDirectory(out);
    form->RunItemCommand(QStringLiteral("EditExtractMn"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 5001);

    form->EditSelectAllMnClick();
    desktop_->answerMessage(MsgResult::Yes);
    form->RunItemCommand(QStringLiteral("EditDeleteMn"));
    EXPECT_TRUE(form->RowTexts().isEmpty());
    EXPECT_EQ(form->Session().MainZip.EntryCount(), 0);
    EXPECT_EQ(form->StatusText(), QStringLiteral("0 Entries, 0 Bytes, 0 Bytes."));
}

TEST_F(ExtractRemoveTest, ExtractMethodsAllFreshenUpdateAndNothing) {
    auto form = OpenArchive({{QStringLiteral("old.txt"), "A"},
                             {QStringLiteral("new.txt"), "B"},
                             {QStringLiteral("same.txt"), "C"}});
    ApplyOverwriteSetting(1, form->Session().MainZip);
    const QString out = TempPath(QStringLiteral("out"));
    struct Case {
        int method;
        bool multidisk;
        const char *old, *fresh, *same; // contents afterwards
        QStringList boxes;
    };
    // Being up to date is reported per file, not in the result code.
    const QString skipped = QStringLiteral("Skipping \"same.txt\", file is already up to date.");
    const Case cases[] = {
        {0, false, "A", "B", "C", {}},
        {1, false, "A", "<missing>", "same", {skipped}},
        {2, false, "A", "B", "same", {skipped}},
        {3, false, "old", "<missing>", "same", {}},
        {1,
         true,
         "old",
         "<missing>",
         "same",
         {"An error occured while extracting the specified files."}},
    };
    for (const Case &c : cases) {
        QDir(out).removeRecursively();
        SetModified(WriteFile(QStringLiteral("out/old.txt"), "old"), Old);
        SetModified(WriteFile(QStringLiteral("out/same.txt"), "same"), Future);
        form->Settings.ExtractMethod = c.method;
        form->Session().MainZip.MultidiskMode = c.multidisk;
        form->EditSelectAllMnClick();
        desktop_->clear();
        for (int i = 0; i < c.boxes.size(); ++i)
            desktop_->answerMessage(MsgResult::OK);
        ExtractFiles(form->Session(), *form, ExtractRequestFor(form->Settings, out));
        QStringList texts;
        for (const auto &box : desktop_->messages())
            texts << box.text;
        EXPECT_EQ(texts, c.boxes) << c.method;
        EXPECT_EQ(ReadFile(out + "/old.txt"), QByteArray(c.old)) << c.method;
        EXPECT_EQ(ReadFile(out + "/new.txt"), QByteArray(c.fresh)) << c.method;
        EXPECT_EQ(ReadFile(out + "/same.txt"), QByteArray(c.same)) << c.method;
        EXPECT_TRUE(form->Session().MainZip.FilesToProcess.isEmpty()) << c.method;
        EXPECT_EQ(form->Session().BusyCount, 0);
    }
}

TEST_F(ExtractRemoveTest, RemovePassesNamesInListOrderAndListsAVanishedArchiveAsEmpty) {
    auto form = OpenArchive({{QStringLiteral("c.txt"), "C"},
                             {QStringLiteral("a.txt"), "A"},
                             {QStringLiteral("b.txt"), "B"}});
    SelectNames(*form, {QStringLiteral("c.txt"), QStringLiteral("a.txt")});
    EXPECT_EQ(form->SelectedEntries().Names, QStringList({"a.txt", "c.txt"}));

    desktop_->answerMessage(MsgResult::Yes);
    form->RunItemCommand(QStringLiteral("EditDeleteMn"));
    EXPECT_EQ(desktop_->messages()[0].text,
              QStringLiteral("You have chosen to Remove the selected file(s) from the ") +
                  archive_ + QStringLiteral(" Archive file.  Are you sure you want to do this?"));
    EXPECT_EQ(ZipNames(archive_), QStringList({"b.txt"}));
    ASSERT_EQ(form->RowTexts().size(), 1);
    EXPECT_TRUE(form->StatusText().startsWith(QStringLiteral("1 Entries, ")));

    // The archive vanished: the failure is reported and the list emptied.
    QFile::remove(archive_);
    form->Settings.ConfirmRemove = false;
    form->EditSelectAllMnClick();
    desktop_->clear();
    desktop_->answerMessage(MsgResult::OK);
    form->RunItemCommand(QStringLiteral("EditDeleteMn"));
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text, QStringLiteral("Could not find the archive file."));
    EXPECT_TRUE(form->RowTexts().isEmpty());
}

TEST_F(ExtractRemoveTest, ACommandOnRowsOfAnArchiveChangedSinceListedListsAgainInstead) {
    const QStringList commands = {"EditView1", "drag"};
    for (const QString &command : commands) {
        auto form = OpenArchive({{QStringLiteral("a.txt"), "A"}, {QStringLiteral("b.txt"), "B"}});
        form->Settings.TempFolder = TempPath(QStringLiteral("view")) + '/';
        SelectNames(*form, {QStringLiteral("a.txt")});
        // Another program writes a new archive over it: its first entry is
        // no longer a.txt.
        const QString other =
            MakeZip(QStringLiteral("other.zip"),
                    {{QStringLiteral("c.txt"), "C"}, {QStringLiteral("d.txt"), "D"}});
        ASSERT_TRUE(QFile::remove(archive_) && QFile::rename(other, archive_));
        desktop_->clear();
        desktop_->answerMessage(MsgResult::OK);
        if (command == QLatin1String("drag"))
            EXPECT_EQ(NewEntryDragData(*form), nullptr);
        else
            form->RunItemCommand(command);
        ASSERT_EQ(desktop_->requests().size(), 1u) << command.toStdString();
        EXPECT_EQ(desktop_->messages()[0].text,
                  QStringLiteral("The archive ") + archive_ +
                      QStringLiteral(" has changed since it was listed. The list has been read "
                                     "again; select the files again."));
        EXPECT_EQ(ZipNames(archive_), QStringList({"c.txt", "d.txt"}));
        EXPECT_EQ(form->SelectedCount(), 0);
        EXPECT_EQ(form->RowTexts().size(), 2);
        EXPECT_TRUE(form->RowTexts().first().startsWith(QStringLiteral("c.txt\t")));
        EXPECT_EQ(form->Session().BusyCount, 0);
    }
}
