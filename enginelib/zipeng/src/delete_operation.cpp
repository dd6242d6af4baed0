// Removing entries ("-d").
#include "archive_writer.h"
#include "engine_error.h"
#include "operations.h"
#include "source_archive.h"
#include "wildcard.h"
#include "engine_contract.h"

namespace zipwrite {

namespace {

std::string slashed(std::string s) {
    for (char &c : s)
        if (c == '\\')
            c = '/';
    return s;
}

bool selected(const Options &opt, const std::string &name) {
    bool hit = false;
    for (const auto &raw : opt.files) {
        const std::string elem = slashed(raw);
        if (elem == name || elem + "/" == name ||
            (hasWildcard(elem) && wildcardMatch(elem, name))) {
            hit = true;
            break;
        }
    }
    // Without file elements, an include section alone selects.
    if (opt.files.empty() && !opt.includes.empty())
        hit = true;
    return hit && passesFilters(opt.includes, opt.excludes, name);
}

} // namespace

int runDelete(const Options &opt, Messenger &msg) {
    std::unique_ptr<SourceArchive> source = SourceArchive::open(opt.archive);
    if (!source)
        return ENGINE_ARCHIVE_NOT_FOUND;
    std::vector<bool> remove(source->entries().size(), false);
    bool any = false;
    for (size_t i = 0; i < remove.size(); ++i) {
        if (selected(opt, source->entries()[i].name)) {
            remove[i] = true;
            any = true;
        }
    }
    if (!any)
        return ENGINE_NOTHING_MATCHED;
    // Removal always goes through a temporary file: growing in place would
    // leave the removed data behind.
    ArchiveWriter writer(opt.archive, source.get(), false, opt.tempDir);
    std::vector<CentralRecord> directory;
    for (size_t i = 0; i < remove.size(); ++i) {
        if (remove[i]) {
            msg.name(ENGINE_MSG_DELETING, source->entries()[i].name);
            msg.checkAbort();
            continue;
        }
        directory.push_back(writer.keep(i, msg));
    }
    msg.checkAbort();
    writer.finish(directory, source->comment());
    return ENGINE_OK;
}

} // namespace zipwrite
