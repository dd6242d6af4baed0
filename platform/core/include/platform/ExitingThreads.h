// The threads of this process that are still on their way out when the
// program returns from main.
//
// A thread pool or an event reader that Qt stops while the application object
// is destroyed reports its threads finished before they have run their
// thread-exit handlers, and Qt's own exit handler then deletes the key those
// handlers need: a thread that gets the processor only after that never
// releases its thread data. Waiting for such threads first lets every one of
// them end while the key still exists.
#pragma once

#include <chrono>

namespace platform {

// Waits until no other thread of this process is ready to run, checking every
// millisecond, for at most `limit`. Threads asleep in a wait of their own
// (a D-Bus or GLib loop that ends with the process) do not hold it up.
// True when it got there within the limit.
bool WaitForExitingThreads(std::chrono::milliseconds limit);

} // namespace platform
