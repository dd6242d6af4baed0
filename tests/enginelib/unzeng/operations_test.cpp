// The operations of the extracting side through the entry point: records,
// queries, selection, replace prompts, freshen and update, passwords,
// abort, permissions and times.
#include "library_harness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;
using namespace enginetest;

namespace {

// Writes an archive with Python's zipfile from a list of entries given as
// Python tuples (name, data, method, unix_mode, date_time).
fs::path pyZip(const TempDir &dir, const std::string &name, const std::string &entries,
               const std::string &comment = "") {
    fs::path archive = dir / name;
    std::string script = "import zipfile,sys\n"
                         "entries=[" +
                         entries +
                         "]\n"
                         "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                         "  z.comment=" +
                         comment +
                         "b''\n"
                         "  for n,d,m,mode,dt in entries:\n"
                         "    i=zipfile.ZipInfo(n,dt); i.compress_type=m\n"
                         "    i.create_system=3; i.external_attr=mode<<16\n"
                         "    z.writestr(i,d)\n";
    writeFile(dir / (name + ".py"), script);
    EXPECT_EQ(
        shell("python3 " + quote((dir / (name + ".py")).string()) + " " + quote(archive.string())),
        0);
    return archive;
}

const char *kSimple = "('a.txt',b'alpha',8,0o100644,(2020,1,2,3,4,6)),"
                      "('dir/',b'',0,0o40755,(2020,1,2,3,4,6)),"
                      "('dir/b.txt',b'beta'*1000,8,0o100600,(2020,1,2,3,4,8)),"
                      "('dir/c.dat',b'gamma',0,0o104755,(2021,5,6,7,8,10))";

class Operations : public ::testing::Test {
protected:
    TempDir dir;
    Engine engine;
    fs::path simple = pyZip(dir, "simple.zip", kSimple, "b'the comment'+");
};

TEST_F(Operations, ListsEveryEntryWithItsRecord) {
    ASSERT_EQ(engine.run({"", "-v", simple.string()}), ENGINE_OK);
    auto list = engine.withCode(ENGINE_MSG_LISTING);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, "a.txt");
    EXPECT_EQ(list[0].size, 5);
    EXPECT_EQ(list[1].name, "dir/");
    EXPECT_TRUE(list[1].attributes & ENGINE_ATTR_DIRECTORY);
    EXPECT_EQ(list[2].size, 4000);
    EXPECT_GT(list[2].ratio, 90);
    EXPECT_EQ(list[0].ratio, 0); // packed is larger than the data
    // 2021-05-06 07:08:10
    EXPECT_EQ(list[3].dosTime, (41u << 25 | 5u << 21 | 6u << 16 | 7u << 11 | 8u << 5 | 5u));
    EXPECT_TRUE(list[2].attributes & ENGINE_ATTR_READONLY ? false : true);
}

TEST_F(Operations, QueryFormCountsAndAnswersEntries) {
    EXPECT_EQ(engine.query(0, simple.string()), ENGINE_OK);
    ASSERT_EQ(engine.withCode(ENGINE_MSG_COUNT).size(), 1u);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_COUNT)[0].count, 4);
    EXPECT_EQ(engine.query(ENGINE_QUERY_COUNT_MULTIDISK, simple.string()), ENGINE_OK);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_COUNT)[0].count, 4);
    EXPECT_EQ(engine.query(3, simple.string()), ENGINE_OK);
    ASSERT_EQ(engine.withCode(ENGINE_MSG_ENTRY).size(), 1u);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_ENTRY)[0].name, "dir/b.txt");
    EXPECT_NE(engine.query(5, simple.string()), ENGINE_OK);
    EXPECT_TRUE(engine.withCode(ENGINE_MSG_ENTRY).empty());
    EXPECT_EQ(engine.query(0, (dir / "missing.zip").string()), ENGINE_ARCHIVE_NOT_FOUND);
}

