// The callback: which event each message raises, what goes back into the
// engine's buffers, the stop answer, and errors thrown by handlers.
#include "EngineHarness.h"

#include <stdexcept>

namespace {

constexpr std::uint32_t PackedDate(int y, int mo, int d, int h, int mi, int s) {
    return (static_cast<std::uint32_t>(y - 1980) << 25) | (static_cast<std::uint32_t>(mo) << 21) |
           (static_cast<std::uint32_t>(d) << 16) | (static_cast<std::uint32_t>(h) << 11) |
           (static_cast<std::uint32_t>(mi) << 5) | static_cast<std::uint32_t>(s / 2);
}

const Fields Record{{"name", "dir/f\xC3\xBC.txt"},
                    {"size", "1000"},
                    {"csize", "400"},
                    {"v1", "1"},
                    {"attr", "255"},
                    {"dos", std::to_string(PackedDate(2021, 6, 15, 13, 45, 30))},
                    {"v2", "2"},
                    {"ratio", "60"},
                    {"pct", "100"},
                    {"byte", "7"},
                    {"flag", "9"},
                    {"comment", "note"}};

void ExpectRecord(const TZipFileStats &s) {
    EXPECT_EQ(s.FileName, QString::fromUtf8("dir/f\xC3\xBC.txt"));
    EXPECT_EQ(s.Size, 1000);
    EXPECT_EQ(s.CompressedSize, 400);
    EXPECT_EQ(s.EngineValue1, 1);
    EXPECT_EQ(s.Attributes, 0x3F);
    EXPECT_EQ(s.DateTime, QDateTime(QDate(2021, 6, 15), QTime(13, 45, 30)));
    EXPECT_EQ(s.EngineValue2, 2);
    EXPECT_EQ(s.Ratio, 60);
    EXPECT_EQ(s.PercentDone, 100);
    EXPECT_EQ(s.EngineByte, 7);
    EXPECT_TRUE(s.EngineFlag);
    EXPECT_EQ(s.Comment, "note");
}

class Callback : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        engine.ZipFileName = "/a.zip";
    }

    // Replays the script during one listing and returns the messages.
    std::vector<LoggedMessage> Replay(const Strings &script) {
        Script(script);
        EXPECT_EQ(engine.ListArchive(), 0);
        return OneCall().messages;
    }

    LoggedMessage ReplayOne(const std::string &line) {
        const auto messages = Replay({line});
        EXPECT_EQ(messages.size(), 1u);
        return messages.empty() ? LoggedMessage{} : messages.front();
    }

    // Sets every event slot to a handler that fails the test.
    void EveryEventFails() {
        const auto stats = [](const char *name) {
            return [name](TZipEngine &, const TZipFileStats &) { ADD_FAILURE() << name; };
        };
        engine.OnAdding = stats("OnAdding");
        engine.OnExtracting = stats("OnExtracting");
        engine.OnListing = stats("OnListing");
        engine.OnTesting = stats("OnTesting");
        engine.OnUpdating = stats("OnUpdating");
        engine.OnStatus = stats("OnStatus");
        engine.OnDeleting = [](TZipEngine &, const QString &) { ADD_FAILURE() << "OnDeleting"; };
        engine.OnFixing = [](TZipEngine &, const QString &) { ADD_FAILURE() << "OnFixing"; };
        engine.OnFileComment = [](TZipEngine &, TZipFileComment &) { ADD_FAILURE(); };
        engine.OnReplace = [](TZipEngine &, TZipReplace &) { ADD_FAILURE() << "OnReplace"; };
        engine.OnPwdQuery = [](TZipEngine &, TZipPwdQuery &) { ADD_FAILURE() << "OnPwdQuery"; };
        engine.OnSkippingFile = [](TZipEngine &, const TZipSkipping &) { ADD_FAILURE(); };
        engine.OnNewdisk = [](TZipEngine &, std::int32_t) { ADD_FAILURE() << "OnNewdisk"; };
    }

    TZipEngine engine;
};

