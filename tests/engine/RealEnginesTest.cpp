// The component against the engine libraries of this repository, when they
// have been built: one round trip through both sides to show that both ends
// read the call contract the same way. The stand-in engines cover every
// detail; this only covers the meeting point.
#include "ZipEngine.h"
#include "platform/Module.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class RealEngines : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *file : {"/libzipeng32.so", "/libunzeng32.so"})
            if (!QFile::exists(QStringLiteral(TARNWICK_BIN_DIR) + file))
                GTEST_SKIP() << "engine libraries not built";
        platform::SetModuleSearchFolders({TARNWICK_BIN_DIR});
        ASSERT_TRUE(temp.isValid());
    }
    void TearDown() override { platform::ResetModuleSearchFolders(); }

    QString WriteFile(const QString &name, const QByteArray &content) {
        QFile file(temp.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    QTemporaryDir temp;
};

TEST_F(RealEngines, AddListCommentTestAndExtract) {
    const QByteArray content = QByteArray("The quick brown fox. ").repeated(200);
    const QString source = WriteFile("fox.txt", content);

    TZipEngine engine;
    engine.ZipFileName = temp.filePath("round trip.zip");
    engine.UsePaths = false;
    engine.FilesToProcess = QStringList{source};
    std::vector<QString> added;
    engine.OnAdding = [&](TZipEngine &, const TZipFileStats &s) { added.push_back(s.FileName); };
    ASSERT_EQ(engine.AddToArchive(TZipAddMode::Add), 0);
    EXPECT_FALSE(added.empty());
    EXPECT_TRUE(engine.FilesToProcess.isEmpty());

    EXPECT_EQ(engine.EntryCount(), 1);
    std::vector<TZipFileStats> listed;
    engine.OnListing = [&](TZipEngine &, const TZipFileStats &s) { listed.push_back(s); };
    ASSERT_EQ(engine.ListArchive(), 0);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].FileName, "fox.txt");
    EXPECT_EQ(listed[0].Size, content.size());
    EXPECT_LT(listed[0].CompressedSize, listed[0].Size);
    EXPECT_TRUE(listed[0].DateTime.isValid());
    EXPECT_EQ(engine.EntryStats(0).FileName, "fox.txt");

    engine.SetArchiveComment("A comment");
    TZipEngine reader; // empties the shared buffer
    reader.ZipFileName = engine.ZipFileName;
    EXPECT_EQ(reader.ArchiveComment(), "A comment");
    EXPECT_EQ(engine.TestArchive(), 0);

    const QString target = temp.filePath("out");
    ASSERT_TRUE(QDir().mkpath(target));
    engine.ExtractDirectory = target;
    ASSERT_EQ(engine.ExtractFromArchive(TZipExtractMode::All), 0);
    QFile extracted(target + "/fox.txt");
    ASSERT_TRUE(extracted.open(QIODevice::ReadOnly));
    EXPECT_EQ(extracted.readAll(), content);
}

TEST_F(RealEngines, MissingArchiveIsReportedByTheEngine) {
    TZipEngine engine;
    engine.ZipFileName = temp.filePath("absent.zip");
    EXPECT_EQ(engine.EntryCount(), 0);
    EXPECT_NE(engine.ListArchive(), 0);
    EXPECT_TRUE(engine.ArchiveComment().startsWith("Error #"));
}

} // namespace
