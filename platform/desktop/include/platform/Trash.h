// The freedesktop.org trash, as the Recycle Bin's stand-in.
#pragma once

#include <QString>

namespace platform {

struct TrashResult {
    bool moved = false;
    QString pathInTrash; // where the file went, when moved
    QString error;       // the system's words for a failure
};

// The home trash: "Trash" in $XDG_DATA_HOME, or in ~/.local/share when that
// is unset or not an absolute path.
QString HomeTrashFolder();

// Moves `path` to the trash (a trash folder on the file's own medium, or the
// home trash), creating the home trash with its parents (mode 0700) when it
// is missing. A file that ends up anywhere but in the "files" folder of a
// trash is put back and the move reported as failed.
TrashResult MoveToDesktopTrash(const QString &path);

} // namespace platform
