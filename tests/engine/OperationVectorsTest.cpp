// The argument vectors every operation hands to the engine: element by
// element, in order, under each condition that adds or drops an element.
#include "EngineHarness.h"

namespace {

const std::string Zip = "/data/archive.zip";
const std::string Stored = ".ZIP;.LZH;.ARC;.ARJ;.ZOO";

class OperationVectors : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        engine.ZipFileName = QString::fromStdString(Zip);
    }

    // Runs op, expects exactly one call at the given entry point and returns
    // its argument vector.
    template <typename Op> Strings VectorOf(const char *entry, Op op) {
        const int code = op();
        EXPECT_EQ(code, 0);
        const LoggedCall call = OneCall();
        EXPECT_EQ(call.entry, entry);
        EXPECT_EQ(call.magic, ENGINE_MAGIC);
        EXPECT_TRUE(call.userSet);
        EXPECT_FALSE(call.query);
        EXPECT_EQ(call.argc, static_cast<int>(call.args.size()));
        EXPECT_TRUE(engine.FilesToProcess.isEmpty());
        return call.args;
    }

    Strings Add(std::uint8_t mode) {
        return VectorOf("zipeng",
                        [&] { return engine.AddToArchive(static_cast<TZipAddMode>(mode)); });
    }
    Strings Extract(std::uint8_t mode) {
        return VectorOf("unzeng", [&] {
            return engine.ExtractFromArchive(static_cast<TZipExtractMode>(mode));
        });
    }

    // Every optional add element switched on.
    void EverythingOn() {
        engine.Password = "pw";
        engine.Compression = 3;
        engine.MoveFiles = true;
        engine.IncludeHiddenFiles = true;
        engine.IncludeDirectoryEntries = true;
        engine.IncludeVolumeLabel = true;
        engine.Recurse = true;
        engine.UseTempFile = false;
        engine.TempPath = "/var/tmp";
        engine.ClearDisks = true;
    }

    // A refused operation calls nothing and still empties the file list.
    template <typename Op> void ExpectRefused(Op op) {
        engine.FilesToProcess = QStringList{"a.txt", "b.txt"};
        EXPECT_EQ(op(), ZipResultMultidisk);
        EXPECT_TRUE(TakeCalls().empty());
        EXPECT_TRUE(engine.FilesToProcess.isEmpty());
    }

    TZipEngine engine;
};

TEST_F(OperationVectors, AddWithNewInstanceValuesSendsEightElements) {
    engine.FilesToProcess = QStringList{"notes.txt"};
    EXPECT_EQ(Add(0), (Strings{"", "-6", "-n", Stored, "-t", "010180", Zip, "notes.txt"}));
}

TEST_F(OperationVectors, AddSendsEveryOptionInItsPlace) {
    EverythingOn();
    engine.FilesToProcess = QStringList{"a.txt"};
    EXPECT_EQ(Add(0), (Strings{"pw", "-e", "-3", "-m", "-S", "-D", "-$", "-r", "-g", "-b",
                               "/var/tmp", "-n", Stored, "-&", "-t", "010180", Zip, "a.txt"}));

    EverythingOn();
    engine.MultidiskMode = true;
    engine.UseTempFile = true; // multidisk mode alone asks for "-g"
    engine.FilesToProcess = QStringList{"a.txt"};
    EXPECT_EQ(Add(0),
              (Strings{"pw", "-e", "-3", "-m", "-S", "-D", "-$", "-r", "-g", "-b", "/var/tmp", "-n",
                       Stored, "-!", "-&", "-t", "010180", Zip, "a.txt"}));
}

TEST_F(OperationVectors, AddModesDecideHiddenDirectoryAndVolumeOptions) {
    EverythingOn();
    engine.FilesToProcess = QStringList{"a.txt"};
    EXPECT_EQ(Add(1), (Strings{"pw", "-f", "-e", "-3", "-m", "-r", "-g", "-b", "/var/tmp", "-n",
                               Stored, "-&", "-t", "010180", Zip, "a.txt"}));

    EverythingOn();
    engine.FilesToProcess = QStringList{"a.txt"};
    EXPECT_EQ(Add(2), (Strings{"pw", "-u", "-e", "-3", "-m", "-S", "-D", "-r", "-g", "-b",
                               "/var/tmp", "-n", Stored, "-&", "-t", "010180", Zip, "a.txt"}));
}

