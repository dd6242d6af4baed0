#include "FileFilter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

TEST(FileFilterTest, FiltersMatchNamesInAnyLetterCase) {
    const QStringList filters = QtNameFilters("Zip file (*.ZIP)|*.ZIP|All files (*.*)|*.*");
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[0], "Zip file (*.ZIP) (*.[zZ][iI][pP])");
    EXPECT_EQ(filters[1], "All files (*.*) (*)");
    EXPECT_EQ(QtNameFilters("Two|*.A;*.b"), QStringList{"Two (*.[aA] *.[bB])"});

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char *name : {"a.zip", "B.ZIP", "c.Zip", "d.txt", "e.zipx"})
        QFile(dir.path() + u'/' + QString::fromLatin1(name)).open(QIODevice::WriteOnly);
    const QStringList matched =
        QDir(dir.path()).entryList({CaseInsensitivePattern("*.ZIP")}, QDir::Files, QDir::Name);
    EXPECT_EQ(matched, QStringList({"B.ZIP", "a.zip", "c.Zip"}));
    QFile(dir.path() + u'/' + QStringLiteral("README")).open(QIODevice::WriteOnly);
    EXPECT_TRUE(QDir(dir.path())
                    .entryList({CaseInsensitivePattern("*.*")}, QDir::Files)
                    .contains(QStringLiteral("README")));
}

TEST(FileFilterTest, DefaultExtensionOnlyForNamesWithoutOne) {
    EXPECT_EQ(WithDefaultExtension("/t/new", "ZIP"), "/t/new.ZIP");
    EXPECT_EQ(WithDefaultExtension("/t/new.zip", "ZIP"), "/t/new.zip");
    EXPECT_EQ(WithDefaultExtension("/t/new", "*.*"), "/t/new");
    EXPECT_EQ(WithDefaultExtension("/t/new", ""), "/t/new");
}
