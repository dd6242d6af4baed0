#include "QtMessageBox.h"
#include "platform/Desktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Runs `act` on the box once it is up, then returns the box's answer.
MsgResult AskAnd(ProgramMessageBox &box, std::function<void(ProgramMessageBox &)> act) {
    QTimer::singleShot(0, &box, [&box, act] {
        EXPECT_TRUE(box.isVisible());
        act(box);
    });
    return box.ask();
}

MsgResult PressKey(MsgButtons buttons, Qt::Key key) {
    ProgramMessageBox box({QStringLiteral("Text"), MsgKind::Confirm, buttons, {}}, nullptr);
    return AskAnd(box, [key](ProgramMessageBox &b) { QTest::keyClick(&b, key); });
}

MsgResult CloseFromTitleBar(MsgButtons buttons) {
    ProgramMessageBox box({QStringLiteral("Text"), MsgKind::Warning, buttons, {}}, nullptr);
    return AskAnd(box, [](ProgramMessageBox &b) { b.close(); });
}

} // namespace

TEST(MessageBoxTest, ButtonsKeepTheDesignedOrderAndTexts) {
    const MsgButtons all =
        MsgButton::Abort | MsgButton::Cancel | MsgButton::OK | MsgButton::No | MsgButton::Yes;
    ProgramMessageBox box({QStringLiteral("Text"), MsgKind::Confirm, all, {}}, nullptr);
    box.show();
    QStringList texts;
    int lastX = -1;
    for (MsgButton b : ButtonsInOrder(all)) {
        QAbstractButton *push = box.buttonFor(b);
        ASSERT_NE(push, nullptr);
        texts << push->text();
        const int x = push->mapTo(&box, QPoint()).x();
        EXPECT_GT(x, lastX) << push->text().toStdString();
        lastX = x;
    }
    EXPECT_EQ(texts, QStringList({"&Yes", "&No", "OK", "Cancel", "&Abort"}));
    EXPECT_EQ(static_cast<QAbstractButton *>(box.defaultButton()), box.buttonFor(MsgButton::OK));
    box.hide();
}

TEST(MessageBoxTest, CaptionIconAndCarriageReturnLineBreaks) {
    ProgramMessageBox box(
        {QStringLiteral("First\rSecond\r\nThird"), MsgKind::Error, MsgButton::OK, {}}, nullptr);
    EXPECT_EQ(box.windowTitle(), "Error");
    EXPECT_EQ(box.icon(), QMessageBox::Critical);
    EXPECT_EQ(box.text(), "First\nSecond\nThird");
    EXPECT_EQ(ProgramMessageBox({{}, MsgKind::Confirm, MsgButton::OK, {}}, nullptr).windowTitle(),
              "Confirm");
    EXPECT_EQ(ProgramMessageBox({{}, MsgKind::Confirm, MsgButton::OK, {}}, nullptr).icon(),
              QMessageBox::Question);
    EXPECT_EQ(
        ProgramMessageBox({{}, MsgKind::Warning, MsgButton::OK, "Tarnwick"}, nullptr).windowTitle(),
        "Tarnwick");
}

TEST(MessageBoxTest, EnterAnswersTheDefaultButton) {
    EXPECT_EQ(PressKey(MsgButton::Yes | MsgButton::No | MsgButton::OK, Qt::Key_Return),
              MsgResult::OK);
    EXPECT_EQ(PressKey(MsgButton::Yes | MsgButton::No, Qt::Key_Return), MsgResult::Yes);
}

TEST(MessageBoxTest, EscapeAnswersCancelElseNoElseOK) {
    EXPECT_EQ(PressKey(MsgButton::Yes | MsgButton::No | MsgButton::Cancel, Qt::Key_Escape),
              MsgResult::Cancel);
    EXPECT_EQ(PressKey(MsgButton::Yes | MsgButton::No | MsgButton::Abort, Qt::Key_Escape),
              MsgResult::No);
    EXPECT_EQ(PressKey(MsgButton::OK, Qt::Key_Escape), MsgResult::OK);
    EXPECT_EQ(PressKey(MsgButton::Yes | MsgButton::Abort, Qt::Key_Escape), MsgResult::Cancel);
}

TEST(MessageBoxTest, TitleBarCloseAnswersCancelWithoutACancelButton) {
    EXPECT_EQ(CloseFromTitleBar(MsgButton::Yes | MsgButton::No | MsgButton::Abort),
              MsgResult::Cancel);
    EXPECT_EQ(CloseFromTitleBar(MsgButton::OK), MsgResult::Cancel);
}

TEST(MessageBoxTest, ClickedButtonIsTheAnswerAndTheBoxIsCentred) {
    ProgramMessageBox box({QStringLiteral("Replace?"),
                           MsgKind::Confirm,
                           MsgButton::Yes | MsgButton::No | MsgButton::Abort,
                           {}},
                          nullptr);
    QPoint centre;
    const MsgResult answer = AskAnd(box, [&centre](ProgramMessageBox &b) {
        centre = b.frameGeometry().center();
        QTest::mouseClick(b.buttonFor(MsgButton::Abort), Qt::LeftButton);
    });
    EXPECT_EQ(answer, MsgResult::Abort);
    const QPoint screenCentre = box.screen()->availableGeometry().center();
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2);
}

TEST(MessageBoxTest, ArrowCursorWhileUpPreviousCursorAfter) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ProgramMessageBox box({QStringLiteral("Busy"), MsgKind::Information, MsgButton::OK, {}},
                          nullptr);
    Qt::CursorShape during = Qt::BlankCursor;
    AskAnd(box, [&during](ProgramMessageBox &b) {
        during = QApplication::overrideCursor()->shape();
        QTest::keyClick(&b, Qt::Key_Return);
    });
    EXPECT_EQ(during, Qt::ArrowCursor);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
}

TEST(MessageBoxTest, MessageDlgShowsTheQtBoxWhenNoDoubleIsInstalled) {
    ASSERT_EQ(Desktop::setCurrent(nullptr), nullptr);
    QString seenText;
    QTimer::singleShot(0, [&seenText] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(MessageDlg(QStringLiteral("Sure?\rReally?"), MsgKind::Confirm,
                         MsgButton::Yes | MsgButton::No),
              MsgResult::No);
    EXPECT_EQ(seenText, "Sure?\nReally?");
}

TEST(MessageBoxTest, LongTextIsWordWrapped) {
    const QString text = QStringLiteral(
        "You are about to Extract the selected file(s) from the /home/user/My Archives/Backups "
        "of the old machine/backup.zip Archive file.  The file(s) will be created on your disk "
        "drive.  Are you sure you want to do this?");
    ProgramMessageBox box({text, MsgKind::Confirm, MsgButton::Yes | MsgButton::No, {}}, nullptr);
    box.show();
    EXPECT_LT(box.width(), box.fontMetrics().horizontalAdvance(text));
    EXPECT_LT(box.width(), box.screen()->availableGeometry().width());
    box.hide();
}