TEST_F(Callback, MessagePumpRunsBeforeEveryMessage) {
    std::vector<int> pumpedBefore;
    engine.OnListing = [&](TZipEngine &, const TZipFileStats &) {
        pumpedBefore.push_back(pumpRuns_);
    };
    const auto messages = Replay({Msg(ENGINE_MSG_LISTING, Record), Msg(9999),
                                  Msg(ENGINE_MSG_LISTING, Record), Msg(ENGINE_MSG_COUNT)});
    EXPECT_EQ(pumpedBefore, (std::vector<int>{1, 3}));
    EXPECT_EQ(pumpRuns_, 4);
    for (const auto &m : messages)
        EXPECT_EQ(m.ret, 0);
}

TEST_F(Callback, PumpWithAnIntervalRunsFirstAndBeforeEveryQuestion) {
    // An interval no test outlasts: only the first message and the ones
    // whose handlers may show a box find the window brought up to date.
    TZipEngine::SetMessagePump([this] { ++pumpRuns_; }, std::chrono::hours(1));
    std::vector<int> pumpedBefore;
    engine.OnListing = [&](TZipEngine &, const TZipFileStats &) {
        pumpedBefore.push_back(pumpRuns_);
    };
    const Fields name{{"name", "a"}};
    Replay({Msg(ENGINE_MSG_LISTING, Record), Msg(ENGINE_MSG_LISTING, Record),
            Msg(ENGINE_MSG_REPLACE, name), Msg(ENGINE_MSG_LISTING, Record),
            Msg(ENGINE_MSG_SKIPPING, name), Msg(ENGINE_MSG_NEW_DISK, {{"value", "2"}}),
            Msg(ENGINE_MSG_PASSWORD, name), Msg(ENGINE_MSG_FILE_COMMENT, name),
            Msg(ENGINE_MSG_STATUS, Record), Msg(ENGINE_MSG_LISTING, Record)});
    EXPECT_EQ(pumpedBefore, (std::vector<int>{1, 1, 2, 6}));
    EXPECT_EQ(pumpRuns_, 6);

    // Installing a pump again starts afresh with a run at the first message.
    TZipEngine::SetMessagePump([this] { ++pumpRuns_; }, std::chrono::hours(1));
    Replay({Msg(ENGINE_MSG_LISTING, Record), Msg(ENGINE_MSG_LISTING, Record)});
    EXPECT_EQ(pumpRuns_, 7);
}

TEST_F(Callback, FileRecordMessagesRaiseTheirOwnEvent) {
    const std::vector<std::pair<int, TZipFileStatsEvent TZipEngine::*>> table{
        {ENGINE_MSG_TESTING, &TZipEngine::OnTesting},
        {ENGINE_MSG_EXTRACTING, &TZipEngine::OnExtracting},
        {ENGINE_MSG_LISTING, &TZipEngine::OnListing},
        {ENGINE_MSG_UPDATING, &TZipEngine::OnUpdating},
        {ENGINE_MSG_ADDING, &TZipEngine::OnAdding},
        {ENGINE_MSG_STATUS, &TZipEngine::OnStatus}};
    for (const auto &[code, slot] : table) {
        EveryEventFails();
        int raised = 0;
        engine.*slot = [&](TZipEngine &sender, const TZipFileStats &stats) {
            EXPECT_EQ(&sender, &engine);
            ExpectRecord(stats);
            ++raised;
        };
        EXPECT_EQ(ReplayOne(Msg(code, Record)).ret, 0);
        EXPECT_EQ(raised, 1) << code;
    }
}

