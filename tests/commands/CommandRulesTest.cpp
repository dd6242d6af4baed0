// The archive commands' rules over a fake session and window: what each
// asks, requests and shows for each answer and outcome, in order.
#include "AddCommands.h"
#include "ArchiveComment.h"
#include "ArchiveFileCommands.h"
#include "EngineEvents.h"
#include "ExtractCommands.h"
#include "FakeSession.h"
#include "Settings.h"
#include "TestFixCommands.h"
#include "UpdateViewedEntry.h"
#include "ViewEditWatch.h"
#include "platform/testing/QtPrinters.h"
#include "platform/testing/ScriptedDesktop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <optional>

#include <unistd.h>

using platform::MsgResult;

namespace {

// Boxes go into the view's log with the busy depth they came up at and,
// when asked for, their kind and buttons.
class LoggingDesktop : public platform::testing::ScriptedDesktop {
public:
    LoggingDesktop(TFakeView &view, bool kinds) : view_(view), kinds_(kinds) {}
    MsgResult messageBox(const platform::MessageRequest &request) override {
        QString kind;
        if (kinds_) {
            const char *const kindNames[] = {"Warning", "Error", "Information", "Confirm"};
            const char *const buttonNames[] = {"Yes", "No", "OK", "Cancel", "Abort"};
            QStringList buttons;
            for (unsigned bit = 0; bit < 5; ++bit)
                if (request.buttons.testFlag(platform::MsgButton(1U << bit)))
                    buttons << QString::fromLatin1(buttonNames[bit]);
            kind = QStringLiteral(" (%1 %2)")
                       .arg(QString::fromLatin1(kindNames[int(request.kind)]), buttons.join(u'|'));
        }
        view_.Log << QStringLiteral("box at busy %1%2: %3").arg(view_.Busy).arg(kind, request.text);
        return ScriptedDesktop::messageBox(request);
    }
    std::optional<QString> selectDirectory(const platform::SelectDirectoryRequest &r) override {
        view_.Log << QStringLiteral("folder at busy %1 from %2").arg(view_.Busy).arg(r.initialDir);
        return ScriptedDesktop::selectDirectory(r);
    }

private:
    TFakeView &view_;
    bool kinds_;
};

using Command = std::function<void(TArchiveSession &, TArchiveView &, const TSettings &)>;

// Whether the trash takes the file it is given.
struct Trashed {
    bool moved;
};
// A scripted answer: a box's button, or the trash's.
struct Answer {
    Answer(MsgResult button) : box(button) {}
    Answer(Trashed trashed) : trash(trashed.moved) {}
    MsgResult box = MsgResult::None;
    std::optional<bool> trash;
};

struct Case {
    const char *name;
    Command command;
    std::function<void(TSettings &, TFakeSession &, TFakeView &)> given;
    std::vector<Answer> answers;
    QStringList requests;
    QStringList log;
    // The folder chosen after the boxes; empty: the dialog cancelled.
    std::optional<QString> folder = std::nullopt;
};

void Check(const Case &c, bool kinds = false) {
    SCOPED_TRACE(c.name);
    TSettings settings;
    TFakeSession session;
    TFakeView view;
    LoggingDesktop desktop(view, kinds);
    if (c.given)
        c.given(settings, session, view);
    for (const Answer &answer : c.answers) {
        if (answer.trash)
            desktop.answerTrash(*answer.trash);
        else
            desktop.answerMessage(answer.box);
    }
    if (c.folder && c.folder->isEmpty())
        desktop.cancelDirectory();
    else if (c.folder)
        desktop.answerDirectory(*c.folder);
    try {
        c.command(session, view, settings);
    } catch (const std::exception &error) {
        // What the window shows as an unexpected error.
        view.Log << "error " + QString::fromUtf8(error.what());
    }
    EXPECT_EQ(session.Requests, c.requests);
    EXPECT_EQ(view.Log, c.log);
    EXPECT_EQ(view.Busy, 0);
}

const QString AddQuestion = QStringLiteral(
    "box at busy 0: You are about to Add one or more files to the /a/a.zip Archive file.  Are you "
    "sure you want to do this?");
const QString Completed = QStringLiteral(
    "box at busy 1: Add operation completed.  To test the archive, you must close it first, then "
    "select the test option from the file menu.");

// Another program has changed the archive since it was listed; "/" stands
// for an archive that is still there.
const QString Changed = QStringLiteral("box at busy 0: The archive / has changed since it was "
                                       "listed. The list has been read again; select the files "
                                       "again.");
void Stale(TFakeSession &session, TFakeView &view) {
    session.Path = QStringLiteral("/");
    view.Current = false;
}

void Files(TSettings &, TFakeSession &, TFakeView &view) {
    view.FilesToAdd = {QStringLiteral("/in/new.txt")};
}

} // namespace

