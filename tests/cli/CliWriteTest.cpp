// tarnwick-cli's commands that change an archive: add, update, freshen,
// delete, fix, touch and comment --set, run as a program and checked with
// Info-ZIP's tools.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

namespace fs = std::filesystem;

namespace {

struct CliResult {
    int status = -1;
    std::string out;
};

class CliWrite : public ::testing::Test {
protected:
    void SetUp() override {
        std::string t = (fs::temp_directory_path() / "tarnwick-cliw-XXXXXX").string();
        ASSERT_NE(mkdtemp(t.data()), nullptr);
        dir_ = t;
        write("d/a.txt", "alpha alpha alpha alpha\n");
        write("d/sub/b.txt", "beta\n");
        write("d/sub/c.log", "gamma\n");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string &rel, const std::string &text) {
        fs::create_directories((dir_ / rel).parent_path());
        std::ofstream(dir_ / rel, std::ios::binary) << text;
    }
    // Runs the tool in the scratch folder, stdin from /dev/null, with
    // `environment` ("NAME=value ") in front.
    CliResult cli(const std::string &args, const std::string &environment = "") {
        return output(environment + "'" TARNWICK_BIN_DIR "/tarnwick-cli' " + args + " </dev/null");
    }
    // Runs a shell command in the scratch folder: its status and output.
    CliResult output(const std::string &command) {
        CliResult r;
        const std::string cmd = "cd '" + dir_.string() + "' && " + command + " 2>&1";
        FILE *p = popen(cmd.c_str(), "r");
        if (p == nullptr)
            return r;
        std::array<char, 4096> buf{};
        for (size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;)
            r.out.append(buf.data(), n);
        const int rc = pclose(p);
        r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        return r;
    }
    int sh(const std::string &cmd) {
        const int rc =
            std::system(("cd '" + dir_.string() + "' && " + cmd + " >/dev/null 2>&1").c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    fs::path dir_;
};

TEST_F(CliWrite, HelpNamesTheWriteCommands) {
    CliResult r = cli("--help");
    for (const char *w : {"add", "update", "freshen", "delete", "fix", "touch", "--set"})
        EXPECT_NE(r.out.find(w), std::string::npos) << w;
}

TEST_F(CliWrite, AddWithOptionsThenUpdateAndFreshen) {
    CliResult r = cli("add x.zip d -r -9 -x '*.log'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("  adding: d/a.txt"), std::string::npos);
    EXPECT_EQ(sh("unzip -tq x.zip"), 0);
    EXPECT_NE(sh("unzip -l x.zip | grep -q c.log"), 0);
    // Nothing newer: update warns that the named file is up to date.
    r = cli("update x.zip d/a.txt");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("up to date"), std::string::npos);
    // A newer file is taken by freshen; a new one is not.
    write("d/a.txt", "changed\n");
    struct utimbuf t {};
    t.actime = t.modtime = time(nullptr) + 100;
    utime((dir_ / "d/a.txt").c_str(), &t);
    write("d/new.txt", "new\n");
    r = cli("freshen x.zip d/a.txt d/new.txt -q");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(sh("unzip -p x.zip d/a.txt | grep -qx changed"), 0);
    EXPECT_NE(sh("unzip -l x.zip | grep -q new.txt"), 0);
    r = cli("update x.zip d/new.txt -j -P secret -g");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(sh("unzip -tq -P secret x.zip"), 0);
    EXPECT_EQ(sh("unzip -l x.zip | grep -q ' new.txt'"), 0);
}

TEST_F(CliWrite, LinksAreStoredAsLinksWithY) {
    fs::create_symlink("a.txt", dir_ / "d/l");
    CliResult r = cli("add y.zip d -r -y -q");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(sh("zipinfo y.zip d/l | grep -q '^l'"), 0);
    r = cli("extract y.zip -d out -q");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(fs::read_symlink(dir_ / "out/d/l"), "a.txt");
    // Without -y the link is the bytes it leads to.
    EXPECT_EQ(cli("add n.zip d -r -q").status, 0);
    EXPECT_EQ(sh("unzip -p n.zip d/l | grep -q alpha"), 0);
}

TEST_F(CliWrite, ExtractHereMakesAFolderOnlyForScatteredEntries) {
    write("three/x.txt", "x");
    write("three/y.txt", "y");
    write("three/z.txt", "z");
    ASSERT_EQ(sh("mkdir o && cd three && zip -q ../o/three.zip x.txt y.txt z.txt"), 0);
    ASSERT_EQ(sh("zip -qr o/one.zip d"), 0);
    CliResult r = cli("extract o/three.zip --here -q");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::is_regular_file(dir_ / "o/three/y.txt"));
    r = cli("extract o/one.zip --here");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("extracting into " + (dir_ / "o").string()), std::string::npos) << r.out;
    EXPECT_TRUE(fs::is_regular_file(dir_ / "o/d/sub/b.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "o/one"));
    // With -d, "here" is that folder.
    EXPECT_EQ(cli("extract o/three.zip --here -d elsewhere -q").status, 0);
    EXPECT_TRUE(fs::is_regular_file(dir_ / "elsewhere/three/x.txt"));
}

TEST_F(CliWrite, EncryptionChoosesZipCryptoOrAes) {
    const struct {
        const char *args;
        int status;
        const char *check; // shell check of x.zip, or the message
    } cases[] = {
        {"add x.zip d/a.txt -P pw --encryption aes256", 0, "7zz t -ppw x.zip"},
        {"add x.zip d/a.txt -P pw --encryption ZipCrypto", 0, "unzip -tq -P pw x.zip"},
        {"add x.zip d/a.txt -P pw", 0, "unzip -tq -P pw x.zip"},
        {"add x.zip d/a.txt -P pw --encryption rc4", 2, "--encryption is zipcrypto or aes256"},
        {"add x.zip d/a.txt --encryption aes256", 2, "--encryption needs a password (-P)"},
    };
    for (const auto &c : cases) {
        fs::remove(dir_ / "x.zip");
        const CliResult r = cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.out;
        if (c.status == 0)
            EXPECT_EQ(sh(c.check), 0) << c.args;
        else
            EXPECT_NE(r.out.find(c.check), std::string::npos) << c.args << ": " << r.out;
    }
    // Update and freshen take it too; Info-ZIP cannot read what they wrote.
    write("d/a.txt", "changed\n");
    struct utimbuf t {};
    t.actime = t.modtime = time(nullptr) + 100;
    utime((dir_ / "d/a.txt").c_str(), &t);
    EXPECT_EQ(cli("freshen x.zip d/a.txt -P pw --encryption aes256 -q").status, 0);
    EXPECT_EQ(cli("update x.zip d/sub/b.txt -P pw --encryption aes256 -q").status, 0);
    EXPECT_NE(sh("unzip -tq -P pw x.zip"), 0);
    EXPECT_EQ(sh("7zz t -ppw x.zip"), 0);
    EXPECT_NE(sh("7zz t -pwrong x.zip"), 0);
}

TEST_F(CliWrite, ControlCharactersInNamesAreEscaped) {
    write("d/e\x1b[31mred.txt", "red\n");
    for (const char *command : {"add a.zip -r d", "fix a.zip", "delete a.zip 'd/e*'"}) {
        const CliResult r = cli(command);
        EXPECT_EQ(r.status, 0) << command << r.out;
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << command;
        EXPECT_NE(r.out.find("e\\x1b[31mred.txt"), std::string::npos) << command << r.out;
    }
}

TEST_F(CliWrite, DeleteTouchCommentAndFix) {
    ASSERT_EQ(cli("add x.zip d -r -q").status, 0);
    CliResult r = cli("delete x.zip 'd/sub/*'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("deleting: d/sub/b.txt"), std::string::npos);
    EXPECT_EQ(cli("delete x.zip nothing").status, 1); // nothing matched: a warning
    r = cli("comment x.zip --set 'hello there'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(cli("comment x.zip").out, "hello there\n");
    // A comment that cannot be written says why, and what was being done.
    r = cli("comment x.zip --set other", "TARNWICK_ZIPENG_FAIL_AFTER=10 ");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("tarnwick-cli: x.zip: Disk full while writing the comment."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(cli("touch x.zip").status, 0);
    r = cli("fix x.zip --aggressive");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("fixing: d/a.txt"), std::string::npos);
    EXPECT_EQ(sh("unzip -tq x.zip"), 0);
    EXPECT_EQ(cli("fix missing.zip").status, 2);
    EXPECT_EQ(cli("comment missing.zip --set x").status, 2);
}

// A damaged entry is named as it is left out; with --out the damaged
// archive stays as it was.
TEST_F(CliWrite, FixOutKeepsTheDamagedArchive) {
    write("d/big.txt", std::string(20000, 'z'));
    ASSERT_EQ(cli("add x.zip d/a.txt d/big.txt -q").status, 0);
    // Flip a byte inside the first entry's compressed data.
    ASSERT_EQ(sh("printf '\\377' | dd of=x.zip bs=1 seek=60 conv=notrunc"), 0);
    ASSERT_EQ(sh("cp x.zip damaged.zip"), 0);
    CliResult r = cli("fix x.zip --out fixed.zip");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("skipped: d/a.txt ("), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("tarnwick-cli: x.zip: Some files were skipped while fixing."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(sh("cmp x.zip damaged.zip"), 0);
    EXPECT_EQ(sh("unzip -tq fixed.zip"), 0);
    EXPECT_EQ(output("unzip -Z1 fixed.zip").out, "d/big.txt\n");
    // The archive itself, spelt another way or reached by a link, is no
    // place for the repair: it would replace the damaged archive.
    ASSERT_EQ(sh("ln x.zip hard.zip && ln -s x.zip soft.zip"), 0);
    r = cli("fix x.zip --out d");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "tarnwick-cli: d: is a folder; --out names the repaired archive\n");
    for (const char *same : {"./x.zip", "hard.zip", "soft.zip"}) {
        EXPECT_EQ(cli(std::string("fix x.zip --out ") + same).status, 2) << same;
        EXPECT_EQ(sh("cmp x.zip damaged.zip"), 0) << same;
    }
    // An encrypted entry a repair keeps without checking it says why.
    ASSERT_EQ(cli("add enc.zip d/a.txt -P right -q").status, 0);
    r = cli("fix enc.zip");
    EXPECT_NE(r.out.find("skipped: d/a.txt (invalid or no password to decrypt file)"),
              std::string::npos)
        << r.out;
    // Nothing to repair: no output file, nothing left behind.
    write("junk.zip", "not an archive");
    r = cli("fix junk.zip --out nothing.zip");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("junk.zip: The specified Zip file is too corrupted to be fixed."),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(fs::exists(dir_ / "nothing.zip"));
    EXPECT_EQ(output("ls -A | grep -c tarnwick-fix").out, "0\n");
}

// Names typed on the command line stay patterns (a class written "[*]"
// takes the character itself), and a name that matches nothing is still
// reported, for extract and delete alike.
TEST_F(CliWrite, TypedNamesArePatternsAndUnmatchedOnesAreReported) {
    const std::string files[] = {"x*.txt",   "xyz.txt", "q?.txt", "qq.txt",
                                 "[ab].txt", "a.txt",   "b.txt"};
    for (const std::string &f : files)
        write("p/" + f, f);
    ASSERT_EQ(cli("add p.zip p -r -q").status, 0);
    struct Case {
        std::string typed;
        std::set<std::string> selected;
    };
    const Case cases[] = {{"'p/x*.txt'", {"x*.txt", "xyz.txt"}},
                          {"'p/q?.txt'", {"q?.txt", "qq.txt"}},
                          {"'p/[ab].txt'", {"a.txt", "b.txt"}},
                          {"'p/x[*].txt'", {"x*.txt"}},
                          {"p/a.txt p/nope.txt", {"a.txt"}}};
    int n = 0;
    for (const Case &c : cases) {
        const std::string out = "o" + std::to_string(n++);
        CliResult r = cli("extract -q p.zip " + c.typed + " -d " + out);
        std::set<std::string> got;
        for (const auto &e : fs::directory_iterator(dir_ / out / "p"))
            got.insert(e.path().filename().string());
        EXPECT_EQ(got, c.selected) << c.typed;
        const bool unmatched = c.typed.find("nope") != std::string::npos;
        EXPECT_EQ(r.status, unmatched ? 1 : 0) << c.typed << r.out;
        EXPECT_EQ(r.out.find("p/nope.txt (file not found)") != std::string::npos, unmatched)
            << r.out;
    }
    CliResult r = cli("delete p.zip 'p/q?.txt' 'p/[ab].txt'");
    EXPECT_EQ(r.status, 0) << r.out;
    for (const char *gone : {"q?.txt", "qq.txt", "a.txt", "b.txt"})
        EXPECT_NE(r.out.find(std::string("deleting: p/") + gone), std::string::npos) << gone;
    EXPECT_EQ(r.out.find("[ab].txt"), std::string::npos) << r.out;
    r = cli("delete p.zip p/nope.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("skipped: p/nope.txt (file not found)"), std::string::npos) << r.out;
}

TEST_F(CliWrite, MultidiskSetsWithAPieceSize) {
    std::string noise(300000, '\0');
    unsigned seed = 1;
    for (char &c : noise)
        c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    write("d/noise.bin", noise);
    CliResult r = cli("add set.zip d -r -q --multidisk --piece-size 64k");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::exists(dir_ / "set.z04"));
    EXPECT_EQ(cli("test set.zip -q --multidisk").status, 0);
    EXPECT_EQ(cli("list set.zip").status, 2); // a set outside multidisk mode: 410
    r = cli("extract set.zip -q --multidisk -d out");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(sh("cmp out/d/noise.bin d/noise.bin"), 0);
    // A missing piece without a terminal: the question is given up.
    fs::rename(dir_ / "set.z02", dir_ / "away");
    EXPECT_EQ(cli("test set.zip -q --multidisk").status, 2);
    EXPECT_EQ(cli("add small.zip d/a.txt --multidisk --piece-size 1000").status, 2);
}

TEST_F(CliWrite, MultidiskMistakesAreNamed) {
    ASSERT_EQ(cli("add s.zip d/a.txt -q -! --piece-size 64k").status, 0);
    write("d/big.bin", std::string(200000, 'x'));
    ASSERT_EQ(cli("add plain.zip d/a.txt -q").status, 0);
    const struct {
        const char *args;
        const char *message;
    } cases[] = {
        {"add s.zip d/a.txt --multidisk",
         "a set named s.zip already exists; remove its pieces or use --clear-disks"},
        {"add plain.zip d/a.txt -!", "plain.zip already exists; a multi-disk set is only ever"},
        {"add n.zip d/a.txt --multidisk --piece-size 1000", "the smallest piece size is 64K"},
        {"add n.zip d/a.txt --piece-size 64k", "--piece-size needs --multidisk"},
        {"add n.zip d/a.txt --clear-disks", "--clear-disks needs --multidisk"},
        {"update s.zip d/a.txt -!", "a multi-disk set is only ever written new; use add"},
    };
    for (const auto &c : cases) {
        const CliResult r = cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << ": " << r.out;
        EXPECT_EQ(r.out.find("An error occured"), std::string::npos) << c.args;
        EXPECT_FALSE(fs::exists(dir_ / "n.zip")) << c.args;
    }
    // Nothing to write in its place: the older set stays whole.
    EXPECT_EQ(cli("add s.zip d/none.txt -q -! --clear-disks").status, 1);
    EXPECT_EQ(cli("test s.zip -q -!").status, 0);
    // What the message offers works: the older set makes way.
    EXPECT_EQ(cli("add s.zip d/big.bin -q -! --clear-disks --piece-size 64k").status, 0);
    EXPECT_EQ(sh("unzip -l s.zip | grep -q big.bin"), 0);
    // Through a link, the set the link leads to is the older set.
    ASSERT_EQ(cli("add m.zip d/big.bin -0 -q -! --piece-size 64k").status, 0);
    ASSERT_TRUE(fs::exists(dir_ / "m.z01"));
    ASSERT_EQ(sh("ln -s m.zip link.zip"), 0);
    EXPECT_EQ(cli("add link.zip d/a.txt -q -! --clear-disks").status, 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.zip"));
    EXPECT_EQ(output("unzip -Z1 m.zip").out, "d/a.txt\n");
}

// On a terminal, the end of the input and "n" give the missing piece up
// after one question.
TEST_F(CliWrite, DiskPromptStopsAtEndOfInputAndNo) {
    if (sh("command -v script") != 0)
        GTEST_SKIP() << "no script(1) for a terminal";
    write("d/noise.bin", std::string(150000, 'n'));
    ASSERT_EQ(cli("add set.zip d -r -q -0 --multidisk --piece-size 64k").status, 0);
    fs::rename(dir_ / "set.z01", dir_ / "away");
    for (const char *input : {"", "n\\n"}) {
        const CliResult r = output(std::string("printf '") + input +
                                   "' | script -qec \"'" TARNWICK_BIN_DIR
                                   "/tarnwick-cli' test set.zip --multidisk\" /dev/null");
        size_t asked = 0;
        for (size_t at = 0; (at = r.out.find("Please insert", at)) != std::string::npos; ++at)
            ++asked;
        EXPECT_EQ(asked, 1u) << '"' << input << "\": " << r.out;
        EXPECT_NE(r.out.find("aborted"), std::string::npos) << r.out;
    }
}

} // namespace