TEST_F(Callback, EmptySlotsLeaveTheDataUnread) {
    // The data address is null: touching it would crash.
    Strings script;
    for (int code : std::initializer_list<int>{
             ENGINE_MSG_TESTING, ENGINE_MSG_EXTRACTING, ENGINE_MSG_LISTING, ENGINE_MSG_UPDATING,
             ENGINE_MSG_ADDING, ENGINE_MSG_STATUS, ENGINE_MSG_REPLACE, ENGINE_MSG_PASSWORD,
             ENGINE_MSG_FILE_COMMENT, ENGINE_MSG_NEW_DISK, ENGINE_MSG_DELETING, ENGINE_MSG_SKIPPING,
             ENGINE_MSG_FIXING, 0, 9999})
        script.push_back(Msg(code, {{"null", "1"}}));
    const auto messages = Replay(script);
    ASSERT_EQ(messages.size(), script.size());
    for (const auto &m : messages)
        EXPECT_EQ(m.ret, 0) << m.code;
    EXPECT_EQ(pumpRuns_, static_cast<int>(script.size()));
}

TEST_F(Callback, EntryMessageRaisesNothing) {
    EveryEventFails();
    EXPECT_EQ(ReplayOne(Msg(ENGINE_MSG_ENTRY, Record)).ret, 0);
    // It became the last reported entry, which a query that reports nothing
    // new hands back.
    Script({});
    ExpectRecord(engine.EntryStats(0));
}

TEST_F(Callback, UnknownCodesOnlyAnswer) {
    EveryEventFails();
    const auto messages = Replay({Msg(0), Msg(5), Msg(-7, {{"name", "x"}}), Msg(1040), Msg(99999)});
    ASSERT_EQ(messages.size(), 5u);
    for (const auto &m : messages) {
        EXPECT_EQ(m.ret, 0);
        EXPECT_TRUE(m.fields.empty());
    }
    engine.Abort = false;
    engine.OnListing = nullptr;
    TZipEngine::SetMessagePump([this] { engine.Abort = true; });
    EXPECT_EQ(ReplayOne(Msg(12345)).ret, 1);
}

TEST_F(Callback, ReplaceQueryCopiesReplyTextAndAnswer) {
    engine.OnReplace = [](TZipEngine &, TZipReplace &r) {
        EXPECT_EQ(r.FileName, "old.txt");
        EXPECT_TRUE(r.ReplyText.isEmpty());
        EXPECT_EQ(r.DoReplace, 1);
        r.ReplyText = "new.txt";
        r.DoReplace = 0;
    };
    LoggedMessage m = ReplayOne(Msg(ENGINE_MSG_REPLACE, {{"name", "old.txt"}, {"do", "1"}}));
    EXPECT_EQ(m.fields["reply"], std::string("new.txt") + '\0' + Repeat('~', 248));
    EXPECT_EQ(m.fields["do"], "0");

    // Never past the buffer: 255 characters and the NUL.
    engine.OnReplace = [](TZipEngine &, TZipReplace &r) {
        r.ReplyText = QString(400, 'r');
        r.DoReplace = 1;
    };
    m = ReplayOne(Msg(ENGINE_MSG_REPLACE, {{"name", "old.txt"}}));
    EXPECT_EQ(m.fields["reply"], Repeat('r', 255) + '\0');
    EXPECT_EQ(m.fields["do"], "1");

    // A cut never splits a character.
    engine.OnReplace = [](TZipEngine &, TZipReplace &r) {
        r.ReplyText = QString(254, 'r') + QString::fromUtf8("\xC3\xA9");
    };
    m = ReplayOne(Msg(ENGINE_MSG_REPLACE, {{"name", "old.txt"}}));
    EXPECT_EQ(m.fields["reply"], Repeat('r', 254) + '\0' + '~');

    engine.OnReplace = nullptr;
    m = ReplayOne(Msg(ENGINE_MSG_REPLACE, {{"name", "old.txt"}, {"reply", "keep"}, {"do", "1"}}));
    EXPECT_EQ(m.fields["reply"], std::string("keep") + '\0' + Repeat('~', 251));
    EXPECT_EQ(m.fields["do"], "1");
}