// Queries on an unchanged archive are answered from one reading of its
// directory; every change of the file must show in the next answer.
TEST_F(Operations, QueryAnswersFollowTheFileThroughChanges) {
    const std::string path = simple.string();
    auto firstName = [&] {
        engine.messages.clear();
        EXPECT_EQ(engine.query(1, path), ENGINE_OK);
        auto entries = engine.withCode(ENGINE_MSG_ENTRY);
        return entries.empty() ? std::string() : entries[0].name;
    };
    // Past the window in which a file just written is never kept.
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(firstName(), "a.txt");
    EXPECT_EQ(firstName(), "a.txt");

    // Rewritten in place: same file, same size, other names.
    fs::path same = pyZip(dir, "same.zip",
                          "('x.txt',b'alpha',8,0o100644,(2020,1,2,3,4,6)),"
                          "('dir/',b'',0,0o40755,(2020,1,2,3,4,6)),"
                          "('dir/b.txt',b'beta'*1000,8,0o100600,(2020,1,2,3,4,8)),"
                          "('dir/c.dat',b'gamma',0,0o104755,(2021,5,6,7,8,10))",
                          "b'the comment'+");
    const std::string bytes = readFile(same);
    ASSERT_EQ(bytes.size(), fs::file_size(simple));
    {
        std::FILE *f = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
    }
    EXPECT_EQ(firstName(), "x.txt");

    // Replaced by another file under the same name.
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(firstName(), "x.txt");
    fs::path other = pyZip(dir, "other.zip", "('first.bin',b'1',0,0o100644,(2020,1,2,3,4,6))");
    fs::rename(other, simple);
    EXPECT_EQ(firstName(), "first.bin");
    EXPECT_EQ(engine.query(2, path), ENGINE_NOTHING_MATCHED);
    engine.messages.clear();
    EXPECT_EQ(engine.query(0, path), ENGINE_OK);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_COUNT).at(0).count, 1);

    // Gone.
    fs::remove(simple);
    EXPECT_EQ(engine.query(1, path), ENGINE_ARCHIVE_NOT_FOUND);
}

TEST_F(Operations, ResultCodesForArchivesAndArguments) {
    EXPECT_EQ(engine.run({"", "-v", (dir / "missing.zip").string()}), ENGINE_ARCHIVE_NOT_FOUND);
    writeFile(dir / "not.zip", "this is not an archive at all, just words");
    EXPECT_EQ(engine.run({"", "-v", (dir / "not.zip").string()}), ENGINE_NOT_ARCHIVE);
    EXPECT_EQ(engine.run({"", "-v", dir.path().string()}), ENGINE_NOT_ACCESSIBLE);
    EXPECT_EQ(engine.run({"", "-v"}), ENGINE_BAD_ARGUMENTS);
    EXPECT_EQ(engine.run({"", "-q", simple.string()}), ENGINE_BAD_ARGUMENTS);
}

TEST_F(Operations, CommentArrivesWithMessage130) {
    ASSERT_EQ(engine.run({"", "-z", simple.string()}), ENGINE_OK);
    auto c = engine.withCode(ENGINE_MSG_ARCHIVE_COMMENT);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].text, "the comment");
}

TEST_F(Operations, NamesPatternsAndExcludes) {
    ASSERT_EQ(engine.run({"", "-v", simple.string(), "dir\\b.txt", "a.txt"}), ENGINE_OK);
    EXPECT_EQ(engine.names(ENGINE_MSG_LISTING), (std::vector<std::string>{"a.txt", "dir/b.txt"}));
    ASSERT_EQ(engine.run({"", "-v", simple.string(), "*.t[x]t", "-x", "a*"}), ENGINE_OK);
    EXPECT_EQ(engine.names(ENGINE_MSG_LISTING), (std::vector<std::string>{"dir/b.txt"}));
    EXPECT_EQ(engine.run({"", "-v", simple.string(), "nothere"}), ENGINE_NOTHING_MATCHED);
    ASSERT_EQ(engine.withCode(ENGINE_MSG_SKIPPING).size(), 1u);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_SKIPPING)[0].reason, ENGINE_SKIP_NOT_FOUND);
    EXPECT_EQ(engine.run({"", "-t", simple.string(), "a.txt", "nothere"}), ENGINE_SOME_SKIPPED);
    // By position and name: "dir" would name "dir/" too, and an entry no
    // longer under its name at its position is not found.
    EXPECT_EQ(engine.run({"", "-v", simple.string(), "-#", "3:dir/b.txt", "2:dir", "9:x"}),
              ENGINE_SOME_SKIPPED);
    EXPECT_EQ(engine.names(ENGINE_MSG_LISTING), (std::vector<std::string>{"dir/b.txt"}));
    EXPECT_EQ(engine.names(ENGINE_MSG_SKIPPING), (std::vector<std::string>{"dir", "x"}));
    EXPECT_EQ(engine.run({"", "-t", simple.string(), "-#", "1:dir/"}), ENGINE_NOTHING_MATCHED);
}

