// Dragging entries out, without a screen: what a drag offers for a
// selection, that it is extracted as the drag starts, never while the
// window is busy, and that nothing is left of what no target took.
#include "CommandsTest.h"

#include "EntryDrag.h"
#include "MainForm.h"
#include "ViewFolder.h"
#include "platform/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <memory>

void SelectNames(TMainFormFm &form, const QStringList &names);

TEST(EntryDragPlanTest, ItemsOfASelection) {
    const QStringList selected = {"a.txt",     "docs/",      "docs/c.txt", "x/y/z.txt",
                                  "./x/w.txt", "../up.txt",  "/abs.txt",   "C:dos.txt",
                                  "x/y/z.txt", "docs2/e.txt"};
    EXPECT_EQ(DragItems(selected, false),
              QStringList({"a.txt", "docs", "x/y/z.txt", "x/w.txt", "docs2/e.txt"}));
    EXPECT_EQ(DragItems(selected, true), QStringList({"a.txt", "docs", "x", "docs2"}));

    // Entries are told apart by position: "x" and "x/" both go, c.txt once.
    const auto below = [](const QString &folder) {
        return folder == QLatin1String("docs/")
                   ? TEntryRefs{{"docs/c.txt", "docs/sub/d.txt"}, {3, 5}}
                   : TEntryRefs();
    };
    const TEntryRefs entries =
        DragEntries({{"a.txt", "docs/c.txt", "docs/", "x", "x/"}, {1, 3, 2, 6, 7}}, below);
    EXPECT_EQ(entries.Names,
              QStringList({"a.txt", "docs/c.txt", "docs/", "docs/sub/d.txt", "x", "x/"}));
    EXPECT_EQ(entries.Positions, QList<std::int32_t>({1, 3, 2, 5, 6, 7}));
}

class EntryDragTest : public CommandsTest {
protected:
    // bad.txt's CRC is wrong in both headers, so extracting skips it.
    std::unique_ptr<TMainFormFm> OpenWithSelection(const QStringList &names) {
        const QString archive =
            MakeZip(QStringLiteral("drag.zip"), {{QStringLiteral("a.txt"), "A-bytes"},
                                                 {QStringLiteral("bad.txt"), "Hello"},
                                                 {QStringLiteral("docs/"), ""},
                                                 {QStringLiteral("docs/c.txt"), "C"},
                                                 {QStringLiteral("docs/sub/d.txt"), "D"},
                                                 {QStringLiteral("other/e.txt"), "E"}});
        {
            QFile file(archive);
            EXPECT_TRUE(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            const qsizetype local = bytes.indexOf("bad.txt");
            const qsizetype central = bytes.indexOf("bad.txt", local + 1);
            for (const qsizetype crc : {local - 30 + 14, central - 46 + 16})
                bytes[crc] = static_cast<char>(bytes[crc] ^ 0x01);
            file.seek(0);
            file.write(bytes);
        }
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
    // Wherever the view folder lies below the TempFolder setting.
    static QStringList DragFoldersOnDisk(const TMainFormFm &form) {
        QStringList found;
        QDirIterator all(form.Settings.TempFolder, {QStringLiteral("drag-*")},
                         QDir::Dirs | QDir::Hidden, QDirIterator::Subdirectories);
        while (all.hasNext())
            found << all.next();
        return found;
    }
};

// Extracted before the drag starts, so that a target asking on the drop
// has its answer at once.
TEST_F(EntryDragTest, ExtractsAsTheDragStartsAndRemovesWithTheWindow) {
    for (const bool extractPath : {false, true}) {
        auto form = OpenWithSelection({"a.txt", "docs/", "other/e.txt"});
        form->Settings.ExtractPath = extractPath;
        form->Settings.ExtractMethod = 1; // freshening into an empty folder would write nothing
        std::unique_ptr<QMimeData> data(NewEntryDragData(*form));
        ASSERT_TRUE(data);
        ASSERT_EQ(DragFolders(*form).size(), 1);
        const QString folder = DragFolders(*form).first();
        EXPECT_TRUE(folder.startsWith(
            ViewFolderFor(form->Settings.TempFolder, platform::TempPath()).Folder + "/drag-"));
        EXPECT_EQ(ReadFile(folder + "/a.txt"), QByteArray("A-bytes"));
        EXPECT_EQ(ReadFile(folder + "/docs/sub/d.txt"), QByteArray("D"));
        EXPECT_EQ(ReadFile(folder + "/other/e.txt"), QByteArray("E"));
        EXPECT_EQ(data->formats(), QStringList({"text/uri-list"}));
        EXPECT_EQ(LocalFiles(*data),
                  QStringList({folder + "/a.txt", folder + "/docs",
                               folder + (extractPath ? "/other" : "/other/e.txt")}))
            << extractPath;
        EXPECT_TRUE(desktop_->messages().empty());
        EXPECT_EQ(form->Settings.ExtractPath, extractPath);
        EXPECT_EQ(form->Settings.ExtractMethod, 1);

        // Taken by a target, which may still be copying.
        EntryDragEnded(*form, Qt::CopyAction);
        EXPECT_TRUE(QFileInfo::exists(folder + "/a.txt"));
        form.reset();
        EXPECT_FALSE(QFileInfo::exists(folder));
    }
}

TEST_F(EntryDragTest, NoDragWhileBusyOrWithoutSelection) {
    auto form = OpenWithSelection({"a.txt"});
    form->SetBusy(false);
    EXPECT_EQ(NewEntryDragData(*form), nullptr);
    form->SetBusy(true);
    form->DeselectAll2Click();
    EXPECT_EQ(NewEntryDragData(*form), nullptr);
    EXPECT_TRUE(DragFoldersOnDisk(*form).isEmpty());
}

// Nothing is offered for a selection not extracted whole, and nothing that
// was extracted for a drag no target took stays behind.
TEST_F(EntryDragTest, WhatIsNotTakenWholeLeavesNothing) {
    struct Case {
        const char *what;
        QStringList selected;
        bool removeArchive;
        QStringList messages; // the boxes, each answered OK
        bool offered;
    };
    const Case cases[] = {
        {"archive gone", {"a.txt"}, true, {"Could not find the archive file."}, false},
        {"damaged entry",
         {"a.txt", "bad.txt"},
         false,
         {"Skipping \"bad.txt\", CRC does not check out.",
          "Some files were skipped while extracting."},
         false},
        {"dropped nowhere", {"a.txt"}, false, {}, true},
    };
    for (const Case &c : cases) {
        desktop_->clear();
        auto form = OpenWithSelection(c.selected);
        if (c.removeArchive)
            QFile::remove(form->Session().MainZip.ZipFileName);
        for (qsizetype box = 0; box < c.messages.size(); ++box)
            desktop_->answerMessage(platform::MsgResult::OK);
        std::unique_ptr<QMimeData> data(NewEntryDragData(*form));
        EXPECT_EQ(data != nullptr, c.offered) << c.what;
        EntryDragEnded(*form, Qt::IgnoreAction);
        QStringList texts;
        for (const auto &box : desktop_->messages())
            texts << box.text;
        EXPECT_EQ(texts, c.messages) << c.what;
        EXPECT_TRUE(DragFoldersOnDisk(*form).isEmpty()) << c.what;
        EXPECT_TRUE(DragFolders(*form).isEmpty()) << c.what;
    }
}
