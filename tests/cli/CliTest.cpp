// tarnwick-cli run as a program: output, messages and exit status.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status = -1;
    std::string out; // stdout and stderr together
};

std::string quote(const std::string &s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the tool with stdin from /dev/null, so no question is ever asked.
CliRun cli(const std::string &args) {
    CliRun r;
    std::string command = quote(TARNWICK_BIN_DIR "/tarnwick-cli") + " " + args + " </dev/null 2>&1";
    FILE *p = popen(command.c_str(), "r");
    if (p == nullptr)
        return r;
    std::array<char, 4096> buf{};
    for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;)
        r.out.append(buf.data(), n);
    int rc = pclose(p);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

std::string slurp(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string corpus(const std::string &f) {
    return quote(TARNWICK_CORPUS_DIR "/" + f);
}

struct Scratch {
    fs::path path;
    Scratch() {
        std::string t = (fs::temp_directory_path() / "tarnwick-cli-XXXXXX").string();
        path = mkdtemp(t.data());
    }
    ~Scratch() { fs::remove_all(path); }
};

TEST(Cli, HelpExplainsTheCommands) {
    CliRun r = cli("--help");
    EXPECT_EQ(r.status, 0);
    for (const char *word : {"list", "test", "extract", "comment", "-d DIR", "-P PASSWORD"})
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    EXPECT_EQ(cli("").status, 2);
    EXPECT_EQ(cli("frobnicate x.zip").status, 2);
    EXPECT_EQ(cli("list " + corpus("valid/go-test.zip") + " -Z").status, 2);
}

TEST(Cli, ListPrintsRowsAndTotals) {
    CliRun r = cli("list " + corpus("valid/go-test.zip"));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("        26         25    4% 2010-09-05 12:12 test.txt"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("2 entries"), std::string::npos);
}

TEST(Cli, ResultCodesBecomeMessagesAndStatus) {
    CliRun r = cli("list /nonexistent/archive.zip");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "tarnwick-cli: /nonexistent/archive.zip: Could not find the archive file.\n");
    for (const char *notFile : {"/tmp", "/dev/null"}) {
        r = cli(std::string("test ") + notFile);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, std::string("tarnwick-cli: ") + notFile + ": not a regular file\n");
    }
    r = cli("test " + corpus("damaged/libzip-incons-data.zip"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Test failed - Errors in the archive."), std::string::npos);
    EXPECT_NE(r.out.find("(CRC does not check out)"), std::string::npos);
    r = cli("test " + corpus("damaged/go-readme.notzip"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("The archive file is corrupted."), std::string::npos);
}

TEST(Cli, ExtractWithOptionsAndSkippedWarning) {
    Scratch s;
    std::string dir = quote((s.path / "out").string());
    CliRun r = cli("extract " + corpus("hostile/crafted-traversal-dotdot.zip") + " -d " + dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Some files were skipped while extracting."), std::string::npos);
    EXPECT_TRUE(fs::exists(s.path / "out/safe.txt"));

    r = cli("extract " + corpus("valid/go-unix.zip") + " -j -q -x 'dir/*' -d " + dir);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::exists(s.path / "out/hello"));
    EXPECT_FALSE(fs::exists(s.path / "out/bar"));
    // Without a terminal the replace question is answered "no".
    std::ofstream(s.path / "out/hello") << "mine";
    r = cli("extract " + corpus("valid/go-unix.zip") + " hello -j -d " + dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(slurp(s.path / "out/hello"), "mine");
    r = cli("extract " + corpus("valid/go-unix.zip") + " hello -j -o -d " + dir);
    EXPECT_NE(slurp(s.path / "out/hello"), "mine");
}

TEST(Cli, PasswordOption) {
    Scratch s;
    std::string dir = quote((s.path / "out").string());
    CliRun r = cli("test " + corpus("encrypted/libzip-encrypt.zip") + " -P foo");
    EXPECT_EQ(r.status, 0) << r.out;
    r = cli("test " + corpus("encrypted/libzip-encrypt.zip"));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.find("Enter the password"), std::string::npos); // no terminal: never asked
    EXPECT_NE(r.out.find("(invalid or no password to decrypt file)"), std::string::npos);
}

TEST(Cli, ControlCharactersInNamesAreEscaped) {
    CliRun r = cli("list " + corpus("hostile/crafted-bad-utf8-names.zip"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("\\x1b[31mred"), std::string::npos) << r.out;
}

TEST(Cli, CommentIsPrinted) {
    CliRun r = cli("comment " + corpus("valid/go-test.zip"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "This is a zipfile comment.\n");
}

TEST(Cli, InfoPrintsTheArchiveInformationFigures) {
    CliRun r = cli("info " + corpus("valid/go-test.zip"));
    EXPECT_EQ(r.status, 0);
    for (const char *line : {"File Size:      1170\n", "Files:          2\n",
                             "Size:           811\n", "Packed:         810\n",
                             "Compression:    0%\n", "Comment:\nThis is a zipfile comment.\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    EXPECT_EQ(cli("info /nonexistent/archive.zip").status, 2);
}

TEST(Cli, EveryValidCorpusArchiveListsTestsAndExtracts) {
    Scratch s;
    for (const auto &entry : fs::directory_iterator(TARNWICK_CORPUS_DIR "/valid")) {
        const std::string name = entry.path().filename().string();
        const std::string path = quote(entry.path().string());
        EXPECT_EQ(cli("list -q " + path).status, 0) << name;
        const bool unsupported = name.find("ppmd") != std::string::npos;
        const bool empty = name.find("testempty") != std::string::npos;
        EXPECT_EQ(cli("test -q " + path).status, (unsupported || empty) ? 2 : 0) << name;
        const std::string out = quote((s.path / name).string());
        const int expected = (unsupported || name.find("dupdir") != std::string::npos) ? 1 : 0;
        EXPECT_EQ(cli("extract -q " + path + " -d " + out).status, expected) << name;
    }
}

TEST(Cli, VerboseListingNamesMethodsAndCodePagesDecodeNames) {
    CliRun r = cli("list -v " + corpus("encrypted/libzip-encrypt-aes256.zip"));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(" Stored              plain\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" AES-256 + Stored    encrypted\n"), std::string::npos) << r.out;
    r = cli("list -v " + corpus("encrypted/libarchive-zip_ppmd8_aes256_streaming.zipx"));
    EXPECT_NE(r.out.find(" AES-256 + PPMd "), std::string::npos) << r.out;

    const std::string cp866 = corpus("valid/libarchive-zip_filename_cp866.zip");
    r = cli("list -O CP866 " + cp866);
    EXPECT_NE(r.out.find(" привет\n"), std::string::npos) << r.out;
    r = cli("list -O 866 " + cp866);
    EXPECT_NE(r.out.find(" ПРИВЕТ\n"), std::string::npos) << r.out;
    r = cli("list -O CP932 " + corpus("valid/libarchive-zip_filename_cp932.zip"));
    EXPECT_NE(r.out.find(" 表だよ/漢字.txt\n"), std::string::npos) << r.out;
}

} // namespace
