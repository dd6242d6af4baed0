// What tells one state of a file from another without reading it: which
// file it is (device and inode), its size and its modification time to the
// nanosecond. A program that writes a new file over the name, or changes
// the file in place, changes its stamp.
#pragma once

#include <QString>

#include <cstdint>

namespace platform {

struct FileStamp {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;

    bool operator==(const FileStamp &) const = default;
};

// The stamp of the file a path leads to (links followed); one that does not
// exist has the empty stamp.
FileStamp FileStampOf(const QString &path);

} // namespace platform
