// The archive commands' rules over a fake session and window: what each
// asks, requests and shows for each answer and outcome, in order.
#include "AddCommands.h"
#include "ExtractCommands.h"
#include "FakeSession.h"
#include "Settings.h"
#include "TestFixCommands.h"
#include "platform/testing/ScriptedDesktop.h"

#include <gtest/gtest.h>

#include <functional>

using platform::MsgResult;

namespace {

// Boxes go into the view's log with the busy depth they came up at.
class LoggingDesktop : public platform::testing::ScriptedDesktop {
public:
    explicit LoggingDesktop(TFakeView &view) : view_(view) {}
    MsgResult messageBox(const platform::MessageRequest &request) override {
        view_.Log << QStringLiteral("box at busy %1: %2").arg(view_.Busy).arg(request.text);
        return ScriptedDesktop::messageBox(request);
    }

private:
    TFakeView &view_;
};

using Command = std::function<void(TArchiveSession &, TArchiveView &, const TSettings &)>;

struct Case {
    const char *name;
    Command command;
    std::function<void(TSettings &, TFakeSession &, TFakeView &)> given;
    std::vector<MsgResult> answers;
    QStringList requests;
    QStringList log;
};

void Check(const Case &c) {
    SCOPED_TRACE(c.name);
    TSettings settings;
    TFakeSession session;
    TFakeView view;
    LoggingDesktop desktop(view);
    if (c.given)
        c.given(settings, session, view);
    for (const MsgResult answer : c.answers)
        desktop.answerMessage(answer);
    c.command(session, view, settings);
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

void Files(TSettings &, TFakeSession &, TFakeView &view) {
    view.FilesToAdd = {QStringLiteral("/in/new.txt")};
}

} // namespace

TEST(CommandRulesTest, AddAndUpdate) {
    const QString adding = QStringLiteral("status Adding selected files.");
    const auto add = Command(EditAddMnClick);
    const auto update = Command(EditUpdateMnClick);
    const auto filesAnd = [](std::function<void(TSettings &, TFakeSession &)> more) {
        return [more](TSettings &s, TFakeSession &z, TFakeView &v) {
            Files(s, z, v);
            more(s, z);
        };
    };
    const auto unconfirmed = [](TSettings &s, TFakeSession &) { s.ConfirmAdd = false; };
    const Case cases[] = {
        // The question comes before the busy state, the dialog inside it.
        {"No ends it", add, Files, {MsgResult::No}, {}, {AddQuestion}},
        {"Yes goes on",
         add,
         Files,
         {MsgResult::Yes},
         {"add 0 0"},
         {AddQuestion, "files at busy 1", adding, "result adding 0", "list"}},
        {"the title-bar close answers Cancel, which goes on",
         add,
         Files,
         {MsgResult::Cancel},
         {"add 0 0"},
         {AddQuestion, "files at busy 1", adding, "result adding 0", "list"}},
        {"no question unless ConfirmAdd",
         add,
         filesAnd(unconfirmed),
         {},
         {"add 0 0"},
         {"files at busy 1", adding, "result adding 0", "list"}},
        {"the dialog cancelled: silent",
         add,
         nullptr,
         {MsgResult::Yes},
         {},
         {AddQuestion, "files at busy 1"}},
        // The result class decides the listing; StorePath is read at each command.
        {"skips are a warning, listed again",
         add,
         filesAnd([](TSettings &s, TFakeSession &z) {
             s.ConfirmAdd = false;
             s.StorePath = true;
             z.Codes["add"] = ENGINE_SOME_SKIPPED;
         }),
         {},
         {"add 0 1"},
         {"files at busy 1", adding, "result adding 40", "list"}},
        {"a set is told how to test it",
         add,
         filesAnd([](TSettings &s, TFakeSession &z) {
             s.ConfirmAdd = false;
             z.Multidisk = true;
         }),
         {MsgResult::OK},
         {"add 0 0"},
         {"files at busy 1", adding, "result adding 0", Completed, "list"}},
        {"a failure is not listed again",
         add,
         filesAnd([](TSettings &s, TFakeSession &z) {
             s.ConfirmAdd = false;
             z.Codes["add"] = ENGINE_DISK_FULL;
         }),
         {},
         {"add 0 0"},
         {"files at busy 1", adding, "result adding 150"}},
        {"nor is a failed set, nor told how to test it",
         add,
         filesAnd([](TSettings &s, TFakeSession &z) {
             s.ConfirmAdd = false;
             z.Multidisk = true;
             z.Codes["add"] = ENGINE_CORRUPTED;
         }),
         {},
         {"add 0 0"},
         {"files at busy 1", adding, "result adding 160"}},
        // Update switches multidisk mode off and never asks.
        {"update cancelled", update, nullptr, {}, {}, {"multidisk off", "files at busy 1"}},
        {"update",
         update,
         filesAnd([](TSettings &s, TFakeSession &) { s.StorePath = true; }),
         {},
         {"add 2 1"},
         {"multidisk off", "files at busy 1", "status Updating files.", "result updating 0",
          "list"}},
        {"a failed update is not listed again",
         update,
         filesAnd([](TSettings &, TFakeSession &z) { z.Codes["add"] = ENGINE_DISK_FULL; }),
         {},
         {"add 2 0"},
         {"multidisk off", "files at busy 1", "status Updating files.", "result updating 150"}},
    };
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
    const auto selected = [](TSettings &, TFakeSession &, TFakeView &v) {
        v.Selection.Append(QStringLiteral("c.txt"), 1);
        v.Selection.Append(QStringLiteral("a.txt"), 3);
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
    const QString testing = QStringLiteral("status Testing archive /t.zip");
    const QString picking = QStringLiteral("archive at busy 1: Test Archive");
    const Case cases[] = {
        {"remove without a selection does nothing", remove, nullptr, {}, {}, {}},
        {"remove: No", remove, selected, {MsgResult::No}, {}, {removeQuestion}},
        {"remove lists again whatever the result",
         remove,
         [&](TSettings &s, TFakeSession &z, TFakeView &v) {
             selected(s, z, v);
             z.Codes["remove"] = ENGINE_DISK_FULL;
         },
         {MsgResult::Yes},
         {"remove c.txt,a.txt"},
         {removeQuestion, "status Deleting selected files.", "result deleting 150", "list"}},
        {"test: none picked", test, nullptr, {}, {}, {picking}},
        {"test: all OK",
         test,
         picked(ENGINE_OK),
         {MsgResult::OK},
         {"test /t.zip"},
         {picking, testing, "box at busy 1: All files in the archive are OK."}},
        {"test: some skipped",
         test,
         picked(ENGINE_SOME_SKIPPED),
         {MsgResult::OK},
         {"test /t.zip"},
         {picking, testing,
          "box at busy 1: All files tested in the archive are OK.\r(Some files were skipped)"}},
        {"test: failed",
         test,
         picked(ENGINE_TEST_FAILED),
         {},
         {"test /t.zip"},
         {picking, testing, "result testing 200"}},
        {"the date keeps a current listing current",
         date,
         nullptr,
         {},
         {"date"},
         {"multidisk off", "status Updating ZIP date.", "keep current 1",
          "result updating zip date 0"}},
    };
    for (const Case &c : cases)
        Check(c);
}