TEST(CommandRulesTest, AddAndUpdate) {
    const QString adding = QStringLiteral("status Adding selected files.");
    const QString updating = QStringLiteral("status Updating files.");
    const auto add = Command(EditAddMnClick);
    const auto update = Command(EditUpdateMnClick);
    const auto filesAnd = [](std::function<void(TSettings &, TFakeSession &)> more) {
        return [more](TSettings &s, TFakeSession &z, TFakeView &v) {
            Files(s, z, v);
            more(s, z);
        };
    };
    // Files chosen, ConfirmAdd off, the session answering `code`.
    const auto unasked = [](int code, bool multidisk = false, bool storePath = false) {
        return [=](TSettings &s, TFakeSession &z, TFakeView &v) {
            Files(s, z, v);
            s.ConfirmAdd = false;
            s.StorePath = storePath;
            z.Multidisk = multidisk;
            z.Codes["add"] = code;
        };
    };
    // clang-format off
    const Case cases[] = {
        // The question comes before the busy state, the dialog inside it.
        {"No ends it", add, Files, {MsgResult::No}, {}, {AddQuestion}},
        {"Yes goes on", add, Files, {MsgResult::Yes}, {"add 0 0"},
         {AddQuestion, "files at busy 1", adding, "result adding 0", "list"}},
        {"the title-bar close answers Cancel, which goes on", add, Files, {MsgResult::Cancel},
         {"add 0 0"}, {AddQuestion, "files at busy 1", adding, "result adding 0", "list"}},
        {"no question unless ConfirmAdd", add, unasked(ENGINE_OK), {}, {"add 0 0"},
         {"files at busy 1", adding, "result adding 0", "list"}},
        {"the dialog cancelled: silent", add, nullptr, {MsgResult::Yes}, {},
         {AddQuestion, "files at busy 1"}},
        // The result class decides the listing; StorePath is read at each command.
        {"skips are a warning, listed again", add, unasked(ENGINE_SOME_SKIPPED, false, true), {},
         {"add 0 1"}, {"files at busy 1", adding, "result adding 40", "list"}},
        {"a set is told how to test it", add, unasked(ENGINE_OK, true), {MsgResult::OK},
         {"add 0 0"}, {"files at busy 1", adding, "result adding 0", Completed, "list"}},
        {"a failure is not listed again", add, unasked(ENGINE_DISK_FULL), {}, {"add 0 0"},
         {"files at busy 1", adding, "result adding 150"}},
        {"nor is a failed set, nor told how to test it", add, unasked(ENGINE_CORRUPTED, true), {},
         {"add 0 0"}, {"files at busy 1", adding, "result adding 160"}},
        // Update switches multidisk mode off and never asks.
        {"update cancelled", update, nullptr, {}, {}, {"multidisk off", "files at busy 1"}},
        {"update", update, filesAnd([](TSettings &s, TFakeSession &) { s.StorePath = true; }),
         {}, {"add 2 1"},
         {"multidisk off", "files at busy 1", updating, "result updating 0", "list"}},
        {"a failed update is not listed again", update,
         filesAnd([](TSettings &, TFakeSession &z) { z.Codes["add"] = ENGINE_DISK_FULL; }), {},
         {"add 2 0"}, {"multidisk off", "files at busy 1", updating, "result updating 150"}},
    };
    // clang-format on
    for (const Case &c : cases)
        Check(c);
}