TEST_F(Operations, TestReportsEveryEntryAndProgress) {
    ASSERT_EQ(engine.run({"", "-t", simple.string()}), ENGINE_OK);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_TESTING).size(), 4u);
    auto status = engine.withCode(ENGINE_MSG_STATUS);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back().percent, 100);
}

TEST_F(Operations, ExtractRestoresBytesTimesAndSafePermissions) {
    fs::path out = dir / "x/y"; // parents are made
    ASSERT_EQ(engine.run({"", simple.string(), "-d", out.string()}), ENGINE_OK);
    EXPECT_EQ(readFile(out / "a.txt"), "alpha");
    EXPECT_EQ(readFile(out / "dir/b.txt").size(), 4000u);
    struct stat st {};
    ASSERT_EQ(stat((out / "dir/c.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u); // the set-user-ID bit is dropped
    ASSERT_EQ(stat((out / "dir/b.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    struct tm tm {};
    localtime_r(&st.st_mtime, &tm);
    EXPECT_EQ(tm.tm_year, 120);
    EXPECT_EQ(tm.tm_sec, 8);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_EXTRACTING).size(), 4u);
}

TEST_F(Operations, JunkPathsDropsFolders) {
    fs::path out = dir / "flat";
    ASSERT_EQ(engine.run({"", "-j", simple.string(), "-d", out.string()}), ENGINE_OK);
    EXPECT_TRUE(fs::exists(out / "b.txt"));
    EXPECT_TRUE(fs::exists(out / "c.dat"));
    EXPECT_FALSE(fs::exists(out / "dir"));
}

TEST_F(Operations, ReplacePromptBothAnswersAndAbort) {
    fs::path out = dir / "out";
    writeFile(out / "a.txt", "old");
    writeFile(out / "dir/b.txt", "old");
    int asked = 0;
    engine.answer = [&](std::int32_t code, void *data) {
        if (code == ENGINE_MSG_REPLACE) {
            auto *q = static_cast<EngineReplaceQuery *>(data);
            q->DoReplace = std::string(q->FileName) == "a.txt" ? 1 : 0;
            ++asked;
        }
        return 0;
    };
    ASSERT_EQ(engine.run({"", simple.string(), "-d", out.string()}), ENGINE_OK);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(readFile(out / "a.txt"), "alpha");
    EXPECT_EQ(readFile(out / "dir/b.txt"), "old");

    engine.answer = [](std::int32_t code, void *) { return code == ENGINE_MSG_REPLACE ? 1 : 0; };
    EXPECT_EQ(engine.run({"", simple.string(), "-d", out.string()}), ENGINE_ABORTED);
    EXPECT_EQ(readFile(out / "dir/b.txt"), "old");

    engine.answer = nullptr;
    ASSERT_EQ(engine.run({"", "-n", simple.string(), "-d", out.string()}), ENGINE_OK);
    EXPECT_TRUE(engine.withCode(ENGINE_MSG_REPLACE).empty());
    EXPECT_EQ(readFile(out / "dir/b.txt"), "old");
    ASSERT_EQ(engine.run({"", "-o", simple.string(), "-d", out.string()}), ENGINE_OK);
    EXPECT_TRUE(engine.withCode(ENGINE_MSG_REPLACE).empty());
    EXPECT_EQ(readFile(out / "dir/b.txt").size(), 4000u);
}

TEST_F(Operations, FreshenAndUpdateAgainstFilesOnDisk) {
    fs::path out = dir / "out";
    writeFile(out / "a.txt", "older");
    writeFile(out / "dir/b.txt", "newer");
    shell("touch -d '2019-01-01' " + quote((out / "a.txt").string()));
    shell("touch -d '2025-01-01' " + quote((out / "dir/b.txt").string()));
    ASSERT_EQ(engine.run({"", "-f", "-o", simple.string(), "-d", out.string()}), ENGINE_OK);
    EXPECT_EQ(readFile(out / "a.txt"), "alpha");     // older on disk: refreshed
    EXPECT_EQ(readFile(out / "dir/b.txt"), "newer"); // newer on disk: kept
    EXPECT_FALSE(fs::exists(out / "dir/c.dat"));     // freshen adds nothing
    fs::path empty = dir / "empty";
    fs::create_directories(empty);
    ASSERT_EQ(engine.run({"", "-f", simple.string(), "-d", empty.string()}), ENGINE_OK);
    EXPECT_TRUE(fs::is_empty(empty)); // not even folders
    ASSERT_EQ(engine.run({"", "-u", "-o", simple.string(), "-d", out.string()}), ENGINE_OK);
    EXPECT_EQ(readFile(out / "dir/b.txt"), "newer");
    EXPECT_EQ(readFile(out / "dir/c.dat"), "gamma"); // update adds what is missing
}

TEST_F(Operations, PasswordFromMessage100AndWrong) {
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip not installed";
    writeFile(dir / "src/secret.txt", "the secret");
    fs::path archive = dir / "crypt.zip";
    // zip's encryption header is random, and a wrong password passes its
    // one-byte check once in 256: the archive is made again until neither
    // wrong password below does, as Python's zipfile judges it.
    const std::string bothRefused =
        "python3 -c \"import sys,zipfile\n"
        "for p in (b'wrong',b'nope'):\n"
        "  try: zipfile.ZipFile(sys.argv[1]).open('secret.txt',pwd=p).read(); sys.exit(1)\n"
        "  except RuntimeError: pass\n"
        "  except Exception: sys.exit(1)\" " +
        quote(archive.string());
    for (int made = 0; made < 20; ++made) {
        fs::remove(archive);
        ASSERT_EQ(shell("cd " + quote((dir / "src").string()) + " && zip -q -P pw " +
                        quote(archive.string()) + " secret.txt"),
                  0);
        if (shell(bothRefused) == 0)
            break;
    }
    ASSERT_EQ(shell(bothRefused), 0);
    int asked = 0;
    engine.answer = [&](std::int32_t code, void *data) {
        if (code == ENGINE_MSG_PASSWORD) {
            auto *q = static_cast<EnginePasswordQuery *>(data);
            std::snprintf(q->Password, ENGINE_PASSWORD_CAPACITY, "pw");
            q->Reply = 1;
            ++asked;
        }
        return 0;
    };
    fs::path out = dir / "out";
    ASSERT_EQ(engine.run({"", archive.string(), "-d", out.string()}), ENGINE_OK);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readFile(out / "secret.txt"), "the secret");

    engine.answer = [](std::int32_t code, void *data) {
        if (code == ENGINE_MSG_PASSWORD) {
            auto *q = static_cast<EnginePasswordQuery *>(data);
            std::snprintf(q->Password, ENGINE_PASSWORD_CAPACITY, "nope");
            q->Reply = 1;
        }
        return 0;
    };
    fs::path out2 = dir / "out2";
    ASSERT_EQ(engine.run({"wrong", archive.string(), "-d", out2.string()}), ENGINE_SOME_SKIPPED);
    ASSERT_EQ(engine.withCode(ENGINE_MSG_SKIPPING).size(), 1u);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_SKIPPING)[0].reason, ENGINE_SKIP_PASSWORD);
    EXPECT_FALSE(fs::exists(out2 / "secret.txt"));
    // A reply of 0 means no password was given.
    engine.answer = nullptr;
    EXPECT_EQ(engine.run({"", "-t", archive.string()}), ENGINE_TEST_FAILED);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_PASSWORD).size(), 1u);
}

