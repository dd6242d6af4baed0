#include "Terminal.h"

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace cli {
namespace {

// False at the end of the input with nothing read.
bool readLine(std::string &line) {
    line.clear();
    int c = 0;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        line.push_back(static_cast<char>(c));
    return c != EOF || !line.empty();
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
    std::fprintf(stderr, "Password for %s: ", name.toUtf8().constData());
    std::fflush(stderr);
    termios old{};
    bool quiet = tcgetattr(STDIN_FILENO, &old) == 0;
    if (quiet) {
        termios silent = old;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::string answer = readLine();
    if (quiet)
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::fprintf(stderr, "\n");
    return QString::fromUtf8(answer.c_str());
}

} // namespace cli