TEST(CommandRulesTest, RemoveTestAndUpdateDate) {
    const auto remove = Command(EditDeleteMnClick);
    const auto test = Command(
        [](TArchiveSession &z, TArchiveView &v, const TSettings &) { FileTestMnClick(z, v); });
    const auto date = Command([](TArchiveSession &z, TArchiveView &v, const TSettings &) {
        EditUpdateZIPDateMnClick(z, v);
    });
    // c.txt and a.txt selected; the session answering `code`.
    const auto selected = [](int code, bool confirm = true, bool stale = false) {
        return [=](TSettings &s, TFakeSession &z, TFakeView &v) {
            v.Selection.Append(QStringLiteral("c.txt"), 1);
            v.Selection.Append(QStringLiteral("a.txt"), 3);
            s.ConfirmRemove = confirm;
            z.Codes["remove"] = code;
            if (stale)
                Stale(z, v);
        };
    };
    const auto picked = [](int code) {
        return [code](TSettings &, TFakeSession &z, TFakeView &v) {
            v.ArchiveToPick = QStringLiteral("/t.zip");
            z.Codes["test"] = code;
        };
    };
    const QString removeQuestion = QStringLiteral(
        "box at busy 0: You have chosen to Remove the selected file(s) from the /a/a.zip Archive "
        "file.  Are you sure you want to do this?");
    const QString deleting = QStringLiteral("status Deleting selected files.");
    const QString testing = QStringLiteral("status Testing archive /t.zip");
    const QString picking = QStringLiteral("archive at busy 1: Test Archive");
    // clang-format off
    const Case cases[] = {
        {"remove without a selection does nothing", remove, nullptr, {}, {}, {}},
        {"remove: No", remove, selected(ENGINE_OK), {MsgResult::No}, {}, {removeQuestion}},
        {"remove lists again whatever the result", remove, selected(ENGINE_DISK_FULL),
         {MsgResult::Yes}, {"remove c.txt,a.txt"},
         {removeQuestion, deleting, "result deleting 150", "list"}},
        {"remove on an archive changed since listed lists it again instead", remove,
         selected(ENGINE_OK, true, true), {MsgResult::OK}, {}, {"list", Changed}},
        {"test: none picked", test, nullptr, {}, {}, {picking}},
        {"test: all OK", test, picked(ENGINE_OK), {MsgResult::OK}, {"test /t.zip"},
         {picking, testing, "box at busy 1: All files in the archive are OK."}},
        {"test: some skipped", test, picked(ENGINE_SOME_SKIPPED), {MsgResult::OK}, {"test /t.zip"},
         {picking, testing,
          "box at busy 1: All files tested in the archive are OK.\r(Some files were skipped)"}},
        {"test: failed", test, picked(ENGINE_TEST_FAILED), {}, {"test /t.zip"},
         {picking, testing, "result testing 200"}},
        {"the date keeps a current listing current", date, nullptr, {}, {"date"},
         {"multidisk off", "status Updating ZIP date.", "keep current 1",
          "result updating zip date 0"}},
    };
    // clang-format on
    for (const Case &c : cases)
        Check(c);
}

TEST(CommandRulesTest, Extract) {
    const auto extract = Command(EditExtractMnClick);
    // A DefaultExtractPath becomes the current folder, the dialog's start.
    const auto given = [](const char *folder, bool confirm, bool paths, bool stale = false) {
        return [=](TSettings &s, TFakeSession &z, TFakeView &v) {
            s.DefaultExtractPath = QString::fromUtf8(folder);
            s.ConfirmExtract = confirm;
            s.ExtractPath = paths;
            v.Selection.Append(QStringLiteral("d/a.txt"), 0);
            if (stale)
                Stale(z, v);
        };
    };
    const QString question = QStringLiteral(
        "box at busy 0: You are about to Extract the selected file(s) from the /a/a.zip Archive "
        "file.  The file(s) will be created on your disk drive.  Are you sure you want to do "
        "this?");
    const QString dialog = QStringLiteral("folder at busy 0 from /");
    const QString extracting = QStringLiteral("status Extracting selected files.");
    // clang-format off
    const Case cases[] = {
        {"the question, then the folder dialog at DefaultExtractPath", extract,
         given("/", true, false), {MsgResult::Yes}, {}, {question, dialog}, QString()},
        {"a DefaultExtractPath that cannot be entered ends it before any question", extract,
         given("/nonexistent/folder", true, false), {}, {}, {"error File not found"}},
        {"No ends it before the folder dialog", extract,
         given("/", true, false), {MsgResult::No}, {}, {question}},
        {"no question with nothing selected, even with ConfirmExtract on", extract,
         [](TSettings &s, TFakeSession &, TFakeView &) { s.DefaultExtractPath = "/"; },
         {}, {}, {dialog}, QString()},
        {"ConfirmExtract off: straight to the folder, flat", extract, given("/", false, false),
         {}, {"extract d/a.txt to / paths 0 method 0"},
         {dialog, extracting, "result extracting 0"}, QStringLiteral("/")},
        {"with ExtractPath, with the stored folders", extract, given("/", false, true),
         {}, {"extract d/a.txt to / paths 1 method 0"},
         {dialog, extracting, "result extracting 0"}, QStringLiteral("/")},
        {"on an archive changed since listed it lists it again instead", extract,
         given("/", true, false, true), {MsgResult::OK}, {}, {"list", Changed}},
    };
    // clang-format on
    const QString start = QDir::currentPath();
    for (const Case &c : cases)
        Check(c);
    QDir::setCurrent(start);
}

