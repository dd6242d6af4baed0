// An archive that holds an entry of its own name, extracted or viewed into
// its own folder: the entry is skipped, never written over the archive,
// whichever path the archive was opened by.
#include "CommandsTest.h"

#include "ExtractFiles.h"
#include "MainForm.h"
#include "ViewFolder.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

using platform::MsgResult;

void SelectNames(TMainFormFm &form, const QStringList &names);

class OwnArchiveTest : public CommandsTest {};

TEST_F(OwnArchiveTest, AnEntryNamedLikeTheOpenArchiveIsSkippedByExtractAndView) {
    const QByteArray entry(34, 'e');
    struct Case {
        const char *spelling;
        bool view;
    };
    const Case cases[] = {{"same", false},     {"spelling", false}, {"hard", false},
                          {"symbolic", false}, {"same", true},      {"spelling", true},
                          {"hard", true},      {"symbolic", true}};
    int index = 0;
    for (const Case &c : cases) {
        const QString spelling = QString::fromLatin1(c.spelling);
        SCOPED_TRACE((spelling + (c.view ? " view" : " extract")).toStdString());
        const QString root = QStringLiteral("case%1").arg(index++);
        QDir().mkpath(TempPath(root + QStringLiteral("/folder")));
        QDir().mkpath(TempPath(root + QStringLiteral("/elsewhere")));
        const QString folder = TempPath(root + QStringLiteral("/folder"));
        const QString archive =
            MakeZip(root + QStringLiteral("/folder/self.zip"),
                    {{QStringLiteral("self.zip"), entry}, {QStringLiteral("other.txt"), "other"}});
        const QByteArray before = ReadFile(archive);
        QString opened = archive;
        const QByteArray target = QFile::encodeName(archive);
        if (spelling == QLatin1String("spelling")) {
            opened = folder + QStringLiteral("/../folder/./self.zip");
        } else if (spelling == QLatin1String("hard")) {
            opened = TempPath(root + QStringLiteral("/elsewhere/hard.zip"));
            ASSERT_EQ(::link(target.constData(), QFile::encodeName(opened).constData()), 0);
        } else if (spelling == QLatin1String("symbolic")) {
            opened = TempPath(root + QStringLiteral("/elsewhere/link.zip"));
            ASSERT_EQ(::symlink(target.constData(), QFile::encodeName(opened).constData()), 0);
        }

        auto form = NewForm();
        form->OpenZipFile(opened);
        form->Settings.Overwrite = 1; // "Always Overwrite"
        ApplyOverwriteSetting(form->Settings.Overwrite, form->Session().MainZip);
        SelectNames(*form, {QStringLiteral("self.zip"), QStringLiteral("other.txt")});
        desktop_->clear();
        if (c.view)
            desktop_->answerShellOpen(42);
        else
            desktop_->answerMessage(MsgResult::OK).answerMessage(MsgResult::OK);
        if (c.view) {
            form->Settings.TempFolder = folder;
            form->RunItemCommand(QStringLiteral("EditView1"));
        } else {
            ExtractFiles(form->Session(), *form, ExtractRequestFor(form->Settings, folder));
        }
        // View writes into a folder of its own inside the one set, where
        // the archive cannot be.
        const QString written =
            c.view ? ViewFolderFor(folder, platform::TempPath()).Folder : folder;
        const auto boxes = desktop_->messages();
        if (c.view) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes[0].text, QStringLiteral("Skipping \"self.zip\", unable to open file."));
        }
        EXPECT_EQ(ReadFile(archive), before);
        EXPECT_EQ(ReadFile(written + QStringLiteral("/other.txt")), QByteArray("other"));
        EXPECT_EQ(form->RowTexts().size(), 2);

        // View deletes at exit what it wrote, and nothing else.
        form->close();
        EXPECT_EQ(ReadFile(archive), before);
        EXPECT_EQ(QFileInfo::exists(written + QStringLiteral("/other.txt")), !c.view);
    }
}
