#include "target.h"

#include "zipformat/names.h"
#include "zipformat/pieces.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zipread {

bool splitSafePath(std::string_view name, std::vector<std::string_view> &parts) {
    parts.clear();
    if (name.empty() || name.front() == '/')
        return false;
    if (name.size() >= 2 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
        return false;
    const bool inside = zipformat::eachPathPart(name, [&parts](std::string_view part) {
        if (part == "..")
            return false;
        parts.push_back(part);
        return true;
    });
    return inside && !parts.empty();
}

bool safeLinkTarget(std::string_view target, std::size_t depth) {
    if (target.empty() || target.front() == '/' || target.find('\0') != std::string_view::npos)
        return false;
    bool leading = true;
    std::size_t up = 0;
    return zipformat::eachPathPart(target, [&](std::string_view part) {
        if (part == "..")
            return leading && ++up <= depth;
        leading = false;
        return true;
    });
}

Target::~Target() {
    if (cached_ >= 0 && cached_ != root_)
        ::close(cached_);
    if (root_ >= 0)
        ::close(root_);
}

bool Target::open(const std::string &path) {
    std::string p = path.empty() ? std::string(".") : path;
    root_ = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root_ >= 0)
        return true;
    if (errno != ENOENT)
        return false;
    // Create the missing parents, outermost first.
    for (std::size_t at = 1; at <= p.size(); ++at) {
        if (at == p.size() || p[at] == '/') {
            std::string prefix = p.substr(0, at);
            if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
                return false;
        }
    }
    root_ = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return root_ >= 0;
}

int Target::folder(const std::vector<std::string_view> &parts, std::size_t count, bool create) {
    if (count == 0)
        return root_;
    std::string key;
    for (std::size_t i = 0; i < count; ++i) {
        key.append(parts[i]);
        key.push_back('/');
    }
    if (cached_ >= 0 && key == cachedKey_)
        return cached_;
    int fd = root_;
    for (std::size_t i = 0; i < count; ++i) {
        std::string part(parts[i]);
        int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create) {
            if (mkdirat(fd, part.c_str(), 0777) == 0 || errno == EEXIST)
                next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (fd != root_)
            ::close(fd);
        if (next < 0)
            return -1;
        fd = next;
    }
    if (cached_ >= 0 && cached_ != root_)
        ::close(cached_);
    cached_ = fd;
    cachedKey_ = key;
    return fd;
}

void Target::noteFolder(const std::vector<std::string_view> &parts, std::uint32_t mode,
                        std::time_t mtime) {
    Noted n;
    for (auto p : parts)
        n.parts.emplace_back(p);
    n.mode = mode;
    n.mtime = mtime;
    noted_.push_back(std::move(n));
}

void Target::finish() {
    // Deepest first: changing a folder's time after its subfolders were
    // touched keeps the stored times.
    std::stable_sort(noted_.begin(), noted_.end(), [](const Noted &a, const Noted &b) {
        return a.parts.size() > b.parts.size();
    });
    for (const Noted &n : noted_) {
        std::vector<std::string_view> views(n.parts.begin(), n.parts.end());
        int fd = folder(views, views.size(), false);
        if (fd < 0 || fd == root_)
            continue;
        if (n.mode != 0)
            fchmod(fd, n.mode & 0777);
        struct timespec times[2];
        times[0].tv_sec = n.mtime;
        times[0].tv_nsec = 0;
        times[1] = times[0];
        futimens(fd, times);
    }
    noted_.clear();
}

void Target::protectFile(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        protected_.push_back(Identity{st.st_dev, st.st_ino});
}

void Target::protect(const std::string &archivePath, bool withPieces) {
    protectFile(archivePath);
    if (!withPieces)
        return;
    const auto slash = archivePath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : archivePath.substr(0, slash);
    const std::string leaf =
        slash == std::string::npos ? archivePath : archivePath.substr(slash + 1);
    DIR *dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent *e = ::readdir(dir)) {
        if (zipformat::isEarlierPieceName(e->d_name, leaf))
            protectFile(folder + "/" + e->d_name);
    }
    ::closedir(dir);
}

bool Target::isProtected(int dirfd, const std::string &leaf) const {
    auto matches = [this](const struct stat &st) {
        return std::any_of(protected_.begin(), protected_.end(), [&st](const Identity &id) {
            return id.device == st.st_dev && id.inode == st.st_ino;
        });
    };
    struct stat st {};
    if (fstatat(dirfd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && matches(st))
        return true;
    return fstatat(dirfd, leaf.c_str(), &st, 0) == 0 && matches(st);
}

int Target::createTemp(int dirfd, std::string &name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned n = counter.fetch_add(1) * 2654435761u ^ static_cast<unsigned>(getpid());
        name = ".tarnwick-" + std::to_string(n) + ".tmp";
        int fd =
            openat(dirfd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace zipread