TEST(CommandRulesTest, Fix) {
    const auto normal = Command(
        [](TArchiveSession &z, TArchiveView &v, const TSettings &) { FixNormal1Click(z, v); });
    const auto aggressive = Command(
        [](TArchiveSession &z, TArchiveView &v, const TSettings &) { FixAgressive1Click(z, v); });
    // The damaged file is kept for the trash, so it must be there.
    const QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/d.zip");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const auto picked = [&](int code, const char *readOnlyType = "") {
        return [=](TSettings &, TFakeSession &z, TFakeView &v) {
            v.ArchiveToPick = path;
            z.Codes["fix"] = code;
            z.ReadOnlyType = QString::fromUtf8(readOnlyType);
        };
    };
    const QString off = QStringLiteral("multidisk off");
    const QString picking = QStringLiteral("archive at busy 1: Fix Archive");
    const QString fixed = QStringLiteral("box at busy 1: The specified Zip file has been fixed.");
    const QString normally = "fix " + path + " 0";
    // clang-format off
    const Case cases[] = {
        {"multidisk mode goes off even when none is picked", normal, nullptr, {}, {},
         {off, picking}},
        {"the same aggressively", aggressive, nullptr, {}, {}, {off, picking}},
        {"fixed: the damaged file goes to the trash", normal, picked(ENGINE_OK),
         {Trashed{true}, MsgResult::OK}, {normally}, {off, picking, fixed}},
        {"aggressively", aggressive, picked(ENGINE_OK), {Trashed{true}, MsgResult::OK},
         {"fix " + path + " 1"}, {off, picking, fixed}},
        {"no archive at all: too corrupted, nothing to the trash", normal,
         picked(ENGINE_BAD_ARCHIVE), {MsgResult::OK}, {normally},
         {off, picking, "box at busy 1: The specified Zip file is too corrupted to be fixed."}},
        {"an archive of a format only read says so instead", normal,
         picked(ENGINE_BAD_ARCHIVE, "tar.gz"), {MsgResult::OK}, {normally},
         {off, picking, "box at busy 1: d.zip is a tar.gz archive and can only be read. Extract "
                        "its files, or add them to a new ZIP archive."}},
    };
    // clang-format on
    for (const Case &c : cases)
        Check(c);
}

TEST(CommandRulesTest, CommentWrite) {
    const auto write = Command([](TArchiveSession &z, TArchiveView &v, const TSettings &) {
        WriteArchiveComment(z, v, QStringLiteral("new"));
    });
    const auto holding = [](const char *old, int code, bool multidisk = false) {
        return [=](TSettings &, TFakeSession &z, TFakeView &) {
            z.ArchiveComment = QString::fromLatin1(old);
            z.Codes["comment"] = code;
            z.Multidisk = multidisk;
        };
    };
    const QString kept = QStringLiteral("keep current 1");
    const Case cases[] = {
        {"unchanged: nothing written", write, holding("new", ENGINE_OK), {}, {}, {}},
        {"changed", write, holding("old", ENGINE_OK), {}, {"comment new"}, {kept}},
        {"a failed write is reported",
         write,
         holding("old", ENGINE_DISK_FULL),
         {},
         {"comment new"},
         {kept, "result writing the comment 150"}},
        {"a set refuses it with its own words",
         write,
         holding("old", ZipResultMultidisk, true),
         {MsgResult::OK},
         {"comment new"},
         {kept, "box at busy 0: The comment cannot be changed on a multiple-disk archive."}},
    };
    for (const Case &c : cases)
        Check(c);
}

