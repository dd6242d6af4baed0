#include "Terminal.h"

#include "Interrupts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace cli {
namespace {

// False at the end of the input with nothing read, and when a signal asks
// the running operation to stop: a question must not hold it up. Read a
// byte at a time from the descriptor, so that nothing waits in a buffer
// that poll() cannot see.
bool readLine(std::string &line) {
    line.clear();
    pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {zipengine::InterruptWakeFd(), POLLIN, 0}};
    for (;;) {
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (waits[1].revents != 0)
            return false;
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return !line.empty();
        if (c == '\n')
            return true;
        line.push_back(c);
    }
}

std::string readLine() {
    std::string line;
    readLine(line);
    return line;
}

} // namespace

Terminal::Terminal() : interactive_(isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {}

char Terminal::askReplace(const QString &name) {
    if (!interactive_)
        return 'n';
    std::fprintf(stderr, "Replace %s? [y]es, [N]o, [a]bort: ", name.toUtf8().constData());
    std::fflush(stderr);
    std::string answer = readLine();
    if (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y'))
        return 'y';
    if (!answer.empty() && (answer[0] == 'a' || answer[0] == 'A'))
        return 'a';
    return 'n';
}

bool Terminal::askForDisk(int number) {
    if (!interactive_)
        return false;
    if (number == 0)
        std::fprintf(stderr, "Please insert the last disk of the set. [Enter] go on, [n]o: ");
    else
        std::fprintf(stderr, "Please insert disk #%d of the set. [Enter] go on, [n]o: ", number);
    std::fflush(stderr);
    // The end of the input gives up: the engine would otherwise ask again
    // and again for a disk that nobody can insert.
    std::string answer;
    if (!readLine(answer)) {
        std::fprintf(stderr, "\n");
        return false;
    }
    const char first = answer.empty() ? '\0' : answer[0];
    return first != 'a' && first != 'A' && first != 'n' && first != 'N';
}

QString Terminal::askPassword(const QString &name) {
    if (!interactive_)
        return {};
    // Echo goes off before the prompt appears: whatever is typed once the
    // prompt shows, however fast, must not reach the screen.
    termios old{};
    bool quiet = tcgetattr(STDIN_FILENO, &old) == 0;
    if (quiet) {
        termios silent = old;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::fprintf(stderr, "Enter the password for %s: ", name.toUtf8().constData());
    std::fflush(stderr);
    std::string answer = readLine();
    if (quiet)
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::fprintf(stderr, "\n");
    const QString typed = QString::fromUtf8(answer.c_str());
    ::explicit_bzero(answer.data(), answer.capacity());
    return typed;
}

} // namespace cli
