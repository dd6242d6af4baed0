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

// Refusals before anything is read: nothing named, or encryption without a
// password.
zipformat::Status checkRequest(const Options &opt) {
    if (opt.files.empty())
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    if (opt.encrypt && opt.password.empty())
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    return {};
}

// The archive added to, null when there is none yet. A set is only ever
// written new: adding to one that already has entries would mean rewriting
// disks that may be long gone.
zipformat::Status openSource(const Options &opt, std::unique_ptr<SourceArchive> &source) {
    if (opt.multidisk && opt.mode != AddMode::Plain)
        return zipformat::Status(ENGINE_MULTIDISK_REFUSED);
    if (zipformat::Status s = SourceArchive::open(opt.archive, source); s.failed()) {
        if (opt.multidisk && s.code() == ENGINE_SPANNED)
            return zipformat::Status(ENGINE_MULTIDISK_REFUSED);
        return s;
    }
    if (opt.multidisk && source && !source->entries().empty())
        return zipformat::Status(ENGINE_MULTIDISK_REFUSED);
    return {};
}

// The files to write, each with the old entries it replaces.
struct Plan {
    std::vector<NewEntry> items;
    std::vector<const std::vector<std::size_t> *> replaces; // per item: the old entries, or null
    // By the name the user sees: an entry stored as CP437 "\x80.txt" or as
    // "dir\f.txt" is the one a file "Ç.txt" or "dir/f.txt" replaces. Where
    // several entries show the same name, a new file replaces them all,
    // leaving one entry of that name; update compares with the first.
    std::map<std::string, std::vector<std::size_t>> existing;
    bool skipped = false;
};

// Which collected files are written, after the collector's skips are
// reported: not the archive itself, and under "-f" and "-u" only files newer
// than their entries.
zipformat::Status planEntries(const Options &opt, const Collection &col,
                              const SourceArchive *source, Messenger &msg, Plan &plan) {
    if (source)
        for (std::size_t i = 0; i < source->entries().size(); ++i)
            plan.existing[source->entries()[i].name].push_back(i);
    for (const auto &s : col.skips) {
        msg.skip(s.name, s.reason);
        plan.skipped = true;
    }
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;

    // Never add the archive to itself.
    struct stat ast {};
    const bool archiveExists = ::stat(opt.archive.c_str(), &ast) == 0;
    for (const auto &c : col.items) {
        if (archiveExists && c.st.st_dev == ast.st_dev && c.st.st_ino == ast.st_ino)
            continue;
        auto it = plan.existing.find(c.storedName);
        const bool present = source != nullptr && it != plan.existing.end();
        if (opt.mode == AddMode::Freshen && !present)
            continue;
        if (present && opt.mode != AddMode::Plain) {
            const ExistingEntry &e = source->entries()[it->second.front()];
            if (c.isDir || !isNewer(c, e)) {
                if (c.named && !c.isDir) {
                    msg.skip(c.storedName, ENGINE_SKIP_UP_TO_DATE);
                    plan.skipped = true;
                }
                continue;
            }
        }
        plan.items.push_back(NewEntry{&c, present});
        plan.replaces.push_back(present ? &it->second : nullptr);
    }
    return msg.checkAbort();
}

zipformat::Status openWriter(const Options &opt, SourceArchive *source, const Plan &plan,
                             Messenger &msg, std::unique_ptr<ArchiveWriter> &made) {
    if (opt.multidisk) {
        SpanSettings span;
        span.archive = opt.archive;
        span.pieceSize = opt.pieceSize;
        span.clearOld = opt.clearDisks;
        made = std::make_unique<ArchiveWriter>(std::make_unique<SpanWriter>(span, msg));
        return {};
    }
    return ArchiveWriter::open(opt.archive, source, opt.grow, opt.tempDir, roomFor(plan.items),
                               made);
}

using OldRecords = std::vector<std::optional<CentralRecord>>;

