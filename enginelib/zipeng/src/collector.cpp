#include "collector.h"

#include "engine_contract.h"
#include "name_filters.h"
#include "zipformat/names.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <map>
#include <set>
#include <unordered_set>

namespace zipwrite {

std::string storedNameOf(const std::string &path) {
    std::string out;
    // Nothing climbs out of the stored tree: ".." parts are dropped.
    zipformat::eachPathPart(path, [&out](std::string_view part) {
        if (part == "..")
            return true;
        if (!out.empty())
            out.push_back('/');
        out += part;
        return true;
    });
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

    zipformat::Status element(const std::string &given) {
        const std::string base = baseName(given);
        std::string elem = given;
        if (zipformat::hasWildcard(base)) {
            // "x[*].txt" can only mean the file "x*.txt": named, and found
            // without reading its folder.
            std::string literal;
            if (!zipformat::patternLiteral(base, literal))
                return wildcardElement(given, base);
            std::size_t end = elem.size();
            while (end > 1 && elem[end - 1] == '/')
                --end;
            elem.replace(end - base.size(), base.size(), literal);
        }
        struct stat st {};
        if (!lookUp(elem, st)) {
            out_.skips.push_back({elem, errno == EACCES ? std::uint8_t(ENGINE_SKIP_CANNOT_OPEN)
                                                        : std::uint8_t(ENGINE_SKIP_NOT_FOUND)});
            return {};
        }
        if (S_ISLNK(st.st_mode))
            return file(elem, st, true);
        if (S_ISDIR(st.st_mode))
            return folder(elem, st, true);
        if (S_ISREG(st.st_mode))
            return file(elem, st, true);
        out_.skips.push_back({elem, ENGINE_SKIP_CANNOT_OPEN});
        return {};
    }

    Collection take() { return std::move(out_); }

private:
    // With "-y" a link is itself what is stored, whatever it names (or
    // whether it names anything); otherwise the file it leads to.
    bool lookUp(const std::string &path, struct stat &st) const {
        return (opt_.storeLinks ? ::lstat(path.c_str(), &st) : ::stat(path.c_str(), &st)) == 0;
    }

    zipformat::Status wildcardElement(const std::string &elem, const std::string &pattern) {
        const auto slash = elem.rfind('/');
        const std::string dir =
            slash == std::string::npos ? std::string() : elem.substr(0, slash + 1);
        for (const auto &name : sortedChildren(dir)) {
            if (!zipformat::wildcardMatch(pattern, name))
                continue;
            if (isHidden(name) && !opt_.hidden && !isHidden(pattern))
                continue;
            const std::string path = dir + name;
            struct stat st {};
            if (!lookUp(path, st))
                continue;
            if (zipformat::Status s = met(path, st); s.failed())
                return s;
        }
        return {};
    }

    // What a pattern or a folder's walk meets: a file (or a link stored as
    // one) is added, a folder entered when recursing, anything else passed
    // over.
    zipformat::Status met(const std::string &path, const struct stat &st) {
        if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
            return file(path, st, false);
        if (S_ISDIR(st.st_mode) && opt_.recurse)
            return folder(path, st, false);
        return {};
    }

    zipformat::Status folder(const std::string &path, const struct stat &st, bool named) {
        // Each folder once, even when named twice or reached by two routes.
        if (!seenDirs_.insert({st.st_dev, st.st_ino}).second)
            return {};
        if (zipformat::Status s = addDirEntry(path, st, named); s.failed())
            return s;
        if (opt_.recurse)
            out_.walkedDirs.push_back(path);
        for (const auto &name : sortedChildren(path)) {
            if (isHidden(name) && !opt_.hidden)
                continue;
            const std::string child = joinPath(path, name);
            struct stat cst {};
            if (::lstat(child.c_str(), &cst) != 0)
                continue;
            if (S_ISLNK(cst.st_mode) && !opt_.storeLinks) {
                // Links to files are followed; links to folders are not
                // entered, which keeps a looping tree finite.
                if (::stat(child.c_str(), &cst) != 0 || !S_ISREG(cst.st_mode))
                    continue;
            }
            if (zipformat::Status s = met(child, cst); s.failed())
                return s;
        }
        return {};
    }

    zipformat::Status addDirEntry(const std::string &path, const struct stat &st, bool named) {
        if (!opt_.dirEntries || opt_.junkPaths)
            return {};
        const std::string stored = storedNameOf(path);
        if (stored.empty())
            return {};
        return push(path, stored + "/", true, named, st);
    }

    zipformat::Status file(const std::string &path, const struct stat &st, bool named) {
        const std::string stored = opt_.junkPaths ? baseName(path) : storedNameOf(path);
        if (stored.empty())
            return {};
        return push(path, stored, false, named, st);
    }

    zipformat::Status push(const std::string &path, const std::string &stored, bool isDir,
                           bool named, const struct stat &st) {
        if (!passesFilters(opt_.includes, opt_.excludes, stored))
            return {};
        auto it = byName_.find(stored);
        if (it != byName_.end()) {
            const Candidate &prev = out_.items[it->second];
            const bool sameFile = prev.st.st_dev == st.st_dev && prev.st.st_ino == st.st_ino;
            if (opt_.junkPaths && !isDir && !sameFile)
                return zipformat::Status(ENGINE_DUPLICATE_NAMES);
            return {};
        }
        byName_.emplace(stored, out_.items.size());
        Candidate c;
        c.diskPath = path;
        c.storedName = stored;
        c.isDir = isDir;
        c.named = named;
        c.st = st;
        out_.items.push_back(std::move(c));
        return {};
    }

    const Options &opt_;
    Collection out_;
    std::map<std::string, std::size_t> byName_;
    std::set<std::pair<dev_t, ino_t>> seenDirs_;
};

} // namespace

zipformat::Status collectFiles(const Options &opt, Collection &out) {
    Walker walker(opt);
    for (const auto &elem : opt.files) {
        if (zipformat::Status s = walker.element(elem); s.failed())
            return s;
    }
    out = walker.take();
    return {};
}

} // namespace zipwrite