TEST_F(Callback, PasswordPropertyAnswersWithoutAsking) {
    engine.OnPwdQuery = [](TZipEngine &, TZipPwdQuery &) { ADD_FAILURE() << "asked"; };
    engine.Password = QString(100, 'p');
    const LoggedMessage m =
        ReplayOne(Msg(ENGINE_MSG_PASSWORD, {{"name", "secret.doc"}, {"reply", "0"}}));
    EXPECT_EQ(m.fields.at("pwd"), Repeat('p', 80) + '\0' + Repeat('~', 240));
    EXPECT_EQ(m.fields.at("reply"), "2");
}

TEST_F(Callback, PasswordQueryAsksTheHandler) {
    engine.OnPwdQuery = [](TZipEngine &, TZipPwdQuery &q) {
        EXPECT_EQ(q.FileName, "secret.doc");
        EXPECT_TRUE(q.Password.isEmpty());
        EXPECT_EQ(q.Reply, 5);
        q.Password = "s3cret";
        q.Reply = 1;
    };
    LoggedMessage m = ReplayOne(Msg(ENGINE_MSG_PASSWORD, {{"name", "secret.doc"}, {"reply", "5"}}));
    EXPECT_EQ(m.fields["pwd"], std::string("s3cret") + '\0' + Repeat('~', 314));
    EXPECT_EQ(m.fields["reply"], "1");

    // 80 characters pass whatever their length in UTF-8, as they do in the
    // argument vector.
    for (const QString &typed :
         {QString(90, 'q'), QString(90, QChar(0xE9)), QString(90, QChar(0x20AC))}) {
        engine.OnPwdQuery = [&](TZipEngine &, TZipPwdQuery &q) { q.Password = typed; };
        m = ReplayOne(Msg(ENGINE_MSG_PASSWORD, {{"name", "secret.doc"}, {"reply", "3"}}));
        const std::string sent = typed.left(80).toStdString();
        EXPECT_EQ(m.fields["pwd"], sent + '\0' + Repeat('~', 320 - sent.size()));
        EXPECT_EQ(m.fields["reply"], "3");
    }

    engine.OnPwdQuery = nullptr;
    m = ReplayOne(Msg(ENGINE_MSG_PASSWORD, {{"name", "x"}, {"pwd", "old"}, {"reply", "4"}}));
    EXPECT_EQ(m.fields["pwd"], std::string("old") + '\0' + Repeat('~', 317));
    EXPECT_EQ(m.fields["reply"], "4");
}

TEST_F(Callback, FileCommentGoesBackWithoutTerminator) {
    engine.OnFileComment = [](TZipEngine &, TZipFileComment &c) {
        EXPECT_EQ(c.FileName, "a.txt");
        EXPECT_TRUE(c.Comment.isEmpty());
        c.Comment = "hi";
    };
    LoggedMessage m = ReplayOne(Msg(ENGINE_MSG_FILE_COMMENT, {{"name", "a.txt"}, {"len", "9"}}));
    EXPECT_EQ(m.fields["comment"], "hi" + Repeat('~', 253));
    EXPECT_EQ(m.fields["len"], "2");

    engine.OnFileComment = [](TZipEngine &, TZipFileComment &c) { c.Comment = QString(300, 'c'); };
    m = ReplayOne(Msg(ENGINE_MSG_FILE_COMMENT, {{"name", "a.txt"}}));
    EXPECT_EQ(m.fields["comment"], Repeat('c', 255));
    EXPECT_EQ(m.fields["len"], "255");

    engine.OnFileComment = nullptr;
    m = ReplayOne(Msg(ENGINE_MSG_FILE_COMMENT, {{"name", "a.txt"}, {"len", "7"}}));
    EXPECT_EQ(m.fields["comment"], Repeat('~', 255));
    EXPECT_EQ(m.fields["len"], "7");
}

