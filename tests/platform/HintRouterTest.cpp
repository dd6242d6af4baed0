#include "platform/HintRouter.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QToolTip>
#include <QWidget>

#include <gtest/gtest.h>

using platform::HintRouter;

namespace {

void Send(QWidget *w, QEvent::Type type) {
    if (type == QEvent::Enter) {
        QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(w, &e);
        return;
    }
    QEvent e(type);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(HintRouterTest, StatusTipsGoToTheActiveWindowsPanel) {
    HintRouter &router = HintRouter::instance();
    QWidget main, browser;
    auto *mainPanel = new QLabel(&main);
    auto *browserPanel = new QLabel(&browser);
    auto *button = new QPushButton(&main);
    button->setStatusTip(QStringLiteral("Open an Existing Archive "));
    router.registerPanel(&main, mainPanel);
    router.registerPanel(&browser, browserPanel);

    router.activate(&main);
    Send(button, QEvent::Enter); // Qt turns this into a status-tip event
    EXPECT_EQ(mainPanel->text(), "Open an Existing Archive ");
    EXPECT_TRUE(browserPanel->text().isEmpty());

    Send(&browser, QEvent::WindowActivate);
    QStatusTipEvent tip(QStringLiteral("menu item hint"));
    QApplication::sendEvent(button, &tip);
    EXPECT_EQ(browserPanel->text(), "menu item hint");
    EXPECT_EQ(mainPanel->text(), "Open an Existing Archive ");
}

TEST(HintRouterTest, WidgetsWithoutAHintShowTheirContainersOrNothing) {
    HintRouter &router = HintRouter::instance();
    QWidget window;
    auto *panel = new QLabel(&window);
    auto *list = new QWidget(&window);
    auto *inner = new QWidget(list);
    auto *bare = new QWidget(&window);
    list->setStatusTip(QStringLiteral("3 Entries, 10 Bytes, 5 Bytes."));
    router.registerPanel(&window, panel);

    Send(inner, QEvent::Enter);
    EXPECT_EQ(panel->text(), "3 Entries, 10 Bytes, 5 Bytes.");
    Send(bare, QEvent::Enter);
    EXPECT_TRUE(panel->text().isEmpty());
    EXPECT_TRUE(router.currentHint().isEmpty());
}

TEST(HintRouterTest, ThePanelIsWrittenOnlyWhenTheHintChanges) {
    HintRouter &router = HintRouter::instance();
    QWidget window;
    auto *panel = new QLabel(&window);
    auto *banner = new QWidget(&window);
    auto *toolbar = new QWidget(&window);
    auto *button = new QPushButton(&window);
    button->setStatusTip(QStringLiteral("Add File to Archive"));
    router.registerPanel(&window, panel);
    Send(banner, QEvent::Enter);
    // A command leaves the totals in the panel; pointers crossing widgets
    // without a hint (also as a dialog closes over them) leave them there.
    panel->setText(QStringLiteral("3 Entries, 10 Bytes, 5 Bytes."));
    Send(toolbar, QEvent::Enter);
    Send(&window, QEvent::WindowActivate);
    Send(banner, QEvent::Enter);
    EXPECT_EQ(panel->text(), "3 Entries, 10 Bytes, 5 Bytes.");

    Send(button, QEvent::Enter);
    EXPECT_EQ(panel->text(), "Add File to Archive");
    Send(toolbar, QEvent::Enter);
    EXPECT_TRUE(panel->text().isEmpty());
}

TEST(HintRouterTest, ToolTipsAreNeverShown) {
    HintRouter::instance();
    QWidget w;
    w.setToolTip(QStringLiteral("tip"));
    w.show();
    QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), w.mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(&w, &help);
    EXPECT_FALSE(QToolTip::isVisible());
}
