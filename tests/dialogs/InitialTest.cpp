// The about box: its picture, texts, and the one button that closes it.
#include "AppTestSupport.h"

#include "FrmInitial.h"

#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>

class InitialTest : public AppTest {};

TEST_F(InitialTest, PictureTextsAndTheOkButton) {
    const QImage picture = TFrmInitial::Picture().toImage();
    EXPECT_EQ(picture.size(), QSize(499, 305));
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            colours.insert(picture.pixel(x, y));
    EXPECT_LE(colours.size(), 16);
    EXPECT_GE(colours.size(), 8); // a picture, not a plain fill

    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        TFrmInitial box;
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Tarnwick"));
        EXPECT_EQ(box.size(), QSize(499, 305));
        auto *version = box.findChild<QLabel *>(QStringLiteral("Label3"));
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->text(), QStringLiteral("Tarnwick 1.0 for Windows 95"));
        EXPECT_EQ(version->pos(), QPoint(157, 49));
        EXPECT_TRUE(version->font().bold());
        auto *ok = box.findChild<QPushButton *>(QStringLiteral("BtnOk"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("&Ok"));
        EXPECT_EQ(ok->pos(), QPoint(281, 254));
        EXPECT_TRUE(ok->isDefault());
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, static_cast<Qt::Key>(key));
        EXPECT_FALSE(box.isVisible()) << key;
    }
}
