// Find, Find Next and Select Matching over a list of rows, answered by a
// script.
#include "FilesLbFind.h"

#include "RowListModel.h"
#include "ZipEngine.h"
#include "platform/testing/ScriptedDesktop.h"

#include <QListView>

#include <gtest/gtest.h>

using platform::MsgResult;
using platform::testing::ScriptedDesktop;

namespace {

class FilesLbFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        rows_.BeginListing(QLocale::c(), 4);
        for (const char *name : {"d/Readme.md", "c/image.png", "b/notes.TXT", "a/readme.txt"}) {
            TZipFileStats entry;
            entry.FileName = QString::fromLatin1(name);
            rows_.AddEntry(entry);
        }
        rows_.EndListing();
        list_.setModel(&rows_);
        list_.setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    QList<int> Selected() const {
        QList<int> selected;
        for (int row = 0; row < rows_.Count(); ++row)
            if (list_.selectionModel()->isSelected(rows_.RowIndex(row)))
                selected << row;
        return selected;
    }

    ScriptedDesktop desktop_;
    TRowListModel rows_;
    QListView list_;
    TFilesLbFind find_{list_, rows_};
};

} // namespace

TEST_F(FilesLbFindTest, FindMovesToTheNextRowHoldingTheTextAndWraps) {
    desktop_.cancelText();
    find_.FindNext(); // no text yet: asks for one
    EXPECT_FALSE(list_.currentIndex().isValid());
    desktop_.answerText(QStringLiteral("README"));
    find_.Find();
    EXPECT_EQ(list_.currentIndex().row(), 0);
    EXPECT_EQ(Selected(), QList<int>{0});
    find_.FindNext();
    EXPECT_EQ(list_.currentIndex().row(), 3);
    EXPECT_EQ(Selected(), QList<int>{3});
    find_.FindNext();
    EXPECT_EQ(list_.currentIndex().row(), 0);

    desktop_.answerText(QStringLiteral("zzz")).answerMessage(MsgResult::OK);
    find_.Find();
    EXPECT_EQ(list_.currentIndex().row(), 0);
    const auto queries = desktop_.requestsOf(ScriptedDesktop::Kind::TextQuery);
    ASSERT_EQ(queries.size(), 3u);
    EXPECT_EQ(queries[0].textQuery.caption, QStringLiteral("Find"));
    EXPECT_EQ(queries[2].textQuery.text, QStringLiteral("README"));
    ASSERT_EQ(desktop_.messages().size(), 1u);
    EXPECT_EQ(desktop_.messages()[0].text, QStringLiteral("Cannot find \"zzz\"."));
}

TEST_F(FilesLbFindTest, SelectMatchingReplacesOrAddsToTheSelection) {
    desktop_.answerText(QStringLiteral("*.txt"));
    EXPECT_EQ(find_.SelectMatching(), 2);
    EXPECT_EQ(Selected(), (QList<int>{0, 1}));
    desktop_.answerText(QStringLiteral("*.png"), true);
    EXPECT_EQ(find_.SelectMatching(), 3);
    EXPECT_EQ(Selected(), (QList<int>{0, 1, 2}));
    desktop_.answerText(QStringLiteral("d/*"));
    EXPECT_EQ(find_.SelectMatching(), 1);
    EXPECT_EQ(Selected(), QList<int>{3});
    desktop_.cancelText();
    EXPECT_EQ(find_.SelectMatching(), -1);
    EXPECT_EQ(Selected(), QList<int>{3});

    const auto queries = desktop_.requestsOf(ScriptedDesktop::Kind::TextQuery);
    ASSERT_EQ(queries.size(), 4u);
    EXPECT_EQ(queries[0].textQuery.caption, QStringLiteral("Select Matching"));
    EXPECT_FALSE(queries[0].textQuery.option.isEmpty());
    // The box comes back as it was left.
    EXPECT_EQ(queries[2].textQuery.text, QStringLiteral("*.png"));
    EXPECT_TRUE(queries[2].textQuery.optionChecked);
}
