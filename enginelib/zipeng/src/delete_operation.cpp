// Removing entries ("-d").
#include "archive_writer.h"
#include "engine_contract.h"
#include "name_filters.h"
#include "operations.h"
#include "source_archive.h"

#include "zipformat/entry_refs.h"
#include "zipformat/entry_walk.h"
#include "zipformat/name_patterns.h"

namespace zipwrite {

namespace {

// Without file elements, an include section alone selects.
bool selected(const Options &opt, zipformat::NamePatterns &files, zipformat::EntryRefs &entries,
              std::size_t index, const std::string &name) {
    const bool named = files.match(name);
    if (!entries.match(index, name) && !named &&
        !(opt.files.empty() && opt.entries.empty() && !opt.includes.empty()))
        return false;
    return passesFilters(opt.includes, opt.excludes, name);
}

// The directory is walked three times rather than held: once to choose and
// to check every local record before anything is written, once to copy
// what stays, once to write the new directory. Between the walks an entry
// costs a bit and one position, so a million entries fit in a few
// megabytes whatever their names.
struct Plan {
    std::vector<bool> remove;
    // The end of each entry's local record; once it is copied, its offset in
    // the new archive.
    std::vector<std::uint64_t> places;
    bool any = false;
};

zipformat::Status choose(const Options &opt, const zipformat::Archive &archive, Messenger &msg,
                         Plan &plan) {
    zipformat::NamePatterns files(opt.files);
    zipformat::EntryRefs entries(opt.entries);
    plan.remove.reserve(archive.size());
    plan.places.reserve(archive.size());
    zipformat::EntryWalk walk(archive);
    std::string name;
    for (std::size_t i = 0; walk.next(); ++i) {
        const zipformat::Entry &e = walk.entry();
        zipformat::EntryLocation loc;
        if (const zipformat::Error le = archive.locate(e, loc); le != zipformat::Error::Ok)
            return zipformat::statusOf(le);
        name.assign(e.name.data(), e.name.size());
        const bool out = selected(opt, files, entries, i, name);
        plan.remove.push_back(out);
        plan.places.push_back(loc.end);
        plan.any = plan.any || out;
    }
    if (walk.error() != zipformat::Error::Ok)
        return zipformat::statusOf(walk.error());
    // Said as the reading side says it, so that a name typed wrong is seen.
    for (const std::string &unmatched : files.unmatched())
        msg.skip(unmatched, ENGINE_SKIP_NOT_FOUND);
    return {};
}

zipformat::Status copyKept(const zipformat::Archive &archive, ArchiveWriter &writer, Messenger &msg,
                           Plan &plan) {
    zipformat::EntryWalk walk(archive);
    for (std::size_t i = 0; walk.next(); ++i) {
        const zipformat::Entry &e = walk.entry();
        if (plan.remove[i]) {
            msg.name(ENGINE_MSG_DELETING, std::string(e.name));
            if (zipformat::Status s = msg.checkAbort(); s.failed())
                return s;
            continue;
        }
        if (zipformat::Status s =
                writer.keepRange(e.headerPos, plan.places[i], msg, plan.places[i]);
            s.failed())
            return s;
    }
    return zipformat::statusOf(walk.error());
}

zipformat::Status writeDirectory(const SourceArchive &source, ArchiveWriter &writer,
                                 const Plan &plan) {
    writer.startDirectory();
    std::uint64_t count = 0;
    zipformat::EntryWalk walk(source.archive());
    for (std::size_t i = 0; walk.next(); ++i) {
        if (plan.remove[i])
            continue;
        CentralRecord rec = centralRecordOf(walk.entry());
        rec.localOffset = plan.places[i];
        if (zipformat::Status s = writer.writeRecord(rec); s.failed())
            return s;
        ++count;
    }
    if (walk.error() != zipformat::Error::Ok)
        return zipformat::statusOf(walk.error());
    return writer.endDirectory(count, source.comment());
}

} // namespace

zipformat::Status runDelete(const Options &opt, Messenger &msg) {
    std::unique_ptr<SourceArchive> source;
    if (zipformat::Status s = SourceArchive::openWalked(opt.archive, source); s.failed())
        return s;
    Plan plan;
    if (zipformat::Status s = choose(opt, source->archive(), msg, plan); s.failed())
        return s;
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;
    if (!plan.any)
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    // Removal always goes through a temporary file: growing in place would
    // leave the removed data behind.
    std::unique_ptr<ArchiveWriter> writer;
    if (zipformat::Status s =
            ArchiveWriter::open(opt.archive, source.get(), false, opt.tempDir, 0, writer);
        s.failed())
        return s;
    if (zipformat::Status s = copyKept(source->archive(), *writer, msg, plan); s.failed())
        return s;
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;
    return writeDirectory(*source, *writer, plan);
}

} // namespace zipwrite