TEST_F(Operations, AbortInsideALargeEntryLeavesNoPartialFile) {
    // 24 MiB packed with LZMA, which is always decoded in chunks.
    fs::path big =
        pyZip(dir, "big.zip", "('big.bin',bytes(range(256))*98304,14,0o100644,(2020,1,1,0,0,0))");
    fs::path out = dir / "out";
    writeFile(out / "big.bin", "previous contents");
    int statuses = 0;
    engine.answer = [&](std::int32_t code, void *) {
        if (code == ENGINE_MSG_STATUS && ++statuses == 3)
            return 1;
        return 0;
    };
    EXPECT_EQ(engine.run({"", "-o", big.string(), "-d", out.string()}), ENGINE_ABORTED);
    EXPECT_TRUE(readFile(out / "big.bin") == "previous contents");
    std::vector<std::string> left;
    for (auto &p : fs::directory_iterator(out))
        left.push_back(p.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"big.bin"});
    // Progress went up one step at a time, never per buffer.
    engine.answer = nullptr;
    ASSERT_EQ(engine.run({"", "-t", big.string()}), ENGINE_OK);
    auto status = engine.withCode(ENGINE_MSG_STATUS);
    EXPECT_LE(status.size(), 101u);
    for (std::size_t i = 1; i < status.size(); ++i)
        EXPECT_GT(status[i].percent, status[i - 1].percent);
}

