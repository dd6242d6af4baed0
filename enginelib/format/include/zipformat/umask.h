// The process's file mode creation mask, read without changing it: setting
// it to read it would, for that moment, let another thread of the process
// create files open to everyone.
#pragma once

#include <sys/types.h>

namespace zipformat {

// From the "Umask:" line of /proc/self/status; where that cannot be read,
// 077, so that nothing is made more open than the user wants.
mode_t processUmask() noexcept;

} // namespace zipformat