TEST_F(Callback, ArchiveCommentIsReadIntoTheSharedBuffer) {
    Script({Msg(ENGINE_MSG_ARCHIVE_COMMENT, {{"text", "Hello world"}})});
    EXPECT_EQ(engine.ArchiveComment(), "Hello world");
    EXPECT_EQ(TZipEngine::CommentBuffer(), QByteArray("Hello world"));

    // The length, not a terminator, ends the text; more than 255 is cut.
    Script({Msg(ENGINE_MSG_ARCHIVE_COMMENT, {{"text", Repeat('k', 300)}})});
    EXPECT_EQ(engine.ArchiveComment(), QString(255, 'k'));
    Script({Msg(ENGINE_MSG_ARCHIVE_COMMENT, {{"text", "abcdef"}, {"len", "3"}})});
    EXPECT_EQ(engine.ArchiveComment(), "abc");

    // Success without a comment message: the buffer's previous text.
    Script({});
    EXPECT_EQ(engine.ArchiveComment(), "abc");
    Script({Result(100)});
    EXPECT_EQ(engine.ArchiveComment(), "Error #100");
    EXPECT_EQ(TZipEngine::CommentBuffer(), QByteArray("abc"));

    // One buffer for the process, emptied by every new instance.
    TZipEngine other;
    EXPECT_TRUE(TZipEngine::CommentBuffer().isEmpty());
    Script({});
    EXPECT_EQ(engine.ArchiveComment(), "");
}

TEST_F(Callback, CommentWantedIsAnsweredFromTheBuffer) {
    Script({Msg(ENGINE_MSG_COMMENT_WANTED, {{"len", "999"}})});
    engine.SetArchiveComment("Hello");
    LoggedMessage m = OneCall().messages.at(0);
    EXPECT_EQ(m.ret, 0);
    EXPECT_EQ(m.fields["buf"], "Hello" + Repeat('~', ENGINE_ARCHIVE_COMMENT_CAPACITY - 5));
    EXPECT_EQ(m.fields["len"], "5");
    EXPECT_EQ(m.fields["done"], "1");

    engine.SetArchiveComment(QString(300, 'w'));
    m = OneCall().messages.at(0);
    EXPECT_EQ(m.fields["buf"],
              Repeat('w', 255) + Repeat('~', ENGINE_ARCHIVE_COMMENT_CAPACITY - 255));
    EXPECT_EQ(m.fields["len"], "255");
    EXPECT_EQ(TZipEngine::CommentBuffer(), QByteArray(255, 'w'));

    // An empty comment is a valid answer too.
    engine.SetArchiveComment("");
    m = OneCall().messages.at(0);
    EXPECT_EQ(m.fields["buf"], Repeat('~', ENGINE_ARCHIVE_COMMENT_CAPACITY));
    EXPECT_EQ(m.fields["len"], "0");
    EXPECT_EQ(m.fields["done"], "1");
}

TEST_F(Callback, NameAndNumberMessages) {
    EveryEventFails();
    std::vector<std::string> seen;
    engine.OnDeleting = [&](TZipEngine &e, const QString &name) {
        EXPECT_EQ(&e, &engine);
        seen.push_back("del " + name.toStdString());
    };
    engine.OnFixing = [&](TZipEngine &, const QString &name) {
        seen.push_back("fix " + name.toStdString());
    };
    engine.OnSkippingFile = [&](TZipEngine &, const TZipSkipping &s) {
        seen.push_back("skip " + s.FileName.toStdString() + " " + std::to_string(s.Reason));
    };
    engine.OnNewdisk = [&](TZipEngine &, std::int32_t disk) {
        seen.push_back("disk " + std::to_string(disk));
    };
    Replay({Msg(ENGINE_MSG_DELETING, {{"name", "gone.txt"}}),
            Msg(ENGINE_MSG_FIXING, {{"name", "fixed.txt"}}),
            Msg(ENGINE_MSG_SKIPPING, {{"name", "bad.txt"}, {"reason", "5"}}),
            Msg(ENGINE_MSG_NEW_DISK, {{"value", "3"}}),
            Msg(ENGINE_MSG_NEW_DISK, {{"value", "0"}})});
    EXPECT_EQ(seen, (std::vector<std::string>{"del gone.txt", "fix fixed.txt", "skip bad.txt 5",
                                              "disk 3", "disk 0"}));
}

