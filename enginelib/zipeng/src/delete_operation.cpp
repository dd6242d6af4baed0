// Removing entries ("-d").
#include "archive_writer.h"
#include "engine_contract.h"
#include "name_filters.h"
#include "operations.h"
#include "source_archive.h"

#include "zipformat/entry_refs.h"
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

} // namespace

zipformat::Status runDelete(const Options &opt, Messenger &msg) {
    std::unique_ptr<SourceArchive> source;
    if (zipformat::Status s = SourceArchive::openExisting(opt.archive, source); s.failed())
        return s;
    zipformat::NamePatterns files(opt.files);
    zipformat::EntryRefs entries(opt.entries);
    std::vector<bool> remove(source->entries().size(), false);
    bool any = false;
    for (std::size_t i = 0; i < remove.size(); ++i) {
        if (selected(opt, files, entries, i, source->entries()[i].name)) {
            remove[i] = true;
            any = true;
        }
    }
    // Said as the reading side says it, so that a name typed wrong is seen.
    for (const std::string &name : files.unmatched())
        msg.skip(name, ENGINE_SKIP_NOT_FOUND);
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;
    if (!any)
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    // Removal always goes through a temporary file: growing in place would
    // leave the removed data behind.
    std::unique_ptr<ArchiveWriter> writer;
    if (zipformat::Status s =
            ArchiveWriter::open(opt.archive, source.get(), false, opt.tempDir, 0, writer);
        s.failed())
        return s;
    std::vector<CentralRecord> directory;
    for (std::size_t i = 0; i < remove.size(); ++i) {
        if (remove[i]) {
            msg.name(ENGINE_MSG_DELETING, source->entries()[i].name);
            if (zipformat::Status s = msg.checkAbort(); s.failed())
                return s;
            continue;
        }
        CentralRecord rec;
        if (zipformat::Status s = writer->keep(i, msg, rec); s.failed())
            return s;
        directory.push_back(std::move(rec));
    }
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;
    return writer->finish(directory, source->comment());
}

} // namespace zipwrite
