#include "collector.h"

#include "engine_error.h"
#include "wildcard.h"
#include "engine_contract.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <map>
#include <set>
#include <unordered_set>

namespace zipwrite {

std::string storedNameOf(const std::string &path) {
    std::string out;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos)
            j = path.size();
        const std::string part = path.substr(i, j - i);
        if (!part.empty() && part != "." && part != "..") {
            if (!out.empty())
                out.push_back('/');
            out += part;
        }
        i = j + 1;
    }
    return out;
}

namespace {

std::string baseName(const std::string &path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string joinPath(const std::string &dir, const std::string &name) {
    if (dir.empty())
        return name;
    if (dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

bool isHidden(const std::string &name) {
    return !name.empty() && name[0] == '.';
}

std::vector<std::string> sortedChildren(const std::string &dir) {
    std::vector<std::string> names;
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr)
        return names;
    while (dirent *e = readdir(d)) {
        const std::string n = e->d_name;
        if (n == "." || n == "..")
            continue;
        names.push_back(n);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

class Walker {
public:
    explicit Walker(const Options &opt) : opt_(opt) {}

    void element(const std::string &elem) {
        const std::string base = baseName(elem);
        if (hasWildcard(base)) {
            wildcardElement(elem, base);
            return;
        }
        struct stat st {};
        if (::stat(elem.c_str(), &st) != 0) {
            out_.skips.push_back({elem, errno == EACCES ? uint8_t(ENGINE_SKIP_CANNOT_OPEN)
                                                        : uint8_t(ENGINE_SKIP_NOT_FOUND)});
            return;
        }
        if (S_ISDIR(st.st_mode))
            folder(elem, st, true);
        else if (S_ISREG(st.st_mode))
            file(elem, st, true);
        else
            out_.skips.push_back({elem, ENGINE_SKIP_CANNOT_OPEN});
    }

    Collection take() { return std::move(out_); }

private:
    void wildcardElement(const std::string &elem, const std::string &pattern) {
        const auto slash = elem.rfind('/');
        const std::string dir =
            slash == std::string::npos ? std::string() : elem.substr(0, slash + 1);
        for (const auto &name : sortedChildren(dir)) {
            if (!wildcardMatch(pattern, name))
                continue;
            if (isHidden(name) && !opt_.hidden && !isHidden(pattern))
                continue;
            const std::string path = dir + name;
            struct stat st {};
            if (::stat(path.c_str(), &st) != 0)
                continue;
            if (S_ISREG(st.st_mode))
                file(path, st, false);
            else if (S_ISDIR(st.st_mode) && opt_.recurse)
                folder(path, st, false);
        }
    }

    void folder(const std::string &path, const struct stat &st, bool named) {
        // Each folder once, even when named twice or reached by two routes.
        if (!seenDirs_.insert({st.st_dev, st.st_ino}).second)
            return;
        addDirEntry(path, st, named);
        if (opt_.recurse)
            out_.walkedDirs.push_back(path);
        for (const auto &name : sortedChildren(path)) {
            if (isHidden(name) && !opt_.hidden)
                continue;
            const std::string child = joinPath(path, name);
            struct stat cst {};
            if (::lstat(child.c_str(), &cst) != 0)
                continue;
            if (S_ISLNK(cst.st_mode)) {
                // Links to files are followed; links to folders are not
                // entered, which keeps a looping tree finite.
                if (::stat(child.c_str(), &cst) != 0 || !S_ISREG(cst.st_mode))
                    continue;
            }
            if (S_ISREG(cst.st_mode))
                file(child, cst, false);
            else if (S_ISDIR(cst.st_mode) && opt_.recurse)
                folder(child, cst, false);
        }
    }

    void addDirEntry(const std::string &path, const struct stat &st, bool named) {
        if (!opt_.dirEntries || opt_.junkPaths)
            return;
        const std::string stored = storedNameOf(path);
        if (stored.empty())
            return;
        push(path, stored + "/", true, named, st);
    }

    void file(const std::string &path, const struct stat &st, bool named) {
        const std::string stored = opt_.junkPaths ? baseName(path) : storedNameOf(path);
        if (stored.empty())
            return;
        push(path, stored, false, named, st);
    }

    void push(const std::string &path, const std::string &stored, bool isDir, bool named,
              const struct stat &st) {
        if (!passesFilters(opt_.includes, opt_.excludes, stored))
            return;
        auto it = byName_.find(stored);
        if (it != byName_.end()) {
            const Candidate &prev = out_.items[it->second];
            const bool sameFile = prev.st.st_dev == st.st_dev && prev.st.st_ino == st.st_ino;
            if (opt_.junkPaths && !isDir && !sameFile)
                throw EngineError(ENGINE_DUPLICATE_NAMES, "duplicate name " + stored);
            return;
        }
        byName_.emplace(stored, out_.items.size());
        Candidate c;
        c.diskPath = path;
        c.storedName = stored;
        c.isDir = isDir;
        c.named = named;
        c.st = st;
        out_.items.push_back(std::move(c));
    }

    const Options &opt_;
    Collection out_;
    std::map<std::string, size_t> byName_;
    std::set<std::pair<dev_t, ino_t>> seenDirs_;
};

} // namespace

Collection collectFiles(const Options &opt) {
    Walker walker(opt);
    for (const auto &elem : opt.files)
        walker.element(elem);
    return walker.take();
}

} // namespace zipwrite
