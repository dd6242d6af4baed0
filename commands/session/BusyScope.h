// The window's busy state for the length of a scope, so that no way out of
// a command (an early return, a thrown error) can leave the window locked.
#pragma once

class TArchiveView;

class TBusyScope {
public:
    // Enters the busy state (SetBusy(false)); it nests like SetBusy itself.
    explicit TBusyScope(TArchiveView &view);
    // Leaves it (SetBusy(true)), which shows the totals again.
    ~TBusyScope();
    TBusyScope(const TBusyScope &) = delete;
    TBusyScope &operator=(const TBusyScope &) = delete;

private:
    TArchiveView &view_;
};
