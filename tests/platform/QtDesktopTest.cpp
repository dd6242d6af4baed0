#include "ProgramFileDialog.h"
#include "SelectDirectoryDialog.h"
#include "TextEditorWindow.h"
#include "platform/Desktop.h"
#include "platform/testing/QtPrinters.h"
#include "platform/testing/ScriptedDesktop.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace platform;
using platform::testing::ScriptedDesktop;

namespace {

void WriteFile(const QString &path, const QByteArray &content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray ReadFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <typename T> T *TopLevel(const char *name) {
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *w : widgets) {
        if (w->objectName() == QLatin1String(name))
            return dynamic_cast<T *>(w);
    }
    return nullptr;
}

} // namespace

TEST(QtDesktopTest, FileDialogListsZipFilesInAnyCaseAndAddsTheDefaultExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char *name : {"a.zip", "B.ZIP", "c.txt"})
        WriteFile(dir.path() + u'/' + QLatin1String(name), "x");

    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.title = QStringLiteral("New Archive");
    request.initialDir = dir.path();
    request.filter = QStringLiteral("Zip file (*.ZIP)|*.ZIP|All files (*.*)|*.*");
    request.defaultExt = QStringLiteral("ZIP");
    ProgramFileDialog dialog(request, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "New Archive");
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));

    QStringList listed;
    QTimer::singleShot(0, &dialog, [&dialog, &listed] {
        auto *view = dialog.findChild<QAbstractItemView *>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(QTest::qWaitFor(
            [view] { return view->model()->rowCount(view->rootIndex()) >= 2; }, 3000));
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText("new");
        dialog.accept();
    });
    const FileDialogResult result = dialog.run();
    listed.sort();
    EXPECT_EQ(listed, QStringList({"B.ZIP", "a.zip"}));
    ASSERT_TRUE(result.accepted);
    EXPECT_EQ(result.files, QStringList{dir.path() + "/new.ZIP"});
    EXPECT_EQ(result.filterIndex, 1);
}

TEST(QtDesktopTest, SelectDirectoryDialogStartsAtTheFolderAndTakesTypedNames) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SelectDirectoryDialog dialog(QStringLiteral("Select Directory"), dir.path(), nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Select Directory");
    EXPECT_EQ(dialog.folder(), dir.path());
    // Typing goes to the name, replacing it; Return takes it.
    dialog.show();
    QWidget *focus = dialog.focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->objectName(), "DirectoryName");
    QTest::keyClicks(focus, dir.path() + "/x/../y");
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.folder(), dir.path() + "/y");
}

TEST(QtDesktopTest, NotepadOpensTheTextEditorAndMissingFilesFail) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString readme = dir.path() + QStringLiteral("/README.TXT");
    WriteFile(readme, "Read me.\n");
    const auto desktop = CreateQtDesktop();
    EXPECT_LE(desktop->shellOpen(dir.path() + "/README.DOC", QString()), 32);
    EXPECT_GT(desktop->shellOpen(QStringLiteral("notepad.exe"), readme), 32);
    QPointer<TextEditorWindow> editor = TopLevel<TextEditorWindow>("TextEditorWindow");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->fileName(), readme);
    EXPECT_EQ(editor->editor()->toPlainText(), "Read me.\n");
    EXPECT_EQ(editor->windowTitle(), "README.TXT - Text Editor");
    editor->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(editor);
}

