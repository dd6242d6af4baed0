// An entry chosen in the list is that entry and no other, whatever its name
// holds: Extract, Remove and View of one row act on exactly that entry of a
// real archive, through the real engines.
#include "CommandsTest.h"

#include "EntryDrag.h"
#include "ExtractFiles.h"
#include "MainForm.h"
#include "ViewFolder.h"
#include "platform/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListView>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

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
            ExtractFiles(form->Session(), *form, ExtractRequestFor(form->Settings, out));
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

// Twins that list under one name: CP437 "\x80.txt" and UTF-8 "Ç.txt",
// "q\r" and "q/r", a name holding NUL and the same with "?", "x" and the
// folder "x/". Name bytes in hex and the UTF-8 flag, as
// tests/scripts/raw_zip.py takes them.
struct Twin {
    const char *raw;
    QString listed;
};
const Twin Twins[] = {{"802e747874:0", "Ç.txt"},
                      {"c3872e747874:1", "Ç.txt"},
                      {"715c72:0", "q/r"},
                      {"712f72:0", "q/r"},
                      {"610062:0", "a?b"},
                      {"613f62:0", "a?b"},
                      {"78:0", "x"},
                      {"782f:0", "x/"}};

QStringList RawZip(const QStringList &arguments) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 QStringList{QStringLiteral(TARNWICK_SOURCE_DIR "/tests/scripts/raw_zip.py")} +
                     arguments);
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Selects the `nth` row that shows `name` (rows of equal text keep the
// order of the archive's directory).
void SelectNth(TMainFormFm &form, const QString &name, int nth) {
    auto *list = form.findChild<QListView *>(QStringLiteral("FilesLb"));
    list->clearSelection();
    const QStringList rows = form.RowTexts();
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        if (rows[row].section(QLatin1Char('\t'), 0, 0) == name && nth-- == 0)
            list->selectionModel()->select(index, QItemSelectionModel::Select);
    }
}

TEST_F(LiteralNamesTest, EachOfTwinsListedAlikeIsItsOwnEntry) {
    qputenv("TARNWICK_LEGACY_CODEPAGE", "CP437");
    QStringList specs, raws;
    for (int i = 0; i < 8; ++i) {
        const bool folder = Twins[i].listed.endsWith('/');
        specs << QStringLiteral("%1:%2").arg(Twins[i].raw, folder ? "" : "twin %1").arg(i);
        raws << QString::fromLatin1(Twins[i].raw);
    }
    const QString twins = TempPath(QStringLiteral("twins.zip"));
    RawZip(QStringList{twins} + specs);
    for (int i = 0; i < 8; ++i) {
        const Twin &twin = Twins[i];
        const bool folder = twin.listed.endsWith('/');
        const int nth = twin.listed == Twins[i ^ 1].listed ? i % 2 : 0;
        const QByteArray content = folder ? "" : QStringLiteral("twin %1").arg(i).toUtf8();
        const auto open = [&] {
            QFile::remove(archive_);
            EXPECT_TRUE(QFile::copy(twins, archive_));
            auto form = NewForm();
            form->OpenZipFile(archive_);
            SelectNth(*form, twin.listed, nth);
            EXPECT_EQ(form->SelectedCount(), 1);
            return form;
        };
        const std::string name = std::to_string(i);
        {
            auto form = open();
            form->Settings.ConfirmRemove = false;
            form->RunItemCommand(QStringLiteral("EditDeleteMn"));
            QStringList left = raws;
            left.removeAt(i);
            EXPECT_EQ(RawZip({"--list", archive_}), left) << name;
        }
        const QString out = TempPath(QStringLiteral("out"));
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        {
            auto form = open();
            form->Settings.ExtractPath = true;
            ExtractFiles(form->Session(), *form, ExtractRequestFor(form->Settings, out));
            EXPECT_EQ(Tree(out), twin.listed == "q/r" ? QStringList({"q", "q/r"})
                                                      : QStringList{twin.listed.chopped(folder)})
                << name;
            if (!folder) {
                EXPECT_EQ(ReadFile(out + '/' + twin.listed), content) << name;
            }
        }
        if (!folder) {
            auto form = open();
            form->Settings.TempFolder = TempPath(QStringLiteral("view")) + '/';
            QDir().mkpath(form->Settings.TempFolder);
            form->Settings.ExtractPath = false;
            const std::unique_ptr<QMimeData> data(NewEntryDragData(*form));
            ASSERT_TRUE(data) << name;
            const QList<QUrl> dragged = data->urls();
            ASSERT_EQ(dragged.size(), 1) << name;
            EXPECT_EQ(ReadFile(dragged[0].toLocalFile()), content) << name;
        }
    }
    qunsetenv("TARNWICK_LEGACY_CODEPAGE");
}

} // namespace
