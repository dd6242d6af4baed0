// Waiting at the program's exit for threads that are still ending.
#include "platform/ExitingThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

TEST(ExitingThreadsTest, WaitsForAThreadStillRunning) {
    std::atomic<bool> done{false};
    std::thread busy([&done] {
        const auto until = std::chrono::steady_clock::now() + 200ms;
        while (std::chrono::steady_clock::now() < until) {
        }
        done = true;
    });
    EXPECT_TRUE(platform::WaitForExitingThreads(10s));
    EXPECT_TRUE(done);
    busy.join();
}

TEST(ExitingThreadsTest, AThreadAsleepInItsOwnWaitDoesNotHoldItUp) {
    std::mutex mutex;
    std::condition_variable wake;
    bool woken = false;
    std::thread sleeper([&] {
        std::unique_lock lock(mutex);
        wake.wait(lock, [&woken] { return woken; });
    });
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(platform::WaitForExitingThreads(10s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    {
        std::lock_guard lock(mutex);
        woken = true;
    }
    wake.notify_one();
    sleeper.join();
}