TEST(QtDesktopTest, TextEditorSavesAndAsksBeforeDroppingChanges) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + QStringLiteral("/notes.txt");
    ScriptedDesktop desktop;
    auto *editor = new TextEditorWindow;
    QPointer<TextEditorWindow> alive(editor);
    ASSERT_TRUE(editor->openFile(path)); // a new file opens empty
    editor->editor()->setPlainText(QStringLiteral("one\ntwo"));
    ASSERT_TRUE(editor->save());
    EXPECT_EQ(ReadFile(path), "one\ntwo");

    editor->editor()->appendPlainText(QStringLiteral("three"));
    desktop.answerMessage(MsgResult::Cancel);
    EXPECT_FALSE(editor->close());
    EXPECT_TRUE(desktop.messages().back().text.startsWith("The text in the " + path));

    desktop.answerMessage(MsgResult::Yes);
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(ReadFile(path), "one\ntwo\nthree");

    auto *untitled = new TextEditorWindow;
    untitled->editor()->setPlainText(QStringLiteral("draft"));
    desktop.answerFiles({dir.path() + "/draft.TXT"});
    ASSERT_TRUE(untitled->save()); // no name yet: Save As
    EXPECT_EQ(desktop.requestsOf(ScriptedDesktop::Kind::FileDialog).back().fileDialog.mode,
              FileDialogRequest::Mode::Save);
    EXPECT_EQ(ReadFile(dir.path() + "/draft.TXT"), "draft");
    untitled->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(QtDesktopTest, TextEditorPastesTextAndIgnoresAnEmptyClipboard) {
    TextEditorWindow editor;
    editor.editor()->setPlainText(QStringLiteral("kept"));
    editor.editor()->moveCursor(QTextCursor::End);
    QApplication::clipboard()->clear();
    QTest::keyClick(editor.editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor.editor()->toPlainText(), "kept");
    QApplication::clipboard()->setText(QStringLiteral(" and pasted"));
    QTest::keyClick(editor.editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor.editor()->toPlainText(), "kept and pasted");
}

TEST(QtDesktopTest, HelpStaysUsableBesideADialogThatBlocksTheProgram) {
    QWidget main;
    main.show();
    QDialog dialog(&main);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const auto desktop = CreateQtDesktop();
    HelpRequest request;
    request.command = HelpRequest::Command::PartialKey;
    request.helpFile = QStringLiteral(TARNWICK_BIN_DIR "/Tarnwick.hlp");
    desktop->showHelp(request);
    const std::unique_ptr<QWidget> viewer(TopLevel<QWidget>("HelpViewer"));
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer.get()));
    auto *search = viewer->findChild<QLineEdit *>(QStringLiteral("HelpSearch"));
    search->setFocus();
    // Typed as the window system delivers keys, which skips blocked windows.
    QTest::keyClick(viewer->windowHandle(), Qt::Key_Z);
    EXPECT_EQ(search->text(), "z");
}

TEST(QtDesktopTest, TextQueryTakesTheTypedTextAndTheOptionOrNothingOnEscape) {
    const std::unique_ptr<Desktop> desktop = CreateQtDesktop();
    TextQueryRequest request{QStringLiteral("Select Matching"), QStringLiteral("Pattern:"),
                             QStringLiteral("old"), QStringLiteral("&Add"), false};
    QStringList seen;
    const auto answerWith = [&](std::function<void(QWidget &)> act) {
        QTimer::singleShot(0, [&seen, act] {
            QWidget *box = TopLevel<QWidget>("TextQueryDlg");
            ASSERT_NE(box, nullptr);
            auto *text = box->findChild<QLineEdit *>(QStringLiteral("EdQueryText"));
            seen << box->windowTitle() << text->text() << text->selectedText();
            act(*box);
        });
    };
    answerWith([](QWidget &box) {
        auto *text = box.findChild<QLineEdit *>(QStringLiteral("EdQueryText"));
        QTest::keyClicks(text, QStringLiteral("*.txt")); // replaces the selected text
        box.findChild<QAbstractButton *>(QStringLiteral("CkBxQueryOption"))->click();
        QTest::keyClick(text, Qt::Key_Return);
    });
    const TextQueryResult typed = desktop->textQuery(request);
    EXPECT_EQ(seen, (QStringList{"Select Matching", "old", "old"}));
    EXPECT_TRUE(typed.accepted);
    EXPECT_EQ(typed.text, QStringLiteral("*.txt"));
    EXPECT_TRUE(typed.optionChecked);

    request.option.clear();
    answerWith([](QWidget &box) {
        EXPECT_EQ(box.findChild<QAbstractButton *>(QStringLiteral("CkBxQueryOption")), nullptr);
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    EXPECT_FALSE(desktop->textQuery(request).accepted);
}