TEST_F(Operations, LargeDeflatedEntryTestsExtractsAndStopsMidway) {
    // Just above the 64 MiB whole-buffer cap, so it streams in chunks.
    fs::path big = dir / "large.zip";
    ASSERT_EQ(shell("python3 -c \"import zipfile,sys;b=b''.join(b'%07d,' % i for i in "
                    "range(131072));z=zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED,"
                    "compresslevel=1);z.writestr('big.txt',b*65+b'end');z.close()\" " +
                    quote(big.string())),
              0);
    std::string block;
    char cell[16];
    for (int i = 0; i < 131072; ++i) {
        std::snprintf(cell, sizeof cell, "%07d,", i);
        block += cell;
    }

    ASSERT_EQ(engine.run({"", "-t", big.string()}), ENGINE_OK);
    fs::path out = dir / "out";
    ASSERT_EQ(engine.run({"", "-o", big.string(), "-d", out.string()}), ENGINE_OK);
    {
        std::string data = readFile(out / "big.txt");
        ASSERT_EQ(data.size(), 65 * block.size() + 3);
        bool same = data.compare(data.size() - 3, 3, "end") == 0;
        for (std::size_t k = 0; same && k < 65; ++k)
            same = data.compare(k * block.size(), block.size(), block) == 0;
        EXPECT_TRUE(same);
    }

    // Stopped at the third progress message: nothing more is reported, the
    // file on disk stays as it was and no temporary file is left behind.
    writeFile(out / "big.txt", "previous contents");
    int statuses = 0;
    engine.answer = [&](std::int32_t code, void *) {
        return code == ENGINE_MSG_STATUS && ++statuses == 3 ? 1 : 0;
    };
    EXPECT_EQ(engine.run({"", "-o", big.string(), "-d", out.string()}), ENGINE_ABORTED);
    EXPECT_EQ(statuses, 3);
    EXPECT_TRUE(readFile(out / "big.txt") == "previous contents");
    std::vector<std::string> left;
    for (auto &p : fs::directory_iterator(out))
        left.push_back(p.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"big.txt"});
    statuses = 0;
    EXPECT_EQ(engine.run({"", "-t", big.string()}), ENGINE_ABORTED);
    EXPECT_EQ(statuses, 3);
    engine.answer = nullptr;

    // A flipped byte in the middle of the compressed data fails the entry.
    std::string bytes = readFile(big);
    const std::size_t middle = bytes.size() / 2;
    bytes[middle] = static_cast<char>(bytes[middle] ^ 0x10);
    fs::path damaged = dir / "damaged.zip";
    writeFile(damaged, bytes);
    EXPECT_EQ(engine.run({"", "-t", damaged.string()}), ENGINE_TEST_FAILED);
    auto skips = engine.withCode(ENGINE_MSG_SKIPPING);
    ASSERT_EQ(skips.size(), 1u);
    EXPECT_TRUE(skips[0].reason == ENGINE_SKIP_BAD_CRC || skips[0].reason == ENGINE_SKIP_CORRUPTED);
    EXPECT_EQ(engine.run({"", "-o", damaged.string(), "-d", out.string()}), ENGINE_SOME_SKIPPED);
    EXPECT_TRUE(readFile(out / "big.txt") == "previous contents");
}

