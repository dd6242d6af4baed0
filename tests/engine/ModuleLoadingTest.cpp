// Loading the engine libraries: where they are looked for, what a missing
// library or a missing entry point gives, and how long a loaded one stays.
#include "EngineHarness.h"

#include "platform/Module.h"

#include <QFile>

#include <fstream>

namespace {

// Whether the process has a file of that folder mapped right now.
bool Mapped(const std::string &folder) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(folder + "/lib") != std::string::npos)
            return true;
    return false;
}

TEST(ModuleNames, DllNamesMapToLowerCaseSharedLibraries) {
    EXPECT_EQ(platform::ModuleFileName("ZIPENG32.DLL"), "libzipeng32.so");
    EXPECT_EQ(platform::ModuleFileName("UnzEng32.dll"), "libunzeng32.so");
    EXPECT_EQ(platform::ModuleFileName("PLAIN"), "libplain.so");
}

TEST(ModuleSearch, ProgramFolderComesFirstByDefault) {
    platform::ResetModuleSearchFolders();
    const auto folders = platform::ModuleSearchFolders();
    ASSERT_FALSE(folders.empty());
    EXPECT_TRUE(QString::fromStdString(platform::ProgramFolder()).endsWith("/tests-bin"));
    EXPECT_EQ(folders.front(), platform::ProgramFolder());

    platform::SetModuleSearchFolders({"/nowhere"});
    EXPECT_EQ(platform::ModuleSearchFolders(), std::vector<std::string>{"/nowhere"});
    platform::ResetModuleSearchFolders();
    EXPECT_EQ(platform::ModuleSearchFolders().front(), platform::ProgramFolder());
}

TEST(ModuleSearch, FallsBackToTheSystemSearch) {
    // libz.so is in the system's search only where the zlib development
    // files are installed.
    if (!QFile::exists("/usr/lib/x86_64-linux-gnu/libz.so") && !QFile::exists("/usr/lib/libz.so"))
        GTEST_SKIP() << "no libz.so in the system's search";
    platform::SetModuleSearchFolders({TARNWICK_TESTENGINE_DIR});
    platform::ModuleHandle module = platform::LoadLibraryA("Z.DLL");
    platform::ResetModuleSearchFolders();
    ASSERT_NE(module, nullptr);
    EXPECT_NE(platform::GetProcAddress(module, "zlibVersion"), nullptr);
    EXPECT_EQ(platform::GetProcAddress(module, "no_such_symbol"), nullptr);
    EXPECT_TRUE(platform::FreeLibrary(module));
    EXPECT_EQ(platform::LoadLibraryA("NO-SUCH-ENGINE.DLL"), nullptr);
}

class Loading : public EngineTest {
protected:
    // Every operation of both sides, with the code it returned.
    void ExpectEverythingNotLoaded(TZipEngine &engine) {
        const auto check = [&](const char *what, int code) {
            EXPECT_EQ(code, ZipResultNotLoaded) << what;
            EXPECT_EQ(engine.SecondaryCode, 240) << what;
            EXPECT_TRUE(engine.FilesToProcess.isEmpty()) << what;
            engine.SecondaryCode = 0;
            engine.FilesToProcess = QStringList{"a"};
        };
        engine.FilesToProcess = QStringList{"a"};
        check("add", engine.AddToArchive(TZipAddMode::Add));
        check("delete", engine.DeleteFromArchive());
        check("extract", engine.ExtractFromArchive(TZipExtractMode::All));
        check("fix", engine.FixArchive(true));
        check("list", engine.ListArchive());
        check("test", engine.TestArchive());
        check("date", engine.UpdateArchiveDate());
        EXPECT_EQ(engine.ArchiveComment(), "Error #240");
        EXPECT_EQ(engine.SecondaryCode, 240);
        engine.SecondaryCode = 0;
        engine.FilesToProcess = QStringList{"a"};
        engine.SetArchiveComment("x");
        EXPECT_EQ(engine.SecondaryCode, 240);
        EXPECT_EQ(engine.FilesToProcess, QStringList{"a"});
        engine.FilesToProcess.clear();
        Script({Msg(ENGINE_MSG_COUNT, {{"value", "3"}})});
        EXPECT_EQ(engine.EntryCount(), 0);
        const TZipFileStats stats = engine.EntryStats(0);
        EXPECT_TRUE(stats.FileName.isEmpty());
        EXPECT_EQ(stats.Size, 0);
        EXPECT_FALSE(stats.DateTime.isValid());
        EXPECT_TRUE(TakeCalls().empty());
    }
};

TEST_F(Loading, MissingLibrariesGive240UntilTheyAppear) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    platform::SetModuleSearchFolders({empty.path().toStdString()});

    TZipEngine engine;
    engine.ZipFileName = "/a.zip";
    ExpectEverythingNotLoaded(engine);

    // Placing the library is enough; no restart, no new instance.
    ASSERT_TRUE(
        QFile::copy(TARNWICK_TESTENGINE_DIR "/libunzeng32.so", empty.filePath("libunzeng32.so")));
    Script({Msg(ENGINE_MSG_COUNT, {{"value", "3"}}), Result(0x00050000)});
    EXPECT_EQ(engine.EntryCount(), 3);
    EXPECT_EQ(engine.SecondaryCode, 5);
    EXPECT_EQ(engine.AddToArchive(TZipAddMode::Add), ZipResultNotLoaded);
    ASSERT_TRUE(
        QFile::copy(TARNWICK_TESTENGINE_DIR "/libzipeng32.so", empty.filePath("libzipeng32.so")));
    Script({});
    EXPECT_EQ(engine.AddToArchive(TZipAddMode::Add), 0);
    EXPECT_EQ(engine.SecondaryCode, 0);
    const auto calls = TakeCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].entry, "unzeng");
    EXPECT_EQ(calls[1].entry, "zipeng");
}

TEST_F(Loading, LibraryWithoutEntryPointIsReleasedAgain) {
    platform::SetModuleSearchFolders({TARNWICK_TESTENGINE_NOENTRY_DIR});
    {
        TZipEngine engine;
        ExpectEverythingNotLoaded(engine);
        EXPECT_FALSE(Mapped(TARNWICK_TESTENGINE_NOENTRY_DIR));
    }
}

TEST_F(Loading, LoadedOnFirstUseAndKeptUntilDestruction) {
    {
        TZipEngine engine;
        EXPECT_FALSE(Mapped(TARNWICK_TESTENGINE_DIR));
        EXPECT_EQ(engine.ListArchive(), 0);
        EXPECT_TRUE(Mapped(TARNWICK_TESTENGINE_DIR));

        // Once loaded, a side no longer depends on finding its library.
        QTemporaryDir empty;
        platform::SetModuleSearchFolders({empty.path().toStdString()});
        EXPECT_EQ(engine.TestArchive(), 0);
        EXPECT_EQ(engine.AddToArchive(TZipAddMode::Add), ZipResultNotLoaded);
        EXPECT_EQ(TakeCalls().size(), 2u);
    }
    EXPECT_FALSE(Mapped(TARNWICK_TESTENGINE_DIR));
}

TEST_F(Loading, EachInstanceLoadsForItself) {
    TZipEngine first;
    EXPECT_EQ(first.ListArchive(), 0);
    {
        TZipEngine second;
        EXPECT_EQ(second.ListArchive(), 0);
    }
    // The second instance's release leaves the first one's module in place.
    EXPECT_TRUE(Mapped(TARNWICK_TESTENGINE_DIR));
    EXPECT_EQ(first.ListArchive(), 0);
    EXPECT_EQ(TakeCalls().size(), 3u);
}

} // namespace