// The questions of a running operation, with each box's kind and buttons.
TEST(CommandRulesTest, OperationQuestions) {
    // A skipped file is told, and the bar starts again for the next one.
    const auto skipped = [](bool testing) {
        return Command([testing](TArchiveSession &, TArchiveView &v, const TSettings &) {
            TMessageBoxAnswerer(v).TellSkipped({"d/bad.txt", ENGINE_SKIP_BAD_CRC}, testing);
        });
    };
    const auto newDisk = [](std::int32_t disk) {
        return Command([disk](TArchiveSession &, TArchiveView &v, const TSettings &) {
            v.SetStatusText(TMessageBoxAnswerer(v).AskNewDisk(disk) ? "go on" : "stop");
        });
    };
    const auto abort =
        Command([](TArchiveSession &z, TArchiveView &, const TSettings &) { AbortSbClick(z); });
    const QString abortQuestion = QStringLiteral(
        "box at busy 0 (Warning OK|Cancel): Are you sure you want to abort the current process?");
    // clang-format off
    const Case cases[] = {
        {"skipped", skipped(false), nullptr, {MsgResult::OK}, {},
         {"box at busy 0 (Warning OK): Skipping \"d/bad.txt\", CRC does not check out.",
          "progress 0"}},
        {"skipped in a test", skipped(true), nullptr, {MsgResult::OK}, {},
         {"box at busy 0 (Warning OK): File \"d/bad.txt\" failed test: CRC does not check out.",
          "progress 0"}},
        {"a numbered disk", newDisk(3), nullptr, {MsgResult::OK}, {},
         {"box at busy 0 (Confirm OK|Cancel): Please insert disk #3 of the set.", "status go on"}},
        {"the last disk", newDisk(0), nullptr, {MsgResult::OK}, {},
         {"box at busy 0 (Confirm OK|Cancel): Please insert the last disk of the set.",
          "status go on"}},
        {"Cancel stops", newDisk(2), nullptr, {MsgResult::Cancel}, {},
         {"box at busy 0 (Confirm OK|Cancel): Please insert disk #2 of the set.", "status stop"}},
        {"abort asked: Cancel goes on", abort, nullptr, {MsgResult::Cancel}, {}, {abortQuestion}},
        {"abort asked: OK stops", abort, nullptr, {MsgResult::OK}, {"abort"}, {abortQuestion}},
    };
    // clang-format on
    for (const Case &c : cases)
        Check(c, true);
}