// Old entries first, in their order (a raw copy in temporary mode), except
// those a new file replaces.
zipformat::Status keepOldEntries(const Plan &plan, ArchiveWriter &writer, Messenger &msg,
                                 OldRecords &oldRecords) {
    std::vector<bool> replaced(oldRecords.size(), false);
    for (const auto *olds : plan.replaces)
        if (olds != nullptr)
            for (std::size_t old : *olds)
                replaced[old] = true;
    for (std::size_t i = 0; i < replaced.size(); ++i) {
        if (replaced[i])
            continue;
        CentralRecord rec;
        if (zipformat::Status s = writer.keep(i, msg, rec); s.failed())
            return s;
        oldRecords[i] = std::move(rec);
    }
    return {};
}

// The directory: old entries in their places (replaced ones by the new
// record, in the place of the first), then the new ones. Entries whose
// file could not be read keep their old versions.
zipformat::Status buildDirectory(Plan &plan, std::vector<WrittenEntry> &written,
                                 ArchiveWriter &writer, Messenger &msg, OldRecords &oldRecords,
                                 std::vector<CentralRecord> &directory) {
    OldRecords newForOld(oldRecords.size());
    std::vector<CentralRecord> appended;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        if (!written[i].record) {
            plan.skipped = true;
            if (plan.replaces[i] != nullptr) {
                for (std::size_t old : *plan.replaces[i]) {
                    CentralRecord rec;
                    if (zipformat::Status s = writer.keep(old, msg, rec); s.failed())
                        return s;
                    oldRecords[old] = std::move(rec);
                }
            }
            continue;
        }
        if (plan.replaces[i] != nullptr)
            newForOld[plan.replaces[i]->front()] = std::move(*written[i].record);
        else
            appended.push_back(std::move(*written[i].record));
    }
    directory.reserve(oldRecords.size() + appended.size());
    for (std::size_t i = 0; i < oldRecords.size(); ++i) {
        if (newForOld[i])
            directory.push_back(std::move(*newForOld[i]));
        else if (oldRecords[i])
            directory.push_back(std::move(*oldRecords[i]));
    }
    for (auto &rec : appended)
        directory.push_back(std::move(rec));
    return msg.checkAbort();
}

} // namespace

zipformat::Status runAdd(const Options &opt, Messenger &msg) {
    if (zipformat::Status s = checkRequest(opt); s.failed())
        return s;
    Collection col;
    if (zipformat::Status s = collectFiles(opt, col); s.failed())
        return s; // 370 before anything is touched
    if (opt.move && wouldRemoveCurrentFolder(col))
        return zipformat::Status(ENGINE_REMOVES_PARENT);
    std::unique_ptr<SourceArchive> source;
    if (zipformat::Status s = openSource(opt, source); s.failed())
        return s;

    Plan plan;
    if (zipformat::Status s = planEntries(opt, col, source.get(), msg, plan); s.failed())
        return s;
    if (plan.items.empty()) {
        if (plan.skipped)
            return zipformat::Status(ENGINE_SOME_SKIPPED);
        return zipformat::Status(col.items.empty() ? ENGINE_NOTHING_MATCHED : ENGINE_OK);
    }

    std::unique_ptr<ArchiveWriter> writer;
    if (zipformat::Status s = openWriter(opt, source.get(), plan, msg, writer); s.failed())
        return s;
    OldRecords oldRecords(source ? source->entries().size() : 0);
    if (zipformat::Status s = keepOldEntries(plan, *writer, msg, oldRecords); s.failed())
        return s;
    std::vector<WrittenEntry> written;
    if (zipformat::Status s = writeNewEntries(opt, plan.items, *writer, msg, written); s.failed())
        return s;
    std::vector<CentralRecord> directory;
    if (zipformat::Status s = buildDirectory(plan, written, *writer, msg, oldRecords, directory);
        s.failed())
        return s;
    if (zipformat::Status s = writer->finish(directory, source ? source->comment() : std::string());
        s.failed())
        return s;

    if (opt.move)
        moveSources(plan.items, written, col);
    return zipformat::Status(plan.skipped ? ENGINE_SOME_SKIPPED : ENGINE_OK);
}

} // namespace zipwrite