TEST_F(OperationVectors, AddWithoutPathsSendsJunkAndNeverDirectoryEntries) {
    engine.UsePaths = false;
    engine.IncludeDirectoryEntries = true;
    engine.FilesToProcess = QStringList{"a.txt"};
    EXPECT_EQ(Add(0), (Strings{"", "-6", "-j", "-n", Stored, "-t", "010180", Zip, "a.txt"}));
    // Links as links: "-y" right after the path options, in every mode.
    engine.StoreSymlinks = true;
    engine.FilesToProcess = QStringList{"a.txt"};
    EXPECT_EQ(Add(2),
              (Strings{"", "-u", "-6", "-j", "-y", "-n", Stored, "-t", "010180", Zip, "a.txt"}));
}

TEST_F(OperationVectors, AddLevelsAndEmptyTexts) {
    engine.Compression = 9;
    engine.StoredExtensions.clear();
    engine.TempPath.clear();
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(Add(0), (Strings{"", "-9", "-t", "010180", Zip, "a"}));

    engine.Compression = 0;
    engine.StoredExtensions = ".JPG";
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(Add(0), (Strings{"", "-0", "-n", ".JPG", "-t", "010180", Zip, "a"}));
    EXPECT_EQ(engine.EarliestFileDate.date(), QDate(1980, 1, 1));
}

TEST_F(OperationVectors, PasswordEncryptsEveryAddAndLeadsEveryFileOperation) {
    const std::string password = Repeat('p', 120); // element 0 carries it whole
    engine.Password = QString::fromStdString(password);
    engine.StoredExtensions.clear();
    for (std::uint8_t mode : {0, 1, 2}) {
        engine.FilesToProcess = QStringList{"a"};
        Strings expected{password};
        if (mode == 1)
            expected.push_back("-f");
        if (mode == 2)
            expected.push_back("-u");
        for (const char *e : {"-e", "-6", "-t", "010180"})
            expected.push_back(e);
        expected.push_back(Zip);
        expected.push_back("a");
        EXPECT_EQ(Add(mode), expected) << "mode " << int(mode);
    }
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.TestArchive(); }).front(), password);
    EXPECT_EQ(VectorOf("zipeng", [&] { return engine.FixArchive(false); }).front(), password);
    // The comment operations never send it.
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.ArchiveComment().isEmpty() ? 0 : 1; }),
              (Strings{"", "-z", Zip}));
}

TEST_F(OperationVectors, AesIsAskedForOnlyWithAPassword) {
    engine.Encryption = zenAes256;
    engine.StoredExtensions.clear();
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(Add(0), (Strings{"", "-6", "-t", "010180", Zip, "a"}));
    engine.Password = "pw";
    for (std::uint8_t mode : {0, 2}) {
        engine.FilesToProcess = QStringList{"a"};
        Strings expected{"pw"};
        if (mode == 2)
            expected.push_back("-u");
        expected.insert(expected.end(), {"-e", "-Y", "aes256", "-6", "-t", "010180", Zip, "a"});
        EXPECT_EQ(Add(mode), expected) << "mode " << int(mode);
    }
    // The shorter keys, for entries put back with the strength they had.
    for (const auto &[encryption, name] :
         {std::pair{zenAes128, "aes128"}, std::pair{zenAes192, "aes192"}}) {
        engine.Encryption = encryption;
        engine.FilesToProcess = QStringList{"a"};
        EXPECT_EQ(Add(0), (Strings{"pw", "-e", "-Y", name, "-6", "-t", "010180", Zip, "a"}));
    }
}