TEST_F(Operations, DamagedEntryNeverReplacesTheFileOnDisk) {
    fs::path archive = pyZip(dir, "crc.zip", "('f.txt',b'x'*5000,8,0o100644,(2020,1,1,0,0,0))");
    // Damage the stored CRC in the central directory.
    std::string bytes = readFile(archive);
    std::size_t central = bytes.rfind(std::string("PK\x01\x02", 4));
    ASSERT_NE(central, std::string::npos);
    bytes[central + 16] = static_cast<char>(bytes[central + 16] ^ 0x55);
    writeFile(archive, bytes);
    fs::path out = dir / "out";
    writeFile(out / "f.txt", "keep me");
    EXPECT_EQ(engine.run({"", "-o", archive.string(), "-d", out.string()}), ENGINE_SOME_SKIPPED);
    ASSERT_EQ(engine.withCode(ENGINE_MSG_SKIPPING).size(), 1u);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_SKIPPING)[0].reason, ENGINE_SKIP_BAD_CRC);
    EXPECT_EQ(readFile(out / "f.txt"), "keep me");
    EXPECT_EQ(engine.run({"", "-t", archive.string()}), ENGINE_TEST_FAILED);
}

TEST_F(Operations, SymlinkInsideIsALinkOutsideIsRefused) {
    fs::path archive = pyZip(dir, "links.zip",
                             "('t.txt',b'target',0,0o100644,(2020,1,1,0,0,0)),"
                             "('sub/in',b'../t.txt',0,0o120777,(2020,1,1,0,0,0)),"
                             "('out',b'../escape',0,0o120777,(2020,1,1,0,0,0)),"
                             "('abs',b'/etc/passwd',0,0o120777,(2020,1,1,0,0,0))");
    fs::path out = dir / "out";
    EXPECT_EQ(engine.run({"", archive.string(), "-d", out.string()}), ENGINE_SOME_SKIPPED);
    EXPECT_TRUE(fs::is_symlink(out / "sub/in"));
    EXPECT_EQ(fs::read_symlink(out / "sub/in"), "../t.txt");
    EXPECT_FALSE(fs::exists(fs::symlink_status(out / "out")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(out / "abs")));
    EXPECT_EQ(engine.withCode(ENGINE_MSG_SKIPPING).size(), 2u);
}

TEST_F(Operations, AbortAnswerToAnyMessageStops) {
    engine.answer = [](std::int32_t code, void *) { return code == ENGINE_MSG_LISTING ? 1 : 0; };
    EXPECT_EQ(engine.run({"", "-v", simple.string()}), ENGINE_ABORTED);
    EXPECT_EQ(engine.withCode(ENGINE_MSG_LISTING).size(), 1u);
}

