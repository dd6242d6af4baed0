// Adding, updating ("-u") and freshening ("-f") files.
#include "archive_writer.h"
#include "collector.h"
#include "engine_contract.h"
#include "entry_writer.h"
#include "operations.h"
#include "source_archive.h"

#include "zipformat/dostime.h"

#include <climits>
#include <cstdlib>
#include <map>
#include <unistd.h>

namespace zipwrite {

namespace {

std::string realPathOf(const std::string &path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf) == nullptr)
        return {};
    return buf;
}

// "-m" must never remove the current folder or one of its parents.
bool wouldRemoveCurrentFolder(const Collection &col) {
    const std::string cwd = realPathOf(".");
    if (cwd.empty())
        return false;
    for (const auto &dir : col.walkedDirs) {
        std::string real = realPathOf(dir);
        if (real.empty())
            continue;
        if (real == cwd || real == "/")
            return true;
        if (cwd.compare(0, real.size() + 1, real + "/") == 0)
            return true;
    }
    return false;
}

bool isNewer(const Candidate &c, const ExistingEntry &e) {
    if (e.exactTime)
        return c.st.st_mtime > e.mtime;
    // Without an exact time, compare at the two-second DOS resolution.
    return zipformat::dosFromUnix(c.st.st_mtime) > e.central.dosTime;
}

// An upper bound of what the new entries and their directory records take:
// deflate never grows data by more than a few bytes per block, and a large
// entry deflate makes larger is stored instead.
std::uint64_t roomFor(const std::vector<NewEntry> &items) {
    std::uint64_t room = 0;
    for (const auto &item : items) {
        const std::uint64_t size = static_cast<std::uint64_t>(item.candidate->st.st_size);
        const std::uint64_t name = item.candidate->storedName.size();
        room += size + size / 64 + 4096 + 2 * (name + 128);
    }
    return room;
}

void moveSources(const std::vector<NewEntry> &items, const std::vector<WrittenEntry> &written,
                 const Collection &col) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!written[i].record || items[i].candidate->isDir)
            continue;
        ::unlink(items[i].candidate->diskPath.c_str());
    }
    // Folders left empty, children before parents; rmdir keeps any that
    // still hold something.
    for (auto it = col.walkedDirs.rbegin(); it != col.walkedDirs.rend(); ++it)
        ::rmdir(it->c_str());
}

} // namespace

