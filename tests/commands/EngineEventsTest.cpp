// The handlers of a running operation bound to the engine component's
// callback, and the questions during real operations; the handlers' and
// the boxes' own rules over a fake view are in CommandRulesTest.cpp.
#include "CommandsTest.h"

#include "EngineMessages.h"
#include "MainForm.h"

#include <QDir>

using platform::MsgButton;
using platform::MsgResult;

namespace {

std::int32_t Send(TMainFormFm &form, std::int32_t code, void *data) {
    return TZipEngine::EngineCallback(code, data, &form.Session().MainZip);
}

EngineFileRecord Record(const char *name, std::uint8_t percent = 0) {
    EngineFileRecord record{};
    record.FileName = name;
    record.PercentDone = percent;
    return record;
}

} // namespace

TEST(EngineMessagesTest, SkippedFileTextsInBothWordings) {
    const char *const reasons[] = {"file not found.",
                                   "unknown compression.",
                                   "CRC does not check out.",
                                   "file is already up to date.",
                                   "unable to open file.",
                                   "invalid or no password to decrypt file.",
                                   "file's compressed data is corrupted.",
                                   ""};
    for (std::uint8_t reason = 0; reason <= 7; ++reason) {
        const QString tail = QString::fromLatin1(reasons[reason]);
        EXPECT_EQ(SkippingText(false, QStringLiteral("d/a.txt"), reason),
                  QStringLiteral("Skipping \"d/a.txt\", ") + tail);
        EXPECT_EQ(SkippingText(true, QStringLiteral("d/a.txt"), reason),
                  QStringLiteral("File \"d/a.txt\" failed test: ") + tail);
    }
    EXPECT_EQ(SkippingText(false, QStringLiteral("x"), 255), QStringLiteral("Skipping \"x\", "));
}

TEST(EngineMessagesTest, NewDiskAndReplaceTexts) {
    EXPECT_EQ(NewdiskText(3), QStringLiteral("Please insert disk #3 of the set."));
    EXPECT_EQ(NewdiskText(0), QStringLiteral("Please insert the last disk of the set."));
    EXPECT_EQ(ReplaceQuestion(QStringLiteral("a b.txt")),
              QStringLiteral("The file \"a b.txt\" already exists. Do you want to replace this "
                             "file?"));
}

class EngineEventsTest : public CommandsTest {};

TEST_F(EngineEventsTest, PerFileEventsShowTheNameAndRestartTheBar) {
    auto form = NewForm();
    struct Case {
        std::int32_t code;
        const char *text;
        bool record; // else the name alone is delivered
    };
    const Case cases[] = {{ENGINE_MSG_ADDING, "Adding \"d/a.txt\".", true},
                          {ENGINE_MSG_UPDATING, "Updating \"d/a.txt\".", true},
                          {ENGINE_MSG_EXTRACTING, "Extracting \"d/a.txt\".", true},
                          {ENGINE_MSG_TESTING, "Testing \"d/a.txt\".", true},
                          {ENGINE_MSG_DELETING, "Deleting \"d/a.txt\".", false},
                          {ENGINE_MSG_FIXING, "Fixing \"d/a.txt\".", false}};
    for (const Case &c : cases) {
        EngineFileRecord status = Record("d/a.txt", 57);
        EXPECT_EQ(Send(*form, ENGINE_MSG_STATUS, &status), 0);
        ASSERT_EQ(form->ProgressPosition(), 57);
        EngineFileRecord record = Record("d/a.txt");
        char name[] = "d/a.txt";
        EXPECT_EQ(Send(*form, c.code, c.record ? static_cast<void *>(&record) : name), 0);
        EXPECT_EQ(form->StatusText(), QString::fromLatin1(c.text));
        EXPECT_EQ(form->ProgressPosition(), 0) << c.text;
    }
    EXPECT_TRUE(desktop_->messages().empty());
}

