#include "Placemnt.h"

#include "platform/PrivateProfile.h"
#include "platform/testing/QtPrinters.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace placement;

namespace {

class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("TARNWICK_WINDIR", QFile::encodeName(dir.path()));
    }
    void TearDown() override { qunsetenv("TARNWICK_WINDIR"); }

    static QString stored(const QString &entry) {
        return platform::GetPrivateProfileString("Screens", entry, "", "TARNWICK.INI");
    }
    static void store(const QString &entry, const QString &value) {
        ASSERT_TRUE(platform::WritePrivateProfileString("Screens", entry, value, "TARNWICK.INI"));
    }

    QTemporaryDir dir;
};

} // namespace

TEST(PlacementTextTest, TenNumbersCutToFortyCharacters) {
    const TWindowPlacement normal{0, 1, -1, -1, -1, -1, 120, 80, 620, 480};
    EXPECT_EQ(FormatPlacement(normal), "0,1,-1,-1,-1,-1,120,80,620,480");
    EXPECT_EQ(ParsePlacement("0,1,-1,-1,-1,-1,120,80,620,480"), normal);

    const TWindowPlacement wide{2, 2, -32000, -32000, -1, -1, -1920, -1080, 1920, 1080};
    const QString text = FormatPlacement(wide);
    EXPECT_EQ(text, "2,2,-32000,-32000,-1,-1,-1920,-1080,1920");
    EXPECT_EQ(text.size(), 40);
    // The last number is lost to the cut: its piece reads as the rest, "1920".
    const auto back = ParsePlacement(text + ",1080");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->right, 1920);
    EXPECT_EQ(back->bottom, 0);

    const auto cutShort = ParsePlacement("0,1,-1,-1,-1,-1,-10000,-10000,19999,10800");
    ASSERT_TRUE(cutShort);
    EXPECT_EQ(cutShort->bottom, 1080); // "10800" cut to 40 characters reads as it stands
}

TEST(PlacementTextTest, OnlyRightPastLeftGuardsTheRestore) {
    EXPECT_FALSE(ParsePlacement(""));
    EXPECT_FALSE(ParsePlacement("0,1,-1,-1,-1,-1,500,80,500,480"));
    EXPECT_FALSE(ParsePlacement("0,1,-1,-1,-1,-1,600,80,500,480"));
    const auto upsideDown = ParsePlacement("0,1,-1,-1,-1,-1,100,480,500,80");
    ASSERT_TRUE(upsideDown);
    EXPECT_EQ(upsideDown->top, 480);
    EXPECT_EQ(upsideDown->bottom, 80);
    // Short or non-numeric values: missing and bad pieces read as 0.
    EXPECT_FALSE(ParsePlacement("0,1,2"));
    const auto odd = ParsePlacement("x,3,,,,,10,20,30");
    ASSERT_TRUE(odd);
    EXPECT_EQ(*odd, (TWindowPlacement{0, 3, 0, 0, 0, 0, 10, 20, 30, 0}));
}