zipformat::Status runAdd(const Options &opt, Messenger &msg) {
    if (opt.files.empty())
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    if (opt.encrypt && opt.password.empty())
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);

    Collection col;
    if (zipformat::Status s = collectFiles(opt, col); s.failed())
        return s; // 370 before anything is touched
    if (opt.move && wouldRemoveCurrentFolder(col))
        return zipformat::Status(ENGINE_REMOVES_PARENT);

    // A set is only ever written new: adding to one that already has
    // entries would mean rewriting disks that may be long gone.
    if (opt.multidisk && opt.mode != AddMode::Plain)
        return zipformat::Status(ENGINE_MULTIDISK_REFUSED);
    std::unique_ptr<SourceArchive> source;
    if (zipformat::Status s = SourceArchive::open(opt.archive, source); s.failed()) {
        if (opt.multidisk && s.code() == ENGINE_SPANNED)
            return zipformat::Status(ENGINE_MULTIDISK_REFUSED);
        return s;
    }
    if (opt.multidisk && source && !source->entries().empty())
        return zipformat::Status(ENGINE_MULTIDISK_REFUSED);

    // Never add the archive to itself.
    struct stat ast {};
    const bool archiveExists = ::stat(opt.archive.c_str(), &ast) == 0;

    // By the name the user sees: an entry stored as CP437 "\x80.txt" or as
    // "dir\f.txt" is the one a file "Ç.txt" or "dir/f.txt" replaces. Where
    // several entries show the same name, a new file replaces them all,
    // leaving one entry of that name; update compares with the first.
    std::map<std::string, std::vector<std::size_t>> existing;
    if (source)
        for (std::size_t i = 0; i < source->entries().size(); ++i)
            existing[source->entries()[i].name].push_back(i);

    bool skipped = false;
    for (const auto &s : col.skips) {
        msg.skip(s.name, s.reason);
        skipped = true;
    }
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;

    std::vector<NewEntry> items;
    std::vector<const std::vector<std::size_t> *> replaces; // per item: the old entries, or null
    for (const auto &c : col.items) {
        if (archiveExists && c.st.st_dev == ast.st_dev && c.st.st_ino == ast.st_ino)
            continue;
        auto it = existing.find(c.storedName);
        const bool present = it != existing.end();
        if (opt.mode == AddMode::Freshen && !present)
            continue;
        if (present && opt.mode != AddMode::Plain) {
            const ExistingEntry &e = source->entries()[it->second.front()];
            if (c.isDir || !isNewer(c, e)) {
                if (c.named && !c.isDir) {
                    msg.skip(c.storedName, ENGINE_SKIP_UP_TO_DATE);
                    skipped = true;
                }
                continue;
            }
        }
        items.push_back(NewEntry{&c, present});
        replaces.push_back(present ? &it->second : nullptr);
    }
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;
    if (items.empty()) {
        if (skipped)
            return zipformat::Status(ENGINE_SOME_SKIPPED);
        return zipformat::Status(col.items.empty() ? ENGINE_NOTHING_MATCHED : ENGINE_OK);
    }

    std::unique_ptr<ArchiveWriter> made;
    if (opt.multidisk) {
        SpanSettings span;
        span.archive = opt.archive;
        span.pieceSize = opt.pieceSize;
        span.clearOld = opt.clearDisks;
        made = std::make_unique<ArchiveWriter>(std::make_unique<SpanWriter>(span, msg));
    } else if (zipformat::Status s = ArchiveWriter::open(opt.archive, source.get(), opt.grow,
                                                         opt.tempDir, roomFor(items), made);
               s.failed()) {
        return s;
    }
    ArchiveWriter &writer = *made;
    std::vector<bool> replaced(source ? source->entries().size() : 0, false);
    for (const auto *olds : replaces)
        if (olds != nullptr)
            for (std::size_t old : *olds)
                replaced[old] = true;

    // Old entries first, in their order (a raw copy in temporary mode).
    std::vector<std::optional<CentralRecord>> oldRecords(replaced.size());
    for (std::size_t i = 0; i < replaced.size(); ++i) {
        if (replaced[i])
            continue;
        CentralRecord rec;
        if (zipformat::Status s = writer.keep(i, msg, rec); s.failed())
            return s;
        oldRecords[i] = std::move(rec);
    }

    std::vector<WrittenEntry> written;
    if (zipformat::Status s = writeNewEntries(opt, items, writer, msg, written); s.failed())
        return s;

    // The directory: old entries in their places (replaced ones by the new
    // record, in the place of the first), then the new ones. Entries whose
    // file could not be read keep their old versions.
    std::vector<std::optional<CentralRecord>> newForOld(replaced.size());
    std::vector<CentralRecord> appended;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!written[i].record) {
            skipped = true;
            if (replaces[i] != nullptr) {
                for (std::size_t old : *replaces[i]) {
                    CentralRecord rec;
                    if (zipformat::Status s = writer.keep(old, msg, rec); s.failed())
                        return s;
                    oldRecords[old] = std::move(rec);
                }
            }
            continue;
        }
        if (replaces[i] != nullptr)
            newForOld[replaces[i]->front()] = std::move(*written[i].record);
        else
            appended.push_back(std::move(*written[i].record));
    }
    std::vector<CentralRecord> directory;
    directory.reserve(replaced.size() + appended.size());
    for (std::size_t i = 0; i < replaced.size(); ++i) {
        if (newForOld[i])
            directory.push_back(std::move(*newForOld[i]));
        else if (oldRecords[i])
            directory.push_back(std::move(*oldRecords[i]));
    }
    for (auto &rec : appended)
        directory.push_back(std::move(rec));
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;
    if (zipformat::Status s = writer.finish(directory, source ? source->comment() : std::string());
        s.failed())
        return s;

    if (opt.move)
        moveSources(items, written, col);
    return zipformat::Status(skipped ? ENGINE_SOME_SKIPPED : ENGINE_OK);
}

} // namespace zipwrite
