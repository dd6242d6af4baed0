#include "link_target.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zipwrite {

namespace {

// As many hops as the kernel follows before it reports ELOOP.
constexpr int kMaxHops = 40;

} // namespace

std::string linkTarget(const std::string &path) {
    std::string at = path;
    for (int hop = 0; hop <= kMaxHops; ++hop) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return at;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(at.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size())
            return {};
        std::string target(buf.data(), static_cast<std::size_t>(n));
        if (target.front() != '/') {
            // Relative to the folder holding the link.
            const auto slash = at.rfind('/');
            if (slash != std::string::npos)
                target.insert(0, at, 0, slash + 1);
        }
        at = std::move(target);
    }
    return {};
}

} // namespace zipwrite