TEST(PlacementScreenTest, ARectangleOffEveryScreenComesOntoTheNearest) {
    const QList<QRect> screens{QRect(0, 0, 1280, 900), QRect(1280, 0, 1920, 1080)};
    const struct {
        QRect saved;
        QRect placed;
    } cases[] = {
        {QRect(400, 300, 477, 327), QRect(400, 300, 477, 327)},
        // Partly on a screen: left alone.
        {QRect(-400, -20, 477, 327), QRect(-400, -20, 477, 327)},
        {QRect(3000, 100, 477, 327), QRect(3000, 100, 477, 327)},
        // A monitor unplugged: onto the nearest screen's edge.
        {QRect(3400, 200, 477, 327), QRect(2723, 200, 477, 327)},
        {QRect(-2000, 500, 477, 327), QRect(0, 500, 477, 327)},
        {QRect(100, 1200, 477, 327), QRect(100, 573, 477, 327)},
        // Larger than the screen: its top-left corner, and so its title bar, on it.
        {QRect(-3000, -3000, 2000, 1000), QRect(0, 0, 2000, 1000)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BroughtOnScreen(c.saved, screens), c.placed) << c.saved.x() << "," << c.saved.y();
}

namespace {

// The stored text for an outer (frame) rectangle of a normal window.
QString NormalText(const QRect &frame) {
    return QStringLiteral("0,1,-1,-1,-1,-1,%1,%2,%3,%4")
        .arg(frame.left())
        .arg(frame.top())
        .arg(frame.left() + frame.width())
        .arg(frame.top() + frame.height());
}

} // namespace

TEST_F(PlacementTest, SavedPlacementRestoresInAnotherWindow) {
    QWidget first;
    first.setObjectName("MainFormFm");
    TPlacement saver(&first);
    EXPECT_EQ(saver.Entry, "MainFormFm");
    EXPECT_EQ(saver.IniFileName, "TARNWICK.INI");
    first.show();
    first.setGeometry(120, 80, 500, 400);
    ASSERT_TRUE(saver.SavePlacement());
    // The record holds the outer rectangle, frame included.
    EXPECT_EQ(stored("MainFormFm"), NormalText(first.frameGeometry()));

    // Restored before it is mapped, as a window's show handler does: the
    // rectangle is met once the window is exposed with its frame.
    QWidget second;
    second.setObjectName("MainFormFm");
    second.resize(475, 283);
    TPlacement restorer(&second);
    ASSERT_TRUE(restorer.RestorePlacement());
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    QCoreApplication::processEvents();
    EXPECT_EQ(second.geometry(), QRect(120, 80, 500, 400));
    EXPECT_EQ(second.frameGeometry(), first.frameGeometry());
    EXPECT_EQ(second.windowState(), Qt::WindowNoState);
}

TEST_F(PlacementTest, ShowStateIsAppliedAsStored) {
    store("FrmBrowse", "0,3,-1,-1,-1,-1,10,20,352,327");
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TPlacement p(&window);
    p.Entry = "FrmBrowse";
    ASSERT_TRUE(p.RestorePlacement());
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);

    // Saved again while maximized, it keeps the rectangle it returns to.
    ASSERT_TRUE(p.SavePlacement());
    EXPECT_EQ(stored("FrmBrowse"), "0,3,-1,-1,-1,-1,10,20,352,327");

    store("FrmBrowse", "0,2,-1,-1,-1,-1,10,20,352,327");
    ASSERT_TRUE(p.RestorePlacement());
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
}

TEST_F(PlacementTest, UnusableValuesLeaveTheWindowWhereItIs) {
    QWidget window;
    window.setObjectName("MainFormFm");
    window.setGeometry(30, 40, 475, 283);
    window.show();
    TPlacement p(&window);
    EXPECT_FALSE(p.RestorePlacement()); // first run: nothing stored
    store("MainFormFm", "0,1,-1,-1,-1,-1,400,80,300,480");
    EXPECT_FALSE(p.RestorePlacement());
    EXPECT_EQ(window.geometry(), QRect(30, 40, 475, 283));

    p.IniFileName.clear();
    EXPECT_FALSE(p.SavePlacement());
    EXPECT_EQ(stored("MainFormFm"), "0,1,-1,-1,-1,-1,400,80,300,480");
}

TEST_F(PlacementTest, FailuresAreReportedWithoutThrowing) {
    TPlacement orphan(nullptr);
    EXPECT_FALSE(orphan.SavePlacement());
    EXPECT_EQ(orphan.ErrorText, "Unable to retrieve window placement from INI");

    QWidget window;
    window.show();
    TPlacement p(&window);
    p.Entry = "W";
    p.IniFileName = dir.path() + "/missing/folder/T.INI";
    EXPECT_FALSE(p.SavePlacement());
    EXPECT_EQ(p.ErrorText, "Unable to write to " + p.IniFileName);
}
