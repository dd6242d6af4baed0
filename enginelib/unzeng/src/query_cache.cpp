#include "query_cache.h"

#include "other_archive.h"

#include <algorithm>
#include <ctime>
#include <mutex>
#include <sys/stat.h>

namespace zipread {
namespace {

// A directory larger than this (parsed entries and names together) is read
// afresh for every query rather than kept.
constexpr std::uint64_t kMaxKeptBytes = 256ull << 20;

// A file changed shortly before its directory was read may change again
// within the same tick of the file system's clock without its times
// showing it; such a file is not kept. Clocks with nanoseconds tick at
// most every few milliseconds; a change time in whole seconds means a
// coarse clock (FAT keeps two-second steps).
constexpr long kFineWindowNs = 50'000'000;
constexpr long kCoarseWindowNs = 2'000'000'000;

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static Identity of(const struct stat &st) {
        return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    bool operator==(const Identity &o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

struct Kept {
    std::string path;
    bool allowMultidisk = false;
    Identity identity;
    std::shared_ptr<const zipformat::Archive> archive;
};

struct KeptOther {
    std::string path;
    Identity identity;
    std::shared_ptr<const OtherListing> listing;
};

std::mutex keptMutex;
Kept kept;
KeptOther keptOther;

std::uint64_t footprint(const zipformat::Archive &a) {
    // The directory bytes, converted names (at most about as many again)
    // and one Entry per record; a walked directory, one position a record.
    if (!a.holdsEntries())
        return a.size() * sizeof(std::uint64_t);
    return 2 * a.info().centralSize + a.size() * sizeof(zipformat::Entry);
}

// The kept copy, when it was read from the file at `path` as it is now and
// answers what `options` ask.
std::shared_ptr<const zipformat::Archive>
keptFor(const std::string &path, const zipformat::OpenOptions &options, const struct stat &now) {
    std::lock_guard lock(keptMutex);
    // A directory read without multidisk pieces allowed serves both
    // kinds of question: it would have read the same end record.
    if (kept.archive && kept.path == path && kept.identity == Identity::of(now) &&
        (kept.allowMultidisk == options.allowMultidisk || !kept.allowMultidisk) &&
        (options.streamEntries || kept.archive->holdsEntries()))
        return kept.archive;
    return nullptr;
}

long long nanoseconds(const timespec &t) {
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

bool racy(const Identity &id) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long window = id.changed.tv_nsec == 0 ? kCoarseWindowNs : kFineWindowNs;
    const long long latest = std::max(nanoseconds(id.modified), nanoseconds(id.changed));
    return nanoseconds(now) - latest < window;
}

} // namespace

zipformat::Error queryArchive(const std::string &path, const zipformat::OpenOptions &options,
                              std::shared_ptr<const zipformat::Archive> &out) {
    const bool allowMultidisk = options.allowMultidisk;
    struct stat before {};
    const bool known = ::stat(path.c_str(), &before) == 0;
    if (known) {
        if (auto found = keptFor(path, options, before)) {
            out = std::move(found);
            return zipformat::Error::Ok;
        }
    }
    auto archive = std::make_shared<zipformat::Archive>();
    zipformat::Error e = archive->open(path, options);
    if (e != zipformat::Error::Ok)
        return e;
    // Keep it only when what was read is the file that was looked at
    // first: a change during the read shows as a difference here.
    struct stat after {};
    const zipformat::ArchiveInfo &info = archive->info();
    const bool single = info.diskNumber == 0 && info.centralDisk == 0;
    const bool steady = known && single && ::fstat(archive->source().fd(), &after) == 0 &&
                        Identity::of(after) == Identity::of(before);
    archive->releaseFile();
    out = archive;
    std::lock_guard lock(keptMutex);
    if (steady && !racy(Identity::of(before)) && footprint(*archive) <= kMaxKeptBytes)
        kept = Kept{path, allowMultidisk, Identity::of(before), std::move(archive)};
    else
        kept = Kept{};
    return zipformat::Error::Ok;
}

zipformat::Error openForWalk(const std::string &path, const zipformat::OpenOptions &options,
                             zipformat::Archive &out) {
    struct stat before {};
    if (::stat(path.c_str(), &before) == 0) {
        const auto checked = keptFor(path, options, before);
        // The file opened must be the one looked at: a file put in its
        // place meanwhile shows as another identity.
        struct stat opened {};
        if (checked && !checked->holdsEntries() && out.reopen(*checked) == zipformat::Error::Ok &&
            ::fstat(out.source().fd(), &opened) == 0 &&
            Identity::of(opened) == Identity::of(before))
            return zipformat::Error::Ok;
        out.close();
    }
    return out.open(path, options);
}

zipformat::Error queryOther(const std::string &path, std::shared_ptr<const OtherListing> &out) {
    struct stat before {};
    const bool known = ::stat(path.c_str(), &before) == 0;
    if (known) {
        std::lock_guard lock(keptMutex);
        if (keptOther.listing && keptOther.path == path &&
            keptOther.identity == Identity::of(before)) {
            out = keptOther.listing;
            return zipformat::Error::Ok;
        }
    }
    OtherArchive archive;
    zipformat::Error e = archive.open(path, std::string());
    if (e != zipformat::Error::Ok)
        return e;
    auto listing = std::make_shared<OtherListing>();
    listing->type = archive.typeName();
    std::uint64_t bytes = 0;
    while (archive.next()) {
        const std::string &name = listing->names.emplace_back(archive.entry().name);
        zipformat::Entry &entry = listing->entries.emplace_back(archive.entry());
        entry.name = name;
        entry.rawName = name;
        bytes += name.size() + sizeof(zipformat::Entry);
    }
    if (archive.error() != zipformat::Error::Ok)
        return archive.error();
    struct stat after {};
    const bool steady =
        known && ::stat(path.c_str(), &after) == 0 && Identity::of(after) == Identity::of(before);
    out = listing;
    std::lock_guard lock(keptMutex);
    if (steady && !racy(Identity::of(before)) && bytes <= kMaxKeptBytes)
        keptOther = KeptOther{path, Identity::of(before), std::move(listing)};
    else
        keptOther = KeptOther{};
    return zipformat::Error::Ok;
}

void forgetQueryArchive() noexcept {
    std::lock_guard lock(keptMutex);
    kept = Kept{};
    keptOther = KeptOther{};
}

} // namespace zipread
