#include "FileDrag.h"
#include "FileDropEvents.h"

#include <QWidget>

#include <gtest/gtest.h>

TEST(FileDragTest, ListsOfOneDrop) {
    const QString longPath = QStringLiteral("/") + QString(70, QLatin1Char('d')) +
                             QStringLiteral(".x/") + QString(70, QLatin1Char('n')) +
                             QStringLiteral(".long.ext");
    ASSERT_GT(longPath.size(), 127);
    struct Case {
        QString path, nameOnly, extension;
    };
    const Case cases[] = {
        {"/data/report.txt", "report.txt", "txt"},
        {"/data/archive.tar.gz", "archive.tar.gz", "tar.gz"},
        {"/my.dir/readme", "readme", ""},
        {"/data/.profile", ".profile", "profile"},
        {longPath, QString(70, QLatin1Char('n')) + QStringLiteral(".long.ext"), "long.ext"},
    };
    QWidget owner;
    TFileDrag drag(&owner);
    EXPECT_EQ(drag.FileCount(), 0);
    int drops = 0;
    drag.OnDrop = [&](TFileDrag &sender) {
        EXPECT_EQ(&sender, &drag);
        ++drops;
    };
    QStringList paths;
    for (const Case &c : cases)
        paths << c.path;
    drag.HandleDrop(paths);
    ASSERT_EQ(drops, 1);
    ASSERT_EQ(drag.FileCount(), int(std::size(cases)));
    for (int i = 0; i < drag.FileCount(); ++i) {
        EXPECT_EQ(drag.NameWithPath()[i], cases[i].path);
        EXPECT_EQ(drag.NameOnly()[i], cases[i].nameOnly) << i;
        EXPECT_EQ(drag.Extension()[i], cases[i].extension) << i;
    }
    // The next drop replaces the lists.
    drag.HandleDrop({QStringLiteral("/a.b")});
    EXPECT_EQ(drag.FileCount(), 1);
    EXPECT_EQ(drag.Extension(), QStringList{QStringLiteral("b")});
}

TEST(FileDragTest, OwnerRegisteredElsewhereStillReachesOnDrop) {
    QWidget owner;
    auto *drag = new TFileDrag(&owner);
    EXPECT_FALSE(drag->EnableDrop());
    EXPECT_FALSE(owner.acceptDrops());
    owner.setAcceptDrops(true); // as the main window does
    QStringList received;
    drag->OnDrop = [&](TFileDrag &sender) { received = sender.NameWithPath(); };

    // Only local files count; a folder comes without its trailing slash.
    ASSERT_TRUE(SendFileDrop(&owner, {QUrl(QStringLiteral("https://example.com/page.html")),
                                      QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")),
                                      QUrl(QStringLiteral("file:///srv/folder/"))}));
    EXPECT_EQ(received,
              QStringList({QStringLiteral("/tmp/a b.txt"), QStringLiteral("/srv/folder")}));
    received.clear();
    EXPECT_FALSE(SendFileDrop(&owner, {QUrl(QStringLiteral("https://example.com/x"))}));
    EXPECT_TRUE(received.isEmpty());

    // Its own switch registers and unregisters the owner; gone, it leaves
    // the owner's own registration alone.
    drag->SetEnableDrop(true);
    EXPECT_TRUE(owner.acceptDrops());
    drag->SetEnableDrop(false);
    EXPECT_FALSE(owner.acceptDrops());
    owner.setAcceptDrops(true);
    delete drag;
    EXPECT_TRUE(owner.acceptDrops());
    EXPECT_FALSE(SendFileDrop(&owner, FileUrls({QStringLiteral("/tmp/x")})));
}

TEST(FileDragTest, OwnerThatIsNoWindowIsNotHooked) {
    QObject owner;
    TFileDrag drag(&owner);
    drag.SetEnableDrop(true);
    EXPECT_FALSE(drag.EnableDrop());
}