TEST(CommandRulesTest, PutBackAnEditedCopy) {
    const QTemporaryDir dir;
    const QString copy = dir.path() + QStringLiteral("/a.txt");
    const QString other = dir.path() + QStringLiteral("/other.txt");
    const QString link = dir.path() + QStringLiteral("/link.txt");
    for (const QString &path : {copy, other}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("new text");
    }
    ASSERT_TRUE(QFile::link(copy, link));
    // The copy at `path`, asked about as the file `asked`, opened with `password`.
    const auto putBack = [](const QString &path, const QString &asked, const char *password = "",
                            const char *storedName = "docs/a.txt") {
        const TCopyStamp stamp = TCopyStamp::Of(asked);
        const TViewedCopy viewed{path, QString::fromUtf8(storedName), stamp.device, stamp.inode,
                                 QString::fromUtf8(password)};
        return Command([viewed](TArchiveSession &z, TArchiveView &v, const TSettings &) {
            UpdateViewedEntry(z, v, viewed);
        });
    };
    const auto sealed = [](bool encrypted, std::uint32_t aesBits, int code = ENGINE_OK) {
        return [=](TSettings &, TFakeSession &z, TFakeView &) {
            z.Sealing = TEntrySealing{encrypted, aesBits};
            z.Codes["put"] = code;
        };
    };
    const auto notPutBack = [](const QString &why) {
        return QStringList{"multidisk off", "box at busy 1: The file docs/a.txt was not put back "
                                            "into the archive: " +
                                                why};
    };
    const auto updated = [](const char *code) {
        return QStringList{"multidisk off", "status Updating files.",
                           QStringLiteral("result updating %1").arg(code), "list"};
    };
    const QString noLonger = "its copy " + copy + " is no longer the file that was changed.";
    const QString cannotKeep = QStringLiteral("its encryption cannot be kept.");
    // clang-format off
    const Case cases[] = {
        // The entry keeps its encryption, whatever is configured.
        {"plain", putBack(copy, copy, "seal"), sealed(false, 0), {},
         {"put back docs/a.txt with '' as 0"}, updated("0")},
        {"ZipCrypto", putBack(copy, copy, "seal"), sealed(true, 0), {},
         {"put back docs/a.txt with 'seal' as 0"}, updated("0")},
        {"AES-256", putBack(copy, copy, "seal"), sealed(true, 256), {},
         {QStringLiteral("put back docs/a.txt with 'seal' as %1").arg(int(zenAes256))},
         updated("0")},
        {"AES-128", putBack(copy, copy, "seal"), sealed(true, 128), {},
         {QStringLiteral("put back docs/a.txt with 'seal' as %1").arg(int(zenAes128))},
         updated("0")},
        {"a failure is not listed again", putBack(copy, copy), sealed(false, 0, ENGINE_DISK_FULL),
         {}, {"put back docs/a.txt with '' as 0"}, updated("150").mid(0, 3)},
        {"encrypted, but opened without a password", putBack(copy, copy), sealed(true, 0),
         {MsgResult::OK}, {}, notPutBack(cannotKeep)},
        {"an AES key length we do not know", putBack(copy, copy, "seal"), sealed(true, 512),
         {MsgResult::OK}, {}, notPutBack(cannotKeep)},
        {"an entry no longer there", putBack(copy, copy), nullptr, {MsgResult::OK}, {},
         notPutBack(QStringLiteral("the archive no longer holds that entry."))},
        // The file stored is the one asked about, or none.
        {"a link in its place to the file asked about", putBack(link, copy), sealed(false, 0),
         {MsgResult::OK}, {}, notPutBack("its copy " + link + " is no longer the file that was "
                                         "changed.")},
        {"another file renamed over it", putBack(copy, other), sealed(false, 0), {MsgResult::OK},
         {}, notPutBack(noLonger)},
        {"a name the engine would not store as it is", putBack(copy, copy, "", "d/../a.txt"),
         sealed(false, 0), {}, {}, {}},
    };
    // clang-format on
    for (const Case &c : cases)
        Check(c);
}