TEST_F(Callback, QueriesReturnTheLastReportedValues) {
    Script({Msg(ENGINE_MSG_COUNT, {{"value", "7"}})});
    EXPECT_EQ(engine.EntryCount(), 7);
    Script({});
    EXPECT_EQ(engine.EntryCount(), 7); // success without a report: kept
    Script({Result(110), Msg(ENGINE_MSG_COUNT, {{"value", "9"}})});
    EXPECT_EQ(engine.EntryCount(), 0);
    Script({});
    EXPECT_EQ(engine.EntryCount(), 9); // the failed call still reported

    Script({Msg(ENGINE_MSG_ENTRY, Record)});
    ExpectRecord(engine.EntryStats(2));
    Script({});
    ExpectRecord(engine.EntryStats(3));
    Script({Result(100)});
    const TZipFileStats failed = engine.EntryStats(2);
    EXPECT_TRUE(failed.FileName.isEmpty());
    EXPECT_EQ(failed.Size, 0);
    EXPECT_EQ(failed.Attributes, 0);
    EXPECT_FALSE(failed.DateTime.isValid());
    EXPECT_FALSE(failed.EngineFlag);
    EXPECT_EQ(TakeCalls().size(), 7u);
}

TEST_F(Callback, ResultSplitsIntoCodeAndSecondaryCode) {
    Script({Result(0x0003008C)});
    EXPECT_EQ(engine.TestArchive(), 140);
    EXPECT_EQ(engine.SecondaryCode, 3);
    Script({Result(-1)});
    EXPECT_EQ(engine.TestArchive(), 0xFFFF);
    EXPECT_EQ(engine.SecondaryCode, 0xFFFF);
    Script({Result(40)});
    EXPECT_EQ(engine.AddToArchive(TZipAddMode::Add), 40);
    EXPECT_EQ(engine.SecondaryCode, 0);
}

TEST_F(Callback, AbortSetBeforeTheCallHasNoEffect) {
    engine.Abort = true;
    EXPECT_EQ(ReplayOne(Msg(ENGINE_MSG_LISTING, Record)).ret, 0);
    EXPECT_FALSE(engine.Abort);

    engine.Abort = true;
    Script({Msg(ENGINE_MSG_COUNT, {{"value", "1"}})});
    EXPECT_EQ(engine.EntryCount(), 1);
    EXPECT_EQ(OneCall().messages.at(0).ret, 0);
}

TEST_F(Callback, AbortSetDuringTheCallStopsAtThatVeryMessage) {
    int listed = 0;
    engine.OnListing = [&](TZipEngine &e, const TZipFileStats &) {
        if (++listed == 2)
            e.Abort = true;
    };
    const auto messages =
        Replay({Msg(ENGINE_MSG_LISTING, Record), Msg(ENGINE_MSG_LISTING, Record), Msg(9999)});
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].ret, 0);
    EXPECT_EQ(messages[1].ret, 1);
    EXPECT_EQ(messages[2].ret, 1);
    EXPECT_FALSE(engine.Abort); // cleared after the call

    // The abort button, pressed while the callback dispatches messages.
    engine.OnListing = nullptr;
    int pumped = 0;
    TZipEngine::SetMessagePump([&] {
        if (++pumped == 2)
            engine.Abort = true;
    });
    Script({AbortResult(190), Msg(ENGINE_MSG_LISTING, Record), Msg(ENGINE_MSG_COUNT),
            Msg(ENGINE_MSG_LISTING, Record)});
    EXPECT_EQ(engine.ListArchive(), 190);
    const LoggedCall call = OneCall();
    ASSERT_EQ(call.messages.size(), 2u);
    EXPECT_EQ(call.messages[1].ret, 1);
    EXPECT_FALSE(engine.Abort);
}

