// An entry chosen in the list is that entry and no other, whatever its name
// holds: Extract, Remove and View of one row act on exactly that entry of a
// real archive, through the real engines.
#include "CommandsTest.h"

#include "ExtractCommands.h"
#include "MainForm.h"
#include "ViewFolder.h"
#include "platform/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

using platform::MsgResult;
using Kind = platform::testing::ScriptedDesktop::Kind;

void SelectNames(TMainFormFm &form, const QStringList &names);

namespace {

struct Row {
    QString stored;      // as written into the archive
    QString listed;      // as the list shows it
    QStringList written; // what extracting it with paths makes
};

// Each beside the names its pattern reading would also take.
const Row Rows[] = {
    {"x*.txt", "x*.txt", {"x*.txt"}},
    {"q?.txt", "q?.txt", {"q?.txt"}},
    {"[ab].txt", "[ab].txt", {"[ab].txt"}},
    {"<x.txt", "<x.txt", {"<x.txt"}},
    {"-x", "-x", {"-x"}},
    {"é b.txt", "é b.txt", {"é b.txt"}},
    {"w\\v.txt", "w/v.txt", {"w", "w/v.txt"}},
    {"d/", "d/", {"d"}},
};
const QStringList Neighbours{"xyz.txt", "qq.txt", "a.txt", "b.txt", "x.txt", "d/e.txt"};

// Everything below `folder`, relative, sorted.
QStringList Tree(const QString &folder) {
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

class LiteralNamesTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        QMap<QString, QByteArray> entries;
        for (const Row &row : Rows)
            entries.insert(row.stored, row.stored.endsWith('/') ? "" : row.stored.toUtf8());
        for (const QString &name : Neighbours)
            entries.insert(name, name.toUtf8());
        pristine_ = MakeZip(QStringLiteral("pristine.zip"), entries);
        all_ = ZipNames(pristine_);
    }

    // A fresh copy of the archive, open, with only this row selected.
    std::unique_ptr<TMainFormFm> Open(const Row &row) {
        QFile::remove(archive_);
        EXPECT_TRUE(QFile::copy(pristine_, archive_));
        desktop_->clear();
        auto form = NewForm();
        form->OpenZipFile(archive_);
        SelectNames(*form, {row.listed});
        EXPECT_EQ(form->SelectedCount(), 1) << row.listed.toStdString();
        return form;
    }

    QString pristine_;
    QString archive_ = TempPath(QStringLiteral("a.zip"));
    QStringList all_;
};

TEST_F(LiteralNamesTest, ExtractRemoveAndViewActOnTheSelectedEntryAlone) {
    for (const Row &row : Rows) {
        const std::string name = row.listed.toStdString();
        const bool folder = row.stored.endsWith('/');
        {
            auto form = Open(row);
            const QString out = TempPath(QStringLiteral("out"));
            QDir(out).removeRecursively();
            QDir().mkpath(out);
            form->Settings.ExtractPath = true;
            ExtractFiles(*form, out);
            EXPECT_TRUE(desktop_->messages().empty()) << name;
            EXPECT_EQ(Tree(out), row.written) << name;
            if (!folder) {
                EXPECT_EQ(ReadFile(out + '/' + row.written.last()), row.stored.toUtf8()) << name;
            }
        }
        {
            auto form = Open(row);
            form->Settings.ConfirmRemove = false;
            form->RunItemCommand(QStringLiteral("EditDeleteMn"));
            QStringList left = all_;
            left.removeOne(row.stored);
            EXPECT_EQ(ZipNames(archive_), left) << name;
        }
        if (folder)
            continue;
        {
            auto form = Open(row);
            const QString view = TempPath(QStringLiteral("view"));
            QDir(view).removeRecursively();
            QDir().mkpath(view);
            form->Settings.TempFolder = view + '/';
            desktop_->answerShellOpen(42);
            form->RunItemCommand(QStringLiteral("EditView1"));
            const QString file = row.listed.section('/', -1);
            const QString copies = ViewFolderFor(view, platform::TempPath()).Folder;
            QStringList copied = Tree(copies);
            copied.removeOne(QStringLiteral(".lock"));
            EXPECT_EQ(copied, QStringList{file}) << name;
            EXPECT_EQ(ReadFile(copies + '/' + file), row.stored.toUtf8()) << name;
            ASSERT_EQ(desktop_->requestsOf(Kind::ShellOpen).size(), 1u) << name;
        }
    }
}

} // namespace
