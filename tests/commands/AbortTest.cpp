// Abort pressed during a long operation of every kind, in both writing
// modes: the operation stops and the archive is as it was.
#include "CommandsTest.h"

#include "ExtractFiles.h"
#include "MainForm.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTimer>
#include <QToolButton>

using platform::MsgResult;

class AbortTest : public CommandsTest {};

TEST_F(AbortTest, AbortStopsAddInBothModesExtractAndTestLeavingTheArchiveAsItWas) {
    // Random data does not shrink, so every operation on it takes a while.
    QByteArray big(48 << 20, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(big.data()), big.size() / 4);
    const QString bigFile = WriteFile(QStringLiteral("in/big.bin"), big);
    const QString bigArchive =
        MakeZip(QStringLiteral("big.zip"), {{QStringLiteral("big.bin"), big}});
    big.clear();

    struct Case {
        const char *name;
        const char *ini;
        const char *verb;
    };
    const Case cases[] = {
        {"add through a temporary file", "UseTempFile=1", "adding"},
        {"add growing the archive in place", "UseTempFile=0", "adding"},
        {"extract", "", "extracting"},
        {"test with the default settings", "", "testing"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString verb = QString::fromLatin1(c.verb);
        WriteIni(QStringLiteral("[Settings]\nConfirmAdd=0\n") + QString::fromLatin1(c.ini));
        const QString archive = verb == QLatin1String("adding")
                                    ? MakeZip(QStringLiteral("a.zip"), {{"old.txt", "old"}})
                                    : bigArchive;
        const QByteArray before = ReadFile(archive);
        const QString outFolder = TempPath(QStringLiteral("out"));
        QDir(outFolder).removeRecursively();
        auto form = NewForm();
        if (verb != QLatin1String("testing"))
            form->OpenZipFile(archive);
        auto *abort = form->findChild<QToolButton *>(QStringLiteral("AbortSb"));
        ASSERT_FALSE(abort->isEnabled());
        bool enabledWhileBusy = false;
        // The first window events dispatched inside the operation press the button.
        QTimer::singleShot(0, form.get(), [&] {
            enabledWhileBusy = abort->isEnabled();
            abort->click();
        });
        desktop_->clear();
        if (verb == QLatin1String("adding"))
            desktop_->answerFiles({bigFile});
        if (verb == QLatin1String("testing"))
            desktop_->answerFiles({archive});
        desktop_->answerMessage(MsgResult::OK); // the abort question
        desktop_->answerMessage(MsgResult::OK); // the result
        if (verb == QLatin1String("adding"))
            form->RunItemCommand(QStringLiteral("EditAddMn"));
        else if (verb == QLatin1String("extracting"))
            ExtractFiles(form->Session(), *form, ExtractRequestFor(form->Settings, outFolder));
        else
            form->RunItemCommand(QStringLiteral("FileTestMn"));

        EXPECT_TRUE(enabledWhileBusy);
        EXPECT_FALSE(abort->isEnabled());
        const auto boxes = desktop_->messages();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].text, QStringLiteral("The %1 operation was aborted.").arg(verb));
        EXPECT_EQ(ReadFile(archive), before);
        // Nothing half-written is left behind either.
        EXPECT_TRUE(QDir(outFolder)
                        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                        .isEmpty());
    }
}
