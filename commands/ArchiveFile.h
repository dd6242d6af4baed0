// Copying and moving the archive file for Copy Archive and Rename Archive.
// Results are errno values (0 for success) so that the caller words them
// the program's way.
#pragma once

#include <QString>

namespace commands {

// Copies `source` over `target` without ever leaving a half file there: the
// bytes go to a temporary file in the target's folder, which is flushed to
// the disk and then renamed over the target. A replaced target keeps its
// permissions. On failure the target is as it was.
//
// Test hook: TARNWICK_COPY_FAIL_AFTER=N makes writing fail as a full disk
// once N bytes have been written.
int CopyFileSafely(const QString &source, const QString &target);

// Moves `source` to `target`, replacing a file there; across file systems
// by CopyFileSafely and then removing the source. On failure nothing has
// moved, except when the source cannot be removed after the copy: then the
// copy stays and the source too, and the error is returned.
int MoveFileSafely(const QString &source, const QString &target);

} // namespace commands