TEST_F(OperationVectors, StringsReachTheEngineAsUtf8) {
    engine.ZipFileName = QString::fromUtf8("/data/\xC3\xA4rchiv \xE2\x82\xAC.zip");
    engine.Password = QString::fromUtf8("gr\xC3\xBC\xC3\x9F");
    engine.FilesToProcess = QStringList{QString::fromUtf8("\xC3\xB6l.txt")};
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.ListArchive(); }),
              (Strings{"gr\xC3\xBC\xC3\x9F", "-v", "/data/\xC3\xA4rchiv \xE2\x82\xAC.zip",
                       "\xC3\xB6l.txt"}));
}

TEST_F(OperationVectors, MultidiskModeRefusesAddModesOtherThanPlain) {
    engine.MultidiskMode = true;
    ExpectRefused([&] { return engine.AddToArchive(TZipAddMode::Freshen); });
    ExpectRefused([&] { return engine.AddToArchive(TZipAddMode::Update); });
    ExpectRefused([&] { return engine.ExtractFromArchive(TZipExtractMode::Freshen); });
    ExpectRefused([&] { return engine.ExtractFromArchive(TZipExtractMode::Update); });
    ExpectRefused([&] { return engine.DeleteFromArchive(); });
    ExpectRefused([&] { return engine.FixArchive(false); });
    ExpectRefused([&] { return engine.FixArchive(true); });
    ExpectRefused([&] { return engine.UpdateArchiveDate(); });
}

TEST_F(OperationVectors, DeleteSendsTempFolderBeforeTheArchive) {
    engine.Password = "pw";
    engine.FilesToProcess = QStringList{"a.txt", "b/c.txt"};
    EXPECT_EQ(VectorOf("zipeng", [&] { return engine.DeleteFromArchive(); }),
              (Strings{"pw", "-d", Zip, "a.txt", "b/c.txt"}));

    engine.TempPath = "/var/tmp";
    engine.FilesToProcess = QStringList{"a.txt"};
    EXPECT_EQ(VectorOf("zipeng", [&] { return engine.DeleteFromArchive(); }),
              (Strings{"pw", "-d", "-b", "/var/tmp", Zip, "a.txt"}));
}

TEST_F(OperationVectors, ExtractSendsTargetFolderAfterTheNames) {
    engine.FilesToProcess = QStringList{"a.txt", "<*.o"};
    engine.ExtractDirectory = "/home/u/out";
    EXPECT_EQ(Extract(0), (Strings{"", Zip, "a.txt", "-x", "*.o", "-d", "/home/u/out"}));

    engine.ExtractDirectory.clear();
    engine.FilesToProcess = QStringList{"a.txt"};
    EXPECT_EQ(Extract(0), (Strings{"", Zip, "a.txt"}));
}

TEST_F(OperationVectors, ExtractModesPathsMultidiskAndOverwrite) {
    engine.Password = "pw";
    engine.UsePaths = false;
    engine.Overwrite = zowNever;
    engine.ExtractDirectory = "/out";
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(Extract(1), (Strings{"pw", "-f", "-j", "-n", Zip, "a", "-d", "/out"}));

    engine.Overwrite = zowAlways;
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(Extract(2), (Strings{"pw", "-u", "-j", "-o", Zip, "a", "-d", "/out"}));

    engine.MultidiskMode = true;
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(Extract(0), (Strings{"pw", "-j", "-!", "-o", Zip, "a", "-d", "/out"}));

    engine.MultidiskMode = false;
    engine.UsePaths = true;
    engine.Overwrite = zowAsk;
    engine.ExtractDirectory.clear();
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(Extract(0), (Strings{"pw", Zip, "a"}));
}

TEST_F(OperationVectors, FixSendsNoFiles) {
    engine.Password = "pw";
    engine.FilesToProcess = QStringList{"ignored"};
    EXPECT_EQ(VectorOf("zipeng", [&] { return engine.FixArchive(false); }),
              (Strings{"pw", "-F", Zip}));
    engine.FilesToProcess = QStringList{"ignored"};
    EXPECT_EQ(VectorOf("zipeng", [&] { return engine.FixArchive(true); }),
              (Strings{"pw", "-FF", Zip}));
}