TEST_F(EngineEventsTest, ReplacePromptDuringARealExtraction) {
    const QString archive =
        MakeZip(QStringLiteral("r.zip"), {{QStringLiteral("a.txt"), QByteArray("new")}});
    struct Case {
        MsgResult answer;
        int result;
        const char *content;
    };
    const Case cases[] = {{MsgResult::Yes, 0, "new"},
                          {MsgResult::No, 0, "old"},
                          {MsgResult::Abort, 190, "old"},
                          {MsgResult::Cancel, 190, "old"}}; // the title-bar close
    auto form = NewForm();
    for (const Case &c : cases) {
        const QString target = WriteFile(QStringLiteral("out/a.txt"), "old");
        form->Session().MainZip.ZipFileName = archive;
        form->Session().MainZip.ExtractDirectory = QFileInfo(target).path();
        form->Session().MainZip.Overwrite = zowAsk;
        desktop_->clear();
        desktop_->answerMessage(c.answer);
        form->SetBusy(false);
        const int result = form->Session().MainZip.ExtractFromArchive(TZipExtractMode::All);
        form->SetBusy(true);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(ReadFile(target), QByteArray(c.content));
        ASSERT_EQ(desktop_->messages().size(), 1u);
        EXPECT_EQ(desktop_->messages()[0].text, ReplaceQuestion(QStringLiteral("a.txt")));
        EXPECT_EQ(desktop_->messages()[0].buttons,
                  MsgButton::Yes | MsgButton::No | MsgButton::Abort);
        if (c.result == 190) {
            desktop_->answerMessage(MsgResult::OK);
            EXPECT_EQ(form->ShowZipResult(result, QStringLiteral("extracting")), 2);
            EXPECT_EQ(desktop_->messages().back().text,
                      QStringLiteral("The extracting operation was aborted."));
        }
    }
}

TEST_F(EngineEventsTest, PasswordAskedWhenNoneIsStored) {
    TZipEngine maker;
    maker.ZipFileName = TempPath(QStringLiteral("aes.zip"));
    maker.Password = QStringLiteral("SECRET");
    maker.Encryption = zenAes256;
    maker.UsePaths = false;
    maker.FilesToProcess = {WriteFile(QStringLiteral("src/a.txt"), "alpha"),
                            WriteFile(QStringLiteral("src/b.txt"), "beta")};
    ASSERT_EQ(maker.AddToArchive(TZipAddMode::Add), 0);
    // The script: a typed password, "" for Cancel, "!" for OK to a skip warning.
    struct Case {
        const char *name;
        const char *ini;
        QStringList script;
        QStringList extracted;
        int skips; // each for want of the right password
    };
    const Case cases[] = {
        {"typed", "", {"SECRET"}, {"a.txt", "b.txt"}, 0},
        {"cancel", "", {"", "!", "", "!"}, {}, 2},
        {"wrong twice", "", {"nope", "nope", "!", "SECRET"}, {"b.txt"}, 1},
        {"question off", "AskPassword=0\n", {"!", "!"}, {}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(QStringLiteral("[Settings]\n") + QString::fromLatin1(c.ini));
        auto form = NewForm();
        form->Session().MainZip.ZipFileName = maker.ZipFileName;
        desktop_->clear();
        for (const QString &step : c.script) {
            if (step == u'!')
                desktop_->answerMessage(MsgResult::OK);
            else if (step.isEmpty())
                desktop_->cancelText();
            else
                desktop_->answerText(step);
        }
        const auto extract = [&](const QString &folder) {
            form->SetBusy(false);
            TExtractRequest request;
            request.Folder = TempPath(folder);
            const TSessionOutcome outcome = form->Session().Extract(request);
            form->SetBusy(true);
            QStringList found = QDir(TempPath(folder)).entryList(QDir::Files, QDir::Name);
            return std::make_pair(outcome, found);
        };
        const auto [outcome, found] = extract(QStringLiteral("out-") + c.name);
        EXPECT_EQ(found, c.extracted);
        ASSERT_EQ(outcome.Skips.size(), c.skips);
        for (const TZipSkipping &skip : outcome.Skips)
            EXPECT_EQ(skip.Reason, ENGINE_SKIP_PASSWORD);
        const auto questions =
            desktop_->requestsOf(platform::testing::ScriptedDesktop::Kind::TextQuery);
        if (!questions.empty()) {
            EXPECT_EQ(questions[0].textQuery.prompt,
                      QStringLiteral("Enter the password for a.txt:"));
            EXPECT_TRUE(questions[0].textQuery.masked);
        }
        if (c.skips == 0) {
            // Remembered for this archive: the next operation asks nothing.
            desktop_->clear();
            EXPECT_EQ(extract(QStringLiteral("again")).second, c.extracted);
            EXPECT_TRUE(desktop_->requests().empty());
        }
        form->SaveSettingsNow1Click();
        EXPECT_FALSE(IniText().contains(QStringLiteral("SECRET")));
        EXPECT_EQ(IniText().contains(QStringLiteral("AskPassword")), *c.ini != '\0');
    }
}
