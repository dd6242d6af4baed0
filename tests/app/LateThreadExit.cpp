// Preloaded into the program by the tests that start it. On a loaded machine
// a thread that has done its work may wait a long time for the processor
// before it runs its exit; here every thread does, busy, and the process's
// own exit waits for such threads as soon as Qt has deleted its thread-data
// key. What a loaded machine shows now and then, a thread ending after that
// key is gone and losing its thread data, then happens on every run that
// leaves threads behind, and the leak check at the end sees it every time.
#include <atomic>
#include <chrono>
#include <thread>

#include <dlfcn.h>
#include <pthread.h>

namespace {

using CreateFunction = int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
using KeyDeleteFunction = int (*)(pthread_key_t);

std::atomic<int> threadsEnding{0};

struct Start {
    void *(*routine)(void *);
    void *argument;
};

void *RunThenEndLate(void *start) {
    const Start copy = *static_cast<Start *>(start);
    delete static_cast<Start *>(start);
    void *result = copy.routine(copy.argument);
    ++threadsEnding;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (std::chrono::steady_clock::now() < until) {
    }
    --threadsEnding;
    return result;
}

template <typename Function> Function Next(const char *name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int pthread_create(pthread_t *thread, const pthread_attr_t *attributes,
                              void *(*routine)(void *), void *argument) {
    static const auto next = Next<CreateFunction>("pthread_create");
    return next(thread, attributes, RunThenEndLate, new Start{routine, argument});
}

extern "C" int pthread_key_delete(pthread_key_t key) {
    static const auto next = Next<KeyDeleteFunction>("pthread_key_delete");
    const int result = next(key);
    if (threadsEnding.load() == 0)
        return result;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (threadsEnding.load() != 0 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Time for them to leave once their last instruction of ours is done.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return result;
}