TEST_F(OperationVectors, ListAndTestPlaceMultidiskDifferently) {
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.ListArchive(); }),
              (Strings{"", "-v", Zip, "a"}));
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.TestArchive(); }),
              (Strings{"", "-t", Zip, "a"}));

    engine.MultidiskMode = true;
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.ListArchive(); }),
              (Strings{"", "-v", "-!", Zip, "a"}));
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.TestArchive(); }),
              (Strings{"", "-!", "-t", Zip, "a"}));
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.ListArchive(); }),
              (Strings{"", "-v", "-!", Zip}));
}

TEST_F(OperationVectors, UpdateArchiveDate) {
    engine.Password = "pw";
    engine.FilesToProcess = QStringList{"ignored"};
    EXPECT_EQ(VectorOf("zipeng", [&] { return engine.UpdateArchiveDate(); }),
              (Strings{"pw", "-o", Zip}));
}

TEST_F(OperationVectors, ReadingTheCommentIgnoresMultidiskAndClearsTheFileList) {
    engine.Password = "pw";
    engine.MultidiskMode = true;
    engine.FilesToProcess = QStringList{"a"};
    EXPECT_EQ(VectorOf("unzeng", [&] { return engine.ArchiveComment() == "" ? 0 : 1; }),
              (Strings{"", "-z", Zip}));
}

TEST_F(OperationVectors, WritingTheCommentKeepsTheFileList) {
    engine.Password = "pw";
    engine.UseTempFile = false;
    engine.TempPath = "/var/tmp";
    engine.FilesToProcess = QStringList{"kept"};
    engine.SetArchiveComment("c");
    LoggedCall call = OneCall();
    EXPECT_EQ(call.entry, "zipeng");
    EXPECT_EQ(call.args, (Strings{"", "-z", "-g", "-b", "/var/tmp", Zip}));
    EXPECT_EQ(engine.FilesToProcess, QStringList{"kept"});

    engine.UseTempFile = true;
    engine.TempPath.clear();
    engine.SetArchiveComment("c");
    EXPECT_EQ(OneCall().args, (Strings{"", "-z", Zip}));
}

TEST_F(OperationVectors, WritingTheCommentInMultidiskModeDoesNothing) {
    engine.SetArchiveComment("before");
    TakeCalls();
    engine.MultidiskMode = true;
    engine.FilesToProcess = QStringList{"kept"};
    engine.SetArchiveComment("after");
    EXPECT_TRUE(TakeCalls().empty());
    EXPECT_EQ(TZipEngine::CommentBuffer(), QByteArray("before"));
    EXPECT_EQ(engine.FilesToProcess, QStringList{"kept"});
}

TEST_F(OperationVectors, QueriesSendSelectorAndPathOnly) {
    engine.FilesToProcess = QStringList{"untouched"};
    Script({Msg(ENGINE_MSG_COUNT, {{"value", "12"}})});
    EXPECT_EQ(engine.EntryCount(), 12);
    LoggedCall call = OneCall();
    EXPECT_EQ(call.entry, "unzeng");
    EXPECT_EQ(call.argc, 1);
    EXPECT_TRUE(call.query);
    EXPECT_EQ(call.selector, ENGINE_QUERY_COUNT);
    EXPECT_EQ(call.path, Zip);

    engine.MultidiskMode = true;
    EXPECT_EQ(engine.EntryCount(), 12);
    EXPECT_EQ(OneCall().selector, 1234567890);

    Script({});
    engine.EntryStats(0);
    EXPECT_EQ(OneCall().selector, 1);
    engine.EntryStats(41);
    EXPECT_EQ(OneCall().selector, 42);

    EXPECT_EQ(engine.EntryStats(-1).FileName, QString());
    EXPECT_TRUE(TakeCalls().empty());
    EXPECT_EQ(engine.FilesToProcess, QStringList{"untouched"});
}

} // namespace
