#include "platform/ExitingThreads.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

#include <unistd.h>

namespace platform {

namespace {

// The state letter of /proc/self/task/<id>/stat, after the name in
// parentheses (the name itself may hold blanks and parentheses).
char ThreadState(const std::filesystem::path &task) {
    std::ifstream stat(task / "stat");
    std::string line;
    if (!std::getline(stat, line))
        return 'X';
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return 'X';
    return line[close + 2];
}

bool OtherThreadRunnable() {
    const std::string self = std::to_string(gettid());
    std::error_code error;
    for (const auto &task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        if (task.path().filename() != self && ThreadState(task.path()) == 'R')
            return true;
    }
    return false;
}

} // namespace

bool WaitForExitingThreads(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (OtherThreadRunnable()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace platform
