// tarnwick-cli's progress line: drawn on a terminal, never in a pipe, and
// always erased before any other line.
#include "ProgressLine.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <pty.h>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status = -1;
    std::string out; // standard output and error together
};

// Runs `command` through the shell in `dir` with standard output and error
// on a pseudo-terminal (raw, so that every byte arrives as written) or on a
// pipe.
CliRun run(const fs::path &dir, const std::string &command, bool terminal) {
    CliRun r;
    const std::string line = "cd '" + dir.string() + "' && '" TARNWICK_BIN_DIR "/tarnwick-cli' " +
                             command + " </dev/null";
    if (!terminal) {
        FILE *p = popen((line + " 2>&1").c_str(), "r");
        std::array<char, 4096> buf{};
        for (size_t n; p != nullptr && (n = fread(buf.data(), 1, buf.size(), p)) > 0;)
            r.out.append(buf.data(), n);
        const int rc = p != nullptr ? pclose(p) : -1;
        r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        return r;
    }
    int master = -1, slave = -1;
    winsize size{};
    size.ws_col = 200;
    size.ws_row = 24;
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0)
        return r;
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    const pid_t child = fork();
    if (child == 0) {
        close(master);
        dup2(slave, STDOUT_FILENO);
        dup2(slave, STDERR_FILENO);
        close(slave);
        execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(slave);
    std::array<char, 4096> buf{};
    for (ssize_t n; (n = read(master, buf.data(), buf.size())) > 0;)
        r.out.append(buf.data(), static_cast<size_t>(n));
    close(master);
    int rc = 0;
    waitpid(child, &rc, 0);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

bool drawsProgress(const std::string &out) {
    return std::regex_search(out, std::regex("\r[0-9]+(/[0-9]+)? entries"));
}

// Every line, and the end, shows only what follows the last carriage
// return: no progress text may be left there.
bool progressAlwaysErased(const std::string &out) {
    size_t from = 0;
    while (from <= out.size()) {
        size_t end = out.find('\n', from);
        const std::string line = out.substr(from, end == std::string::npos ? end : end - from);
        const size_t cr = line.rfind('\r');
        const std::string shown = cr == std::string::npos ? line : line.substr(cr + 1);
        if (shown.find(" entries") != std::string::npos)
            return false;
        if (end == std::string::npos)
            return shown.find_first_not_of(' ') == std::string::npos;
        from = end + 1;
    }
    return true;
}

class CliProgress : public ::testing::Test {
protected:
    void SetUp() override {
        std::string t = (fs::temp_directory_path() / "tarnwick-clip-XXXXXX").string();
        ASSERT_NE(mkdtemp(t.data()), nullptr);
        dir_ = t;
        std::ofstream(dir_ / "a.txt") << "alpha\n";
        std::ofstream(dir_ / "b.txt") << "beta\n";
        fs::copy_file(TARNWICK_CORPUS_DIR "/valid/go-test.zip", dir_ / "go.zip");
        fs::copy_file(TARNWICK_CORPUS_DIR "/damaged/libzip-incons-data.zip", dir_ / "bad.zip");
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(CliProgress, DrawnOnATerminalOnlyAndErasedBeforeEveryLine) {
    struct Case {
        std::string command;
        bool terminal;
        bool progress;
        const char *entryLine; // expected per-entry line, or nullptr for none
    };
    const Case cases[] = {
        {"test go.zip", true, true, nullptr},
        {"extract go.zip -d out -o", true, true, nullptr},
        {"add new.zip a.txt b.txt", true, true, nullptr},
        {"fix go.zip --out fixed.zip", true, true, nullptr},
        {"test bad.zip", true, true, nullptr},
        {"test go.zip -q", true, false, nullptr},
        {"test go.zip --no-progress", true, false, "testing: test.txt"},
        {"test go.zip", false, false, "testing: test.txt"},
        {"extract go.zip -d out -o", false, false, "extracting: test.txt"},
        {"add other.zip a.txt b.txt", false, false, "adding: a.txt"},
        {"fix go.zip --out fixed.zip", false, false, "fixing: test.txt"},
        {"test go.zip --progress", false, true, "testing: test.txt"},
    };
    for (const Case &c : cases) {
        const CliRun r = run(dir_, c.command, c.terminal);
        const std::string what = c.command + (c.terminal ? " (terminal)" : " (pipe)");
        EXPECT_EQ(drawsProgress(r.out), c.progress) << what << '\n' << r.out;
        EXPECT_TRUE(progressAlwaysErased(r.out)) << what << '\n' << r.out;
        if (!c.progress) {
            EXPECT_EQ(r.out.find('\r'), std::string::npos) << what << '\n' << r.out;
        }
        if (c.entryLine != nullptr) {
            EXPECT_NE(r.out.find(c.entryLine), std::string::npos) << what << '\n' << r.out;
        } else {
            EXPECT_FALSE(std::regex_search(
                r.out, std::regex("(^|\n) *(testing|extracting|adding|fixing): ")))
                << what << '\n'
                << r.out;
        }
        EXPECT_NE(r.status, -1) << what;
    }
}

TEST(ProgressText, FiguresRateAndTimeLeft) {
    struct Case {
        cli::ProgressFigures f;
        int columns;
        const char *text;
    };
    const Case cases[] = {
        {{3, 10, 50 << 20, 100 << 20, 5.0, "x.bin"},
         200,
         "3/10 entries  50.0 MiB of 100.0 MiB  10.0 MiB/s  0:05 left  x.bin"},
        // The first moments give no estimate.
        {{1, 10, 1536, 4096, 0.5, "x.bin"}, 200, "1/10 entries  1.5 KiB of 4.0 KiB  x.bin"},
        // Empty files: the entries tell the time left.
        {{2, 6, 0, 0, 2.0, ""}, 200, "2/6 entries  0 B of 0 B  0 B/s  0:04 left"},
        // A repair reports no sizes and no total.
        {{4, -1, -1, -1, 2.0, "y"}, 200, "4 entries  2.0 entries/s  y"},
        {{1, -1, 3LL << 30, -1, 3600.0, ""}, 200, "1 entries  3.0 GiB  873.8 KiB/s"},
        {{1, 2, 100, 200, 7300.0, ""}, 200, "1/2 entries  100 B of 200 B  0 B/s  2:01:40 left"},
        // The name is cut from the left to fit the terminal.
        {{1, 2, 0, 10, 0, "folder/deeper/name.txt"},
         40,
         "1/2 entries  0 B of 10 B  ...er/name.txt"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(cli::progressText(c.f, c.columns).toStdString(), c.text) << c.text;
}

} // namespace
