// Ctrl+C, SIGTERM and SIGHUP in a process that runs engine operations.
//
// A signal that arrives while an operation runs does not end the process in
// the middle of it: the operation is told to stop at its next callback, the
// engine removes its temporary files and cuts an archive grown in place
// back to what it was, and when the call has returned the signal is raised
// again with its default action, so the process still ends as killed by it.
// Outside an operation a signal acts as it always did.
#pragma once

namespace zipengine {

// Installs the handlers (once per process) and, when a QCoreApplication
// exists, ends every event loop of the GUI thread when a signal comes during
// an operation, so that a modal prompt shown from a callback cannot hold the
// operation up.
void InstallInterruptHandlers();

// The signal that asked the running operation to stop, or 0.
int PendingInterrupt();

// Readable once a signal has asked the running operation to stop; a prompt
// that waits for input waits for this too. -1 before the handlers exist.
int InterruptWakeFd();

// Marks an engine call in progress. When the outermost one ends after a
// signal came, the signal is raised again with its default action.
class InterruptibleCall {
public:
    InterruptibleCall();
    ~InterruptibleCall();
    InterruptibleCall(const InterruptibleCall &) = delete;
    InterruptibleCall &operator=(const InterruptibleCall &) = delete;
};

} // namespace zipengine
