#include "Interrupts.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace zipengine {
namespace {

// Lock-free atomics are all a handler may touch besides write(2).
std::atomic<int> runningCalls{0};
std::atomic<int> pendingSignal{0};
std::atomic<int> wakeRead{-1};
std::atomic<int> wakeWrite{-1};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Ends the process as the signal's default action would have.
void RaiseWithDefaultAction(int signo) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signo, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signo);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signo);
}

extern "C" void OnInterrupt(int signo) {
    const int savedErrno = errno;
    int none = 0;
    pendingSignal.compare_exchange_strong(none, signo);
    // Set before looking at the count: a call that ends meanwhile sees the
    // signal and raises it itself.
    if (runningCalls.load() == 0) {
        RaiseWithDefaultAction(signo);
    } else if (const int fd = wakeWrite.load(); fd >= 0) {
        const char byte = 1;
        if (write(fd, &byte, 1) < 0) {
            // Full: someone is already woken.
        }
    }
    errno = savedErrno;
}

} // namespace

void InstallInterruptHandlers() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead.store(fds[0]);
        wakeWrite.store(fds[1]);
        if (auto *app = QCoreApplication::instance()) {
            // A modal box runs an event loop of its own inside the callback;
            // ending them all lets the callback return, and every later
            // loop returns at once.
            auto *notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, app);
            QObject::connect(notifier, &QSocketNotifier::activated, app,
                             [] { QCoreApplication::exit(1); });
        }
    }
    for (const int signo : kSignals) {
        struct sigaction old {};
        // A signal the parent set to be ignored (nohup, a shell's
        // background job) stays ignored.
        if (sigaction(signo, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        for (const int other : kSignals)
            sigaddset(&action.sa_mask, other);
        // Restarted system calls: the engines and Qt need not expect EINTR
        // anywhere; a prompt waits on InterruptWakeFd() as well.
        action.sa_flags = SA_RESTART;
        sigaction(signo, &action, nullptr);
    }
}

int PendingInterrupt() {
    return pendingSignal.load();
}

int InterruptWakeFd() {
    return wakeRead.load();
}

InterruptibleCall::InterruptibleCall() {
    runningCalls.fetch_add(1);
}

InterruptibleCall::~InterruptibleCall() {
    if (runningCalls.fetch_sub(1) == 1) {
        if (const int signo = pendingSignal.load(); signo != 0)
            RaiseWithDefaultAction(signo);
    }
}

} // namespace zipengine
