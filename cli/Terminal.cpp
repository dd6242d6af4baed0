#include "Terminal.h"

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace cli {
namespace {

std::string readLine() {
    std::string line;
    for (int c; (c = std::fgetc(stdin)) != EOF && c != '\n';)
        line.push_back(static_cast<char>(c));
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
        std::fprintf(stderr, "Please insert the last disk of the set. [Enter] go on, [a]bort: ");
    else
        std::fprintf(stderr, "Please insert disk #%d of the set. [Enter] go on, [a]bort: ", number);
    std::fflush(stderr);
    std::string answer = readLine();
    return answer.empty() || (answer[0] != 'a' && answer[0] != 'A');
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
