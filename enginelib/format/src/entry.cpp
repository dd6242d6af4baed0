#include "zipformat/entry.h"
#include "engine_contract.h"
#include "zipformat/dostime.h"
#include "zipformat/records.h"

#include <sys/stat.h>

namespace zipformat {

std::time_t Entry::modifiedTime() const noexcept {
    if (hasExactMtime)
        return mtime;
    std::time_t t = 0;
    unixFromDos(dosTime, t);
    return t;
}

std::uint32_t Entry::unixMode() const noexcept {
    std::uint8_t host = hostSystem();
    if (host != kHostUnix && host != kHostOsx)
        return 0;
    std::uint32_t mode = externalAttributes >> 16;
    // Some writers leave the file type out; a plain permission set still
    // describes a regular file (or a folder, when the name says so).
    if (mode != 0 && (mode & S_IFMT) == 0)
        mode |= (!name.empty() && name.back() == '/') ? S_IFDIR : S_IFREG;
    return mode;
}

bool Entry::isDirectory() const noexcept {
    if (!name.empty() && name.back() == '/')
        return true;
    std::uint32_t mode = unixMode();
    if (mode != 0)
        return S_ISDIR(mode);
    return (externalAttributes & 0x10u) != 0;
}

bool Entry::isSymlink() const noexcept {
    std::uint32_t mode = unixMode();
    return mode != 0 && S_ISLNK(mode);
}

std::uint8_t Entry::dosAttributes() const noexcept {
    std::uint8_t attrs = static_cast<std::uint8_t>(externalAttributes & 0x3fu);
    std::uint32_t mode = unixMode();
    if (mode != 0) {
        if ((mode & S_IWUSR) == 0)
            attrs |= ENGINE_ATTR_READONLY;
        if (S_ISDIR(mode))
            attrs |= ENGINE_ATTR_DIRECTORY;
        std::string_view leaf = name;
        if (!leaf.empty() && leaf.back() == '/')
            leaf.remove_suffix(1);
        auto slash = leaf.rfind('/');
        if (slash != std::string_view::npos)
            leaf.remove_prefix(slash + 1);
        if (!leaf.empty() && leaf.front() == '.')
            attrs |= ENGINE_ATTR_HIDDEN;
    }
    if (!name.empty() && name.back() == '/')
        attrs |= ENGINE_ATTR_DIRECTORY;
    return attrs;
}

} // namespace zipformat
