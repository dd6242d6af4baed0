// Dragging entries out, without a screen: what a drag offers for a
// selection, that it extracts only when its list is asked for, and never
// while the window is busy.
#include "CommandsTest.h"

#include "EntryDrag.h"
#include "MainForm.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

void SelectNames(TMainFormFm &form, const QStringList &names);

TEST(EntryDragPlanTest, ItemsOfASelection) {
    const QStringList selected = {"a.txt",     "docs/",      "docs/c.txt", "x/y/z.txt",
                                  "./x/w.txt", "../up.txt",  "/abs.txt",   "C:dos.txt",
                                  "x/y/z.txt", "docs2/e.txt"};
    EXPECT_EQ(DragItems(selected, false),
              QStringList({"a.txt", "docs", "x/y/z.txt", "x/w.txt", "docs2/e.txt"}));
    EXPECT_EQ(DragItems(selected, true), QStringList({"a.txt", "docs", "x", "docs2"}));

    const auto below = [](const QString &folder) {
        return folder == QLatin1String("docs/") ? QStringList({"docs/c.txt", "docs/sub/d.txt"})
                                                : QStringList();
    };
    EXPECT_EQ(DragEntries({"a.txt", "docs/c.txt", "docs/"}, below),
              QStringList({"a.txt", "docs/c.txt", "docs/", "docs/sub/d.txt"}));
}

class EntryDragTest : public CommandsTest {
protected:
    std::unique_ptr<TMainFormFm> OpenWithSelection(const QStringList &names) {
        const QString archive =
            MakeZip(QStringLiteral("drag.zip"), {{QStringLiteral("a.txt"), "A-bytes"},
                                                 {QStringLiteral("docs/"), ""},
                                                 {QStringLiteral("docs/c.txt"), "C"},
                                                 {QStringLiteral("docs/sub/d.txt"), "D"},
                                                 {QStringLiteral("other/e.txt"), "E"}});
        auto form = NewForm();
        form->OpenZipFile(archive);
        form->Settings.TempFolder = TempPath(QStringLiteral("view"));
        QDir().mkpath(form->Settings.TempFolder);
        SelectNames(*form, names);
        return form;
    }
    static QStringList LocalFiles(const QMimeData &data) {
        QStringList files;
        for (const QUrl &url : data.urls())
            files << url.toLocalFile();
        return files;
    }
};

TEST_F(EntryDragTest, ExtractsOnTheFirstRequestOnlyAndRemovesWithTheWindow) {
    for (const bool extractPath : {false, true}) {
        auto form = OpenWithSelection({"a.txt", "docs/", "other/e.txt"});
        form->Settings.ExtractPath = extractPath;
        form->Settings.ExtractMethod = 1; // freshening into an empty folder would write nothing
        std::unique_ptr<TEntryDragData> data(NewEntryDragData(*form));
        ASSERT_TRUE(data);
        EXPECT_EQ(data->formats(), QStringList({"text/uri-list"}));
        EXPECT_TRUE(data->hasUrls());
        EXPECT_FALSE(data->Extracted());
        EXPECT_TRUE(DragFolders(*form).isEmpty());

        const QStringList files = LocalFiles(*data);
        ASSERT_EQ(DragFolders(*form).size(), 1);
        const QString folder = DragFolders(*form).first();
        EXPECT_TRUE(folder.startsWith(form->Settings.TempFolder + QStringLiteral("/drag-")));
        EXPECT_EQ(files, QStringList({folder + "/a.txt", folder + "/docs",
                                      folder + (extractPath ? "/other" : "/other/e.txt")}))
            << extractPath;
        EXPECT_EQ(ReadFile(folder + "/a.txt"), QByteArray("A-bytes"));
        EXPECT_EQ(ReadFile(folder + "/docs/sub/d.txt"), QByteArray("D"));
        EXPECT_EQ(ReadFile(folder + "/other/e.txt"), QByteArray("E"));
        EXPECT_TRUE(desktop_->messages().empty());
        EXPECT_EQ(form->Settings.ExtractPath, extractPath);
        EXPECT_EQ(form->Settings.ExtractMethod, 1);

        // Asked again, as targets do: the same list, nothing extracted anew.
        EXPECT_EQ(LocalFiles(*data), files);
        EXPECT_EQ(DragFolders(*form).size(), 1);
        form.reset();
        EXPECT_FALSE(QFileInfo::exists(folder));
    }
}

TEST_F(EntryDragTest, NoDragNorExtractionWhileBusy) {
    auto form = OpenWithSelection({"a.txt"});
    std::unique_ptr<TEntryDragData> early(NewEntryDragData(*form));
    ASSERT_TRUE(early);
    form->SetBusy(false);
    EXPECT_EQ(NewEntryDragData(*form), nullptr);
    EXPECT_TRUE(early->urls().isEmpty());
    form->SetBusy(true);
    EXPECT_TRUE(DragFolders(*form).isEmpty());
    // Nothing selected: nothing to drag.
    form->DeselectAll2Click();
    EXPECT_EQ(NewEntryDragData(*form), nullptr);
}

TEST_F(EntryDragTest, FailedExtractionOffersNothing) {
    auto form = OpenWithSelection({"a.txt"});
    std::unique_ptr<TEntryDragData> data(NewEntryDragData(*form));
    QFile::remove(form->MainZip.ZipFileName);
    desktop_->answerMessage(platform::MsgResult::OK);
    EXPECT_TRUE(data->urls().isEmpty());
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text, QStringLiteral("Could not find the archive file."));
}