TEST(CommandRulesTest, ArchiveFiles) {
    const QTemporaryDir temporary;
    const QString folder = temporary.path() + QStringLiteral("/d");
    const QString open = folder + QStringLiteral("/open.zip");
    const QString existing = folder + QStringLiteral("/existing.zip");
    const QString fresh = folder + QStringLiteral("/fresh.zip");
    // The open archive and another file, written again for each row.
    const auto files = [=](const QString &target, bool multidisk = false) {
        return [=](TSettings &, TFakeSession &, TFakeView &v) {
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
            for (const auto &[path, bytes] : {std::pair{open, "archive"}, {existing, "keep me"}}) {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(bytes);
            }
            ASSERT_EQ(::link(QFile::encodeName(open), QFile::encodeName(folder + "/hard.zip")), 0);
            ASSERT_TRUE(QFile::link(open, folder + QStringLiteral("/link.zip")));
            v.NewArchive = target;
            v.HostSession.Path = open;
            v.HostSession.Multidisk = multidisk;
        };
    };
    // Runs `command` on the host, then logs what the folder holds: each
    // file with its bytes, a link as "@", hidden files too.
    const auto hosted = [=](void (*command)(TCommandHost &)) {
        return Command([=](TArchiveSession &, TArchiveView &v, const TSettings &) {
            auto &host = static_cast<TFakeView &>(v);
            command(host);
            QStringList held;
            for (QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::Hidden |
                                             QDir::NoDotAndDotDot);
                 it.hasNext();) {
                const QFileInfo info(it.next());
                QFile file(info.filePath());
                held << info.fileName() + (info.isSymLink()                 ? QStringLiteral("@")
                                           : file.open(QIODevice::ReadOnly) ? "=" + file.readAll()
                                                                            : QStringLiteral("?"));
            }
            held.sort();
            host.Log << held.join(u' ');
        });
    };
    const auto copy = hosted(CopyArchive1Click), rename = hosted(RenameArchive1Click),
               remove = hosted(FileDeleteMnClick);
    // The disk fills up after three bytes.
    const auto copyToAFullDisk = [copy](TArchiveSession &z, TArchiveView &v, const TSettings &s) {
        qputenv("TARNWICK_COPY_FAIL_AFTER", "3");
        copy(z, v, s);
        qunsetenv("TARNWICK_COPY_FAIL_AFTER");
    };
    const QString before =
        QStringLiteral("existing.zip=keep me hard.zip=archive link.zip@ open.zip=archive");
    const QString copying = QStringLiteral("new archive at busy 1: Copy Archive To");
    const QString renaming = QStringLiteral("new archive at busy 1: Rename Archive To");
    const auto replace = [](const QString &path) {
        return "box at busy 1: The file \"" + path +
               "\" already exists. Do you want to replace this file?";
    };
    const QString onto = QStringLiteral("box at busy 1: The archive cannot be copied onto itself.");
    const QString deleting =
        "box at busy 1: Are you sure you want to delete file\r\"" + open + "\"?";
    const QString trashing =
        QStringLiteral("box at busy 1: Are you sure you want to send \"open.zip\" to the Trash?");
    // The name is a literal: the case keeps only a pointer to it.
    const auto self = [&](const char *name) {
        const QString path = folder + "/" + QString::fromUtf8(name);
        return Case{name,        copy,
                    files(path), {MsgResult::Yes, MsgResult::OK},
                    {},          {copying, replace(path), onto, before}};
    };
    // clang-format off
    const Case cases[] = {
        {"copy to a new file", copy, files(fresh), {}, {},
         {copying, "existing.zip=keep me fresh.zip=archive hard.zip=archive link.zip@ "
                   "open.zip=archive"}},
        {"the dialog cancelled", copy, files(QString()), {}, {}, {copying, before}},
        {"copy over another file: No", copy, files(existing), {MsgResult::No}, {},
         {copying, replace(existing), before}},
        {"Yes replaces it", copy, files(existing), {MsgResult::Yes}, {},
         {copying, replace(existing), QStringLiteral(
          "existing.zip=archive hard.zip=archive link.zip@ open.zip=archive")}},
        {"a full disk leaves the file there as it was", copyToAFullDisk, files(existing),
         {MsgResult::Yes, MsgResult::OK}, {},
         {copying, replace(existing), "box at busy 1: Disk full.", before}},
        self("open.zip"), self("hard.zip"), self("link.zip"),
        {"another spelling of itself", copy, files(folder + "/./open.zip"),
         {MsgResult::Yes, MsgResult::OK}, {},
         {copying, replace(folder + "/./open.zip"), onto, before}},
        {"rename: moved, closed and opened where it went", rename, files(fresh), {}, {},
         {renaming, "close", "open " + fresh + " chosen",
          "existing.zip=keep me fresh.zip=archive hard.zip=archive link.zip@"}},
        {"rename over another file", rename, files(existing), {MsgResult::Yes}, {},
         {renaming, replace(existing), "close", "open " + existing + " chosen",
          "existing.zip=archive hard.zip=archive link.zip@"}},
        {"rename into a missing folder: told, left open where it is", rename,
         files(folder + "/missing/x.zip"), {MsgResult::OK}, {},
         {renaming, "box at busy 1: File not found.", before}},
        // Closed only once the file has gone to the trash.
        {"delete: No", remove, files(QString(), true), {MsgResult::No}, {},
         {"multidisk off", deleting, before}},
        {"the trash's own question declined", remove, files(QString()), {MsgResult::Yes,
         MsgResult::No}, {}, {"multidisk off", deleting, trashing, before}},
        {"the trash failed", remove, files(QString()),
         {MsgResult::Yes, MsgResult::Yes, Trashed{false}}, {},
         {"multidisk off", deleting, trashing, before}},
        {"moved to the trash", remove, files(QString()),
         {MsgResult::Yes, MsgResult::Yes, Trashed{true}}, {},
         {"multidisk off", deleting, trashing, "close", before}},
    };
    // clang-format on
    for (const Case &c : cases)
        Check(c);
    // Nothing there any more: nothing asked.
    EXPECT_FALSE(RecycleFile(folder + QStringLiteral("/gone.zip")));
}
