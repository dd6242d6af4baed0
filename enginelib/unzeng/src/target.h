// The target folder of an extraction. Every path below it is reached with
// openat() one component at a time and O_NOFOLLOW, so no symbolic link
// (from the archive or already on disk) can lead a write outside it.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace zipread {

// Splits an entry name into path components. False for names that must not
// be extracted: absolute ("/x", "//host/x"), drive-qualified ("C:x"), with
// a ".." component, or with nothing left. "." and empty components go.
bool splitSafePath(std::string_view name, std::vector<std::string_view> &parts);

// True when a symbolic link at depth `depth` below the target (0: in the
// target itself) with this text stays inside: relative, ".." only as
// leading components and no more of them than `depth`. Following other links
// then cannot climb out either, since each of them obeys the same rule.
bool safeLinkTarget(std::string_view target, std::size_t depth);

class Target {
public:
    Target() = default;
    ~Target();
    Target(const Target &) = delete;
    Target &operator=(const Target &) = delete;

    // Creates the folder with its parents when missing and opens it.
    bool open(const std::string &path);
    // The descriptor of that folder.
    int root() const noexcept { return root_; }

    // The descriptor of the folder holding parts[0..count-1], creating
    // missing folders when `create`. -1 when a component is a file or a
    // link, or cannot be made. The descriptor stays owned by the Target.
    int folder(const std::vector<std::string_view> &parts, std::size_t count, bool create);

    // Remembers a folder entry's mode and time, applied by finish(): setting
    // them early would be undone by the files written into it, or lock us out.
    void noteFolder(const std::vector<std::string_view> &parts, std::uint32_t mode,
                    std::time_t mtime);
    void finish();

    // Files that must never be replaced: the archive being read and, for a
    // set, its earlier pieces beside it. Known by device and inode, so any
    // spelling of their paths, a hard link or a symbolic link to them is
    // caught.
    void protect(const std::string &archivePath, bool withPieces);
    // True when `leaf` in folder `dirfd`, or what it links to, is protected.
    bool isProtected(int dirfd, const std::string &leaf) const;

    // A fresh temporary name in folder `dirfd`; the file is created with
    // O_EXCL and returned open for reading and writing (it may be mapped),
    // -1 on failure.
    static int createTemp(int dirfd, std::string &name);

private:
    struct Noted {
        std::vector<std::string> parts;
        std::uint32_t mode;
        std::time_t mtime;
    };
    struct Identity {
        dev_t device;
        ino_t inode;
    };
    void protectFile(const std::string &path);
    std::vector<Identity> protected_;
    int root_ = -1;
    int cached_ = -1;
    std::string cachedKey_;
    std::vector<Noted> noted_;
};

} // namespace zipread