TEST_F(Callback, HandlerErrorsStopTheEngineAndReachTheCaller) {
    int raised = 0;
    engine.OnListing = [&](TZipEngine &, const TZipFileStats &) {
        ++raised;
        throw std::runtime_error("handler failed");
    };
    engine.FilesToProcess = QStringList{"a"};
    Script({Msg(ENGINE_MSG_LISTING, Record), Msg(ENGINE_MSG_LISTING, Record),
            Msg(ENGINE_MSG_REPLACE, {{"name", "x"}, {"reply", "keep"}})});
    engine.OnReplace = [](TZipEngine &, TZipReplace &r) { r.ReplyText = "changed"; };
    try {
        engine.ListArchive();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error &error) {
        EXPECT_STREQ(error.what(), "handler failed");
    }
    // The engine was asked to stop and nothing more was acted on.
    EXPECT_EQ(raised, 1);
    const LoggedCall call = OneCall();
    ASSERT_EQ(call.messages.size(), 3u);
    for (const auto &m : call.messages)
        EXPECT_EQ(m.ret, 1);
    EXPECT_EQ(call.messages[2].fields.at("reply").substr(0, 5), std::string("keep") + '\0');
    // The frame cleaned up before the error went on.
    EXPECT_TRUE(engine.FilesToProcess.isEmpty());
    EXPECT_FALSE(engine.Abort);

    // Nothing of it lingers into the next operation.
    engine.OnListing = nullptr;
    EXPECT_EQ(engine.ListArchive(), 0);
    EXPECT_EQ(OneCall().messages.at(0).ret, 0);
}

TEST_F(Callback, HandlerErrorsInEveryKindOfFrame) {
    engine.OnListing = [](TZipEngine &, const TZipFileStats &) {
        throw std::runtime_error("in query");
    };
    Script({AbortResult(190), Msg(ENGINE_MSG_LISTING, Record), Msg(ENGINE_MSG_COUNT)});
    EXPECT_THROW(engine.EntryCount(), std::runtime_error);
    EXPECT_EQ(OneCall().messages.size(), 1u);

    engine.OnFileComment = [](TZipEngine &, TZipFileComment &) { throw 42; };
    engine.FilesToProcess = QStringList{"kept"};
    Script({Msg(ENGINE_MSG_FILE_COMMENT, {{"name", "a"}})});
    EXPECT_THROW(engine.SetArchiveComment("c"), int);
    EXPECT_EQ(engine.FilesToProcess, QStringList{"kept"});
    TakeCalls();

    TZipEngine::SetMessagePump([] { throw std::logic_error("pump"); });
    Script({Msg(9999)});
    EXPECT_THROW(engine.AddToArchive(TZipAddMode::Add), std::logic_error);
    EXPECT_TRUE(engine.FilesToProcess.isEmpty());
    EXPECT_EQ(OneCall().messages.at(0).ret, 1);
}

TEST_F(Callback, ErrorsNeverLeaveTheCallbackItself) {
    engine.OnNewdisk = [](TZipEngine &, std::int32_t) { throw std::runtime_error("x"); };
    std::int32_t disk = 2;
    std::int32_t answer = -1;
    EXPECT_NO_THROW(answer = TZipEngine::EngineCallback(ENGINE_MSG_NEW_DISK, &disk, &engine));
    EXPECT_EQ(answer, 1);
    // An error left over from outside any operation does not leak into the
    // next one.
    engine.OnNewdisk = nullptr;
    EXPECT_EQ(engine.ListArchive(), 0);
    TakeCalls();
}

} // namespace