// Small entries are read ahead on other threads: what the caller sees, a
// password asked for, a replace question, a damaged entry's skip, still
// comes in directory order, progress belongs to the entry just announced,
// an abort stops at once, and no temporary file is left behind.
TEST_F(Operations, EntriesReadAheadKeepOrderPromptsSkipsAndAbort) {
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip not installed";
    auto part = [](int from, int to) {
        return "*[('e%03d'%i,b'line %d '%i*(50+i%200),8,0o100644,(2020,1,1,0,0,0)) for i in "
               "range(" +
               std::to_string(from) + "," + std::to_string(to) + ")]";
    };
    fs::path archive = pyZip(dir, "many.zip", part(0, 200));
    writeFile(dir / "src/secret.txt", "the secret");
    ASSERT_EQ(shell("cd " + quote((dir / "src").string()) + " && zip -q -P pw " +
                    quote(archive.string()) + " secret.txt"),
              0);
    fs::path tail = pyZip(dir, "tail.zip", part(200, 400));
    ASSERT_EQ(shell("python3 -c \"import sys,zipfile\n"
                    "a=zipfile.ZipFile(sys.argv[1],'a'); b=zipfile.ZipFile(sys.argv[2])\n"
                    "for i in b.infolist(): a.writestr(i,b.read(i))\n"
                    "a.close()\" " +
                    quote(archive.string()) + " " + quote(tail.string())),
              0);
    std::string bytes = readFile(archive);
    const std::string central("PK\x01\x02", 4);
    std::size_t at = bytes.find(central);
    while (at != std::string::npos && bytes.compare(at + 46, 4, "e300") != 0)
        at = bytes.find(central, at + 4);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 16] = static_cast<char>(bytes[at + 16] ^ 0x55); // its CRC
    writeFile(archive, bytes);

    engine.answer = [](std::int32_t code, void *data) {
        if (code == ENGINE_MSG_PASSWORD) {
            auto *q = static_cast<EnginePasswordQuery *>(data);
            std::snprintf(q->Password, ENGINE_PASSWORD_CAPACITY, "pw");
            q->Reply = 1;
        }
        if (code == ENGINE_MSG_REPLACE)
            static_cast<EngineReplaceQuery *>(data)->DoReplace = 0;
        return 0;
    };
    auto expected = [](std::int32_t announce) {
        std::vector<std::string> out;
        for (int i = 0; i < 400; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "e%03d", i);
            if (i == 150 && announce == ENGINE_MSG_EXTRACTING)
                out.emplace_back(std::string("r") + name);
            else
                out.emplace_back(std::string("+") + name);
            if (i == 300)
                out.emplace_back(std::string("-") + name);
            if (i == 199) {
                out.emplace_back("+secret.txt");
                out.emplace_back("?secret.txt");
            }
        }
        return out;
    };
    auto seen = [&](std::int32_t announce) {
        std::vector<std::string> out;
        std::string current;
        for (const Message &m : engine.messages) {
            if (m.code == announce) {
                current = m.name;
            } else if (m.code == ENGINE_MSG_STATUS) {
                EXPECT_EQ(m.name, current);
            }
            const char *mark = m.code == announce              ? "+"
                               : m.code == ENGINE_MSG_SKIPPING ? "-"
                               : m.code == ENGINE_MSG_PASSWORD ? "?"
                               : m.code == ENGINE_MSG_REPLACE  ? "r"
                                                               : nullptr;
            if (mark)
                out.push_back(mark + m.name);
        }
        return out;
    };
    auto leftovers = [](const fs::path &folder) {
        std::size_t temps = 0;
        for (auto &p : fs::directory_iterator(folder))
            temps += p.path().filename().string().rfind(".tarnwick-", 0) == 0;
        return temps;
    };
    EXPECT_EQ(engine.run({"", "-t", archive.string()}), ENGINE_TEST_FAILED);
    EXPECT_EQ(seen(ENGINE_MSG_TESTING), expected(ENGINE_MSG_TESTING));

    fs::path out = dir / "out";
    writeFile(out / "e150", "old");
    EXPECT_EQ(engine.run({"", archive.string(), "-d", out.string()}), ENGINE_SOME_SKIPPED);
    EXPECT_EQ(seen(ENGINE_MSG_EXTRACTING), expected(ENGINE_MSG_EXTRACTING));
    EXPECT_EQ(readFile(out / "e150"), "old");
    EXPECT_EQ(readFile(out / "secret.txt"), "the secret");
    std::string last;
    for (int i = 0; i < 50 + 399 % 200; ++i)
        last += "line 399 ";
    EXPECT_EQ(readFile(out / "e399"), last);
    EXPECT_FALSE(fs::exists(out / "e300"));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 400);

    for (std::int32_t announce : {ENGINE_MSG_TESTING, ENGINE_MSG_EXTRACTING}) {
        fs::path stopped = dir / ("stopped" + std::to_string(announce));
        engine.abortCode = announce;
        engine.abortAt = 100;
        EXPECT_EQ(engine.run({"", announce == ENGINE_MSG_TESTING ? "-t" : "-o", archive.string(),
                              "-d", stopped.string()}),
                  ENGINE_ABORTED);
        EXPECT_EQ(engine.withCode(announce).size(), 100u);
        if (announce == ENGINE_MSG_EXTRACTING) {
            EXPECT_EQ(std::distance(fs::directory_iterator(stopped), fs::directory_iterator()), 99);
            EXPECT_EQ(leftovers(stopped), 0u);
        }
    }
}

} // namespace
